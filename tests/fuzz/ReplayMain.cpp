// The fuzz targets without libFuzzer: every file of the given corpus folders,
// then seeded random inputs (corpus files mutated, or fresh bytes), each handed
// to LLVMFuzzerTestOneInput. Built with any compiler, so the normal and the
// sanitizer builds run the targets as ordinary tests.
//
//   <target>_replay [--random N] [--seed S] [--save K FILE] FOLDER_OR_FILE...
//
// Before each input its name goes to standard error, so a crash names it; the
// random inputs are reproducible from the seed, and --save writes input K to a file.

#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxLength = 4096;

void Run(const std::string& input, const std::string& name)
{
    // Overwritten in place: only the input that was running when it died stays on the screen.
    std::fprintf(stderr, "\r%-70.70s", name.c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

// A few of the edits libFuzzer makes: flip a bit, insert random bytes, erase, splice in another input.
std::string Mutate(std::string bytes, const std::vector<std::string>& corpus, std::mt19937& random)
{
    auto below = [&random](size_t bound) { return bound == 0 ? size_t(0) : size_t(random() % bound); };
    for (size_t edits = 1 + below(8); edits > 0; --edits) {
        const size_t at = below(bytes.size() + 1);
        switch (below(4)) {
        case 0:
            if (at < bytes.size())
                bytes[at] ^= char(1u << below(8));
            break;
        case 1:
            for (size_t n = 1 + below(16); n > 0; --n)
                bytes.insert(bytes.begin() + long(at), char(random()));
            break;
        case 2:
            bytes.erase(at, 1 + below(32));
            break;
        default: {
            const std::string& other = corpus[below(corpus.size())];
            const size_t from = below(other.size());
            bytes.insert(at, other.substr(from, 1 + below(other.size() - from)));
            break;
        }
        }
    }
    bytes.resize(std::min(bytes.size(), kMaxLength));
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned long randomCount = 0, seed = 1;
    long saveIndex = -1;
    std::string savePath;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--random" && i + 1 < argc) {
            randomCount = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--save" && i + 2 < argc) {
            saveIndex = std::strtol(argv[++i], nullptr, 10);
            savePath = argv[++i];
        } else if (fs::is_directory(arg)) {
            // Absolute: a target may change the working directory.
            for (const auto& entry : fs::directory_iterator(fs::absolute(arg)))
                files.push_back(entry.path());
        } else if (fs::is_regular_file(arg)) {
            files.push_back(fs::absolute(arg));
        } else {
            std::fprintf(stderr, "usage: %s [--random N] [--seed S] [--save K FILE] FOLDER_OR_FILE...\n", argv[0]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());

    std::vector<std::string> corpus;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        Run(corpus.back(), "corpus file " + file.filename().string());
    }
    std::mt19937 random{uint32_t(seed)};
    for (unsigned long n = 0; n < randomCount; ++n) {
        // Most start from a corpus file, which gets past the first checks of a parser.
        std::string input(random() % (kMaxLength + 1), '\0');
        if (!corpus.empty() && random() % 4 != 0)
            input = Mutate(corpus[random() % corpus.size()], corpus, random);
        else
            for (char& c : input)
                c = char(random());
        if (long(n) == saveIndex)
            std::ofstream(savePath, std::ios::binary).write(input.data(), std::streamsize(input.size()));
        Run(input, "random input " + std::to_string(n) + " of seed " + std::to_string(seed));
    }
    std::printf("\nreplayed %zu corpus files and %lu random inputs (seed %lu)\n", files.size(), randomCount, seed);
    return 0;
}
