// The fuzz targets without libFuzzer: every file of the given corpus folders,
// then seeded random inputs (fresh bytes, and corpus files mutated), each handed
// to LLVMFuzzerTestOneInput. Built with any compiler, so the normal and the
// sanitizer builds run the targets as ordinary tests.
//
//   <target>_replay [--random N] [--seed S] [--max-len L] [--save K FILE] FOLDER_OR_FILE...
//
// A crash names the input it happened on; the random inputs are reproducible
// from the seed, and --save writes random input K to a file for the corpus.

#include "FuzzSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_HAVE_SANITIZER_INTERFACE 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define QUILLON_HAVE_SANITIZER_INTERFACE 1
#endif
#ifdef QUILLON_HAVE_SANITIZER_INTERFACE
#include <sanitizer/common_interface_defs.h>
#endif

namespace fs = std::filesystem;

namespace {

// What is running now, for the crash report. Written before each input.
char g_current[512] = "(start-up)";

void SayWhatCrashed()
{
    const char prefix[] = "\n*** replay: the input was ";
    ssize_t ignored = write(2, prefix, sizeof prefix - 1);
    ignored = write(2, g_current, std::strlen(g_current));
    ignored = write(2, "\n", 1);
    (void)ignored;
}

void OnFatalSignal(int signal)
{
    SayWhatCrashed();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallCrashReport()
{
#ifdef QUILLON_HAVE_SANITIZER_INTERFACE
    __sanitizer_set_death_callback(SayWhatCrashed);
#endif
    // The sanitizers install their own handlers for some of these afterwards; the
    // death callback covers those.
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, OnFatalSignal);
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const std::string& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

// A few of the edits libFuzzer makes: flip, overwrite, insert, erase, repeat, splice.
std::string Mutate(std::string bytes, const std::vector<std::string>& corpus, std::mt19937& random, size_t maxLen)
{
    auto below = [&random](size_t bound) { return bound == 0 ? size_t(0) : size_t(random() % bound); };
    const size_t edits = 1 + below(8);
    for (size_t e = 0; e < edits; ++e) {
        switch (below(6)) {
        case 0:
            if (!bytes.empty())
                bytes[below(bytes.size())] ^= char(1u << below(8));
            break;
        case 1:
            if (!bytes.empty())
                bytes[below(bytes.size())] = char(random());
            break;
        case 2: {
            std::string inserted(1 + below(16), '\0');
            for (char& c : inserted)
                c = char(random());
            bytes.insert(below(bytes.size() + 1), inserted);
            break;
        }
        case 3:
            if (!bytes.empty()) {
                const size_t at = below(bytes.size());
                bytes.erase(at, 1 + below(std::min<size_t>(bytes.size() - at, 32)));
            }
            break;
        case 4:
            if (!bytes.empty()) {
                const size_t at = below(bytes.size());
                const std::string piece = bytes.substr(at, 1 + below(32));
                bytes.insert(below(bytes.size() + 1), piece);
            }
            break;
        default: {
            const std::string& other = corpus[below(corpus.size())];
            if (!other.empty()) {
                const size_t at = below(other.size());
                bytes.insert(below(bytes.size() + 1), other.substr(at, 1 + below(other.size() - at)));
            }
            break;
        }
        }
    }
    if (bytes.size() > maxLen)
        bytes.resize(maxLen);
    return bytes;
}

std::string RandomInput(std::mt19937& random, const std::vector<std::string>& corpus, size_t maxLen)
{
    // Most of them start from a corpus file, which gets past the first checks of a parser.
    if (!corpus.empty() && random() % 4 != 0)
        return Mutate(corpus[random() % corpus.size()], corpus, random, maxLen);
    std::string bytes(random() % (maxLen + 1), '\0');
    for (char& c : bytes)
        c = char(random());
    return bytes;
}

int Usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--random N] [--seed S] [--max-len L] [--save K FILE] FOLDER_OR_FILE...\n",
                 program);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned long randomCount = 0;
    unsigned long seed = 1;
    size_t maxLen = 4096;
    long saveIndex = -1;
    std::string savePath;
    std::vector<fs::path> files;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--random" && hasValue)
            randomCount = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--seed" && hasValue)
            seed = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--max-len" && hasValue)
            maxLen = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--save" && i + 2 < argc) {
            saveIndex = std::strtol(argv[++i], nullptr, 10);
            savePath = argv[++i];
        } else if (!arg.empty() && arg[0] == '-')
            return Usage(argv[0]);
        else if (fs::is_directory(arg)) {
            // Absolute: a target may change the working directory.
            for (const auto& entry : fs::directory_iterator(fs::absolute(arg)))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(arg))
            files.push_back(fs::absolute(arg));
        else {
            std::fprintf(stderr, "%s: no such file or folder\n", arg.c_str());
            return 2;
        }
    }
    std::sort(files.begin(), files.end());

    InstallCrashReport();
    std::vector<std::string> corpus;
    for (const fs::path& file : files) {
        std::snprintf(g_current, sizeof g_current, "corpus file %s", file.c_str());
        corpus.push_back(ReadFile(file));
        Run(corpus.back());
    }

    std::mt19937 random{uint32_t(seed)};
    for (unsigned long n = 0; n < randomCount; ++n) {
        const std::string input = RandomInput(random, corpus, maxLen);
        std::snprintf(g_current, sizeof g_current, "random input %lu of seed %lu (--save %lu FILE writes it)", n, seed,
                      n);
        if (long(n) == saveIndex) {
            std::ofstream(savePath, std::ios::binary).write(input.data(), std::streamsize(input.size()));
            std::printf("wrote random input %lu (%zu bytes) to %s\n", n, input.size(), savePath.c_str());
        }
        Run(input);
    }
    std::printf("replayed %zu corpus files and %lu random inputs (seed %lu)\n", files.size(), randomCount, seed);
    return 0;
}
