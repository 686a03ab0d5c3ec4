#include "console/IgnoreLists.h"

#include "console/ChatOutput.h"
#include "console/Names.h"
#include "console/ProgramFolder.h"

#include <algorithm>

namespace {

std::vector<std::string>::iterator Find(std::vector<std::string>& list, const std::string& name)
{
    return std::find_if(list.begin(), list.end(),
                        [&](const std::string& entry) { return SameNameNoCase(entry, name); });
}

bool Contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::any_of(list.begin(), list.end(), [&](const std::string& entry) { return SameNameNoCase(entry, name); });
}

// Removes the name when present, adds it otherwise; true when it was added.
bool Toggle(std::vector<std::string>& list, const std::string& name)
{
    const auto found = Find(list, name);
    if (found != list.end()) {
        list.erase(found);
        return false;
    }
    list.push_back(name);
    return true;
}

} // namespace

void IgnoreLists::LoadPermanent() { permanent_ = folder_.LoadIgnoreFile(); }

bool IgnoreLists::IsIgnored(const std::string& name) const
{
    return Contains(temporary_, name) || Contains(permanent_, name);
}

void IgnoreLists::ToggleIgnore(const std::string& name)
{
    const bool added = Toggle(temporary_, name);
    output_.Print((added ? "Ignoring: " : "Listening: ") + name, ChatOutput::kSlotWhite, true);
}

void IgnoreLists::TogglePermIgnore(const std::string& name)
{
    const bool added = Toggle(permanent_, name);
    folder_.SaveIgnoreFile(permanent_);
    output_.Print((added ? "Perm Ignoring: " : "Perm Listening: ") + name, ChatOutput::kSlotWhite, true);
}

void IgnoreLists::ShowIgnoreLists(bool showTemporary, bool showPermanent) const
{
    auto show = [this](const char* heading, const std::vector<std::string>& list) {
        output_.Print(heading, ChatOutput::kSlotWhite, true);
        for (const std::string& name : list)
            output_.Print(" - " + name, ChatOutput::kSlotWhite, true);
    };
    if (showPermanent)
        show("Perminent Ignore List:", permanent_);
    if (showTemporary)
        show("Temporary Ignore List:", temporary_);
}
