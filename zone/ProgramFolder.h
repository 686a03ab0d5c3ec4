#pragma once

#include <functional>
#include <string>

// Where the client keeps its files: beside the executable (the portable copy), or
// the user's data folder (%APPDATA%\Quillon on Windows; elsewhere
// $XDG_DATA_HOME/Quillon, by default ~/.local/share/Quillon), created on demand,
// for an installed program: one whose folder cannot be written, or one the
// installer put there (its uninstaller lies beside it). Ends in the path separator.
std::string ChooseProgramFolder();
std::string ChooseProgramFolder(const std::string& executableFolder,
                                const std::function<bool(const std::string&)>& writable);
// The uninstaller the Windows installer leaves in the program's folder.
inline constexpr const char* kUninstallerName = "uninstall.exe";
// Whether a file can be made in the folder (one is made and removed to know).
bool CanWriteIn(const std::string& folder);

// The folder where every relative file of the client lives (Ignore.txt,
// Event.txt, Logs, Maps, received files).
class ProgramFolder {
public:
    explicit ProgramFolder(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + name; }

    // One time-stamped line at the end of Event.txt.
    // False when Event.txt could not be written.
    bool LogEvent(const std::string& text) const;

private:
    std::string path_;
};
