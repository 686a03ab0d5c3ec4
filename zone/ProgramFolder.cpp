#include "zone/ProgramFolder.h"

#include "zone/TextFile.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace {
constexpr const char* kEventFile = "Event.txt";

std::string LocalTime(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, n);
}
} // namespace

namespace {

// The folder of the running executable, ending in the path separator.
std::string ExecutableFolder()
{
    std::string path;
#ifdef _WIN32
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    path.assign(buffer, n);
#else
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n > 0)
        path.assign(buffer, size_t(n));
#endif
    const size_t cut = path.find_last_of(kPathSeparator);
    return cut == std::string::npos ? std::string(".") + kPathSeparator : path.substr(0, cut + 1);
}

std::string WithSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != kPathSeparator)
        folder += kPathSeparator;
    return folder;
}

std::string UserDataFolder()
{
#ifdef _WIN32
    // %APPDATA%\Quillon, beside the settings the registry keeps for the same user.
    const char* appData = std::getenv("APPDATA");
    if (appData != nullptr && appData[0] != '\0')
        return WithSeparator(appData) + "Quillon" + kPathSeparator;
#endif
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return WithSeparator(xdg) + "Quillon" + kPathSeparator;
    const char* home = std::getenv("HOME");
    return WithSeparator(home != nullptr ? home : ".") + ".local" + kPathSeparator + "share" + kPathSeparator +
           "Quillon" + kPathSeparator;
}

} // namespace

// Tried for real, the same way on every platform: a file is made and removed.
// Permission bits alone say yes on Windows and for an administrator everywhere.
bool CanWriteIn(const std::string& folder)
{
    const std::string probe = WithSeparator(folder) + ".quillon-write-test-" + std::to_string(std::time(nullptr)) +
                              "-" + std::to_string(std::rand());
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fputc('q', file) != EOF;
    const bool closed = std::fclose(file) == 0;
    std::error_code ignored;
    std::filesystem::remove(probe, ignored);
    return written && closed;
}

std::string ChooseProgramFolder(const std::string& executableFolder,
                                const std::function<bool(const std::string&)>& writable)
{
    std::error_code ignored;
    const bool installed = std::filesystem::exists(executableFolder + kUninstallerName, ignored);
    if (!installed && writable(executableFolder))
        return executableFolder;
    const std::string data = UserDataFolder();
    std::filesystem::create_directories(data, ignored);
    return data;
}

std::string ChooseProgramFolder() { return ChooseProgramFolder(ExecutableFolder(), CanWriteIn); }

bool ProgramFolder::LogEvent(const std::string& text) const
{
    TextFile file(PathOf(kEventFile));
    if (!file.Open() && !file.Create())
        return false;
    return file.WriteLine(LocalTime("%x") + " - " + LocalTime("%X") + " -> " + text);
}
