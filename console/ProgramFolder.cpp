#include "console/ProgramFolder.h"

#include "console/TextFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

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
