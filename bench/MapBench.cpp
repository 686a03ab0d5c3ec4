// Arena maps of 4 MiB (a million tile records): the checksum of the file on
// disk, loading its tiles, both as an arena entry with a matching local map
// does them, and inflating a download of that size.
#include "zone/MapFile.h"

#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>
#include <string>

namespace {

constexpr size_t kMapBytes = size_t(4) << 20;

std::string MapBytes()
{
    std::mt19937 random(4);
    std::string bytes;
    bytes.reserve(kMapBytes);
    while (bytes.size() < kMapBytes) {
        const uint32_t record = (random() % 1024) | (random() % 1024) << 12 | (1 + random() % 190) << 24;
        for (int b = 0; b < 4; ++b)
            bytes += char((record >> (8 * b)) & 0xFF);
    }
    return bytes;
}

// One 4 MiB map file for every benchmark, in a folder that goes at exit.
const std::string& MapPath()
{
    static TempDir folder;
    static const std::string path = [] {
        const std::string p = folder.Path() + "arena.lvl";
        WriteWholeFile(p, MapBytes());
        return p;
    }();
    return path;
}

void BM_MapChecksum4MiB(benchmark::State& state)
{
    const std::string& path = MapPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(FileChecksum(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMapBytes));
}

void BM_MapLoad4MiB(benchmark::State& state)
{
    const std::string& path = MapPath();
    TileGrid grid;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadMap(path, grid));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMapBytes));
}

// What the client does when the server names a map it already has.
void BM_MapChecksumAndLoad4MiB(benchmark::State& state)
{
    const std::string& path = MapPath();
    TileGrid grid;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FileChecksum(path));
        benchmark::DoNotOptimize(LoadMap(path, grid));
    }
}

void BM_MapInflate4MiB(benchmark::State& state)
{
    const std::string map = MapBytes();
    uLongf size = compressBound(uLong(map.size()));
    std::string compressed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(map.data()),
              uLong(map.size()), Z_BEST_COMPRESSION);
    compressed.resize(size);
    std::string out;
    for (auto _ : state) {
        if (!InflateZlib(reinterpret_cast<const uint8_t*>(compressed.data()), compressed.size(), out))
            state.SkipWithError("inflate failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kMapBytes));
}

BENCHMARK(BM_MapChecksum4MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapLoad4MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapChecksumAndLoad4MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapInflate4MiB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
