#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "quillon-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data()))
        path_ = std::string(made) + "/";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (!path_.empty())
        fs::remove_all(path_, ignored);
}

TempHome::TempHome()
{
    if (const char* home = std::getenv("HOME")) {
        hadHome_ = true;
        oldHome_ = home;
    }
    setenv("HOME", dir_.Path().c_str(), 1);
}

TempHome::~TempHome()
{
    if (hadHome_)
        setenv("HOME", oldHome_.c_str(), 1);
    else
        unsetenv("HOME");
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path) { return fs::exists(path); }
