#include "console/IgnoreLists.h"

#include "console/ChatOutput.h"
#include "zone/Names.h"
#include "zone/ProgramFolder.h"
#include "zone/TextFile.h"

#include <algorithm>

namespace {

constexpr const char* kIgnoreFile = "Ignore.txt";

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

void IgnoreLists::LoadPermanent()
{
    permanent_.clear();
    TextFile file(folder_.PathOf(kIgnoreFile));
    if (!file.Open())
        return;
    while (!file.AtEnd()) {
        std::string line = file.ReadLine();
        if (!line.empty())
            permanent_.push_back(std::move(line));
    }
}

void IgnoreLists::SavePermanent() const
{
    TextFile file(folder_.PathOf(kIgnoreFile));
    // Create empties the file whether or not it existed.
    if (!file.Create())
        return;
    // A name from the server holding a line break would come back as pieces of
    // names; it stays ignored for this session only.
    for (const std::string& name : permanent_)
        if (name.find_first_of("\r\n") == std::string::npos)
            file.WriteLine(name);
}

bool IgnoreLists::IsIgnored(const std::string& name) const
{
    return Contains(temporary_, name) || Contains(permanent_, name);
}

void IgnoreLists::ToggleIgnore(const std::string& name)
{
    const bool added = Toggle(temporary_, name);
    output_.Print((added ? "Ignoring: " : "Listening: ") + name, kSlotWhite, true);
}

void IgnoreLists::TogglePermIgnore(const std::string& name)
{
    const bool added = Toggle(permanent_, name);
    SavePermanent();
    output_.Print((added ? "Perm Ignoring: " : "Perm Listening: ") + name, kSlotWhite, true);
}

void IgnoreLists::ShowIgnoreLists(bool showTemporary, bool showPermanent) const
{
    auto show = [this](const char* heading, const std::vector<std::string>& list) {
        output_.Print(heading, kSlotWhite, true);
        for (const std::string& name : list)
            output_.Print(" - " + name, kSlotWhite, true);
    };
    if (showPermanent)
        show("Perminent Ignore List:", permanent_);
    if (showTemporary)
        show("Temporary Ignore List:", temporary_);
}
