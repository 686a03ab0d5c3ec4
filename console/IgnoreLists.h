#pragma once

#include <string>
#include <vector>

class ChatOutput;
class ProgramFolder;

// The temporary ignore list (for this run) and the permanent one (Ignore.txt).
// Names are kept as typed and compared without regard to letter case.
class IgnoreLists {
public:
    IgnoreLists(ChatOutput& output, const ProgramFolder& folder) : output_(output), folder_(folder) {}

    // Reads Ignore.txt; the list stays empty when the file cannot be opened (it is not created then).
    void LoadPermanent();
    bool IsIgnored(const std::string& name) const;
    void ToggleIgnore(const std::string& name);
    void TogglePermIgnore(const std::string& name);
    void ShowIgnoreLists(bool showTemporary, bool showPermanent) const;

    const std::vector<std::string>& Temporary() const { return temporary_; }
    const std::vector<std::string>& Permanent() const { return permanent_; }

private:
    void SavePermanent() const;

    ChatOutput& output_;
    const ProgramFolder& folder_;
    std::vector<std::string> temporary_;
    std::vector<std::string> permanent_;
};
