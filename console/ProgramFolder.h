#pragma once

#include <string>
#include <vector>

// The folder of the running executable, ending in the path separator.
std::string ExecutableFolder();

// The folder where every relative file of the client lives (Ignore.txt,
// Event.txt, Logs, Maps, received files).
class ProgramFolder {
public:
    explicit ProgramFolder(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + name; }

    bool WriteTextFile(const std::string& name, const std::string& text, bool append) const;
    // Names in Ignore.txt; empty when the file cannot be opened (it is not created then).
    std::vector<std::string> LoadIgnoreFile() const;
    void SaveIgnoreFile(const std::vector<std::string>& names) const;
    // One time-stamped line at the end of Event.txt.
    void LogEvent(const std::string& text) const;

private:
    std::string path_;
};
