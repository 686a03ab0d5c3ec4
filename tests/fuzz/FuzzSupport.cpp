#include "FuzzSupport.h"

#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

void FuzzFail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

namespace {

// The scratch folders go on a memory file system where there is one: millions
// of small files are written and removed in a fuzzing run.
bool PreferMemoryFileSystem()
{
    constexpr const char* kShared = "/dev/shm";
    std::error_code error;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory(kShared, error) && access(kShared, W_OK) == 0)
        setenv("TMPDIR", kShared, 1);
    return true;
}

// Lives until exit, when the folders go with it.
struct Resources {
    bool memory = PreferMemoryFileSystem();
    TempDir sandbox;
};

Resources& TheResources()
{
    static Resources resources;
    return resources;
}

} // namespace

FuzzScratch& FuzzScratch::Get()
{
    static FuzzScratch scratch;
    return scratch;
}

FuzzScratch::FuzzScratch()
{
    Resources& resources = TheResources();
    if (resources.sandbox.Path().empty())
        FuzzFail("scratch space could not be set up", __FILE__, __LINE__);
    sandbox_ = resources.sandbox.Path();
    program_ = sandbox_ + "Quillon/";
    fs::create_directories(program_);
    if (chdir(program_.c_str()) != 0)
        FuzzFail("cannot enter the program folder", __FILE__, __LINE__);
}

void FuzzScratch::EmptyProgramFolder() const
{
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(program_, ignored))
        fs::remove_all(entry.path(), ignored);
}

bool FuzzScratch::SandboxHoldsOnlyProgramFolder() const
{
    std::error_code error;
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(sandbox_, error)) {
        if (entry.path().filename() != "Quillon")
            return false;
        ++entries;
    }
    return !error && entries == 1;
}
