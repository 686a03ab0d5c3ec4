// Map files as a hostile server or a damaged disk gives them: the compressed
// download is inflated under its cap and the tiles loaded; the raw bytes are
// loaded as a file from disk and checksummed, also as the integrity check builds
// its grid; and the first bytes, as a name
// the server offers, either stay inside the Maps folder or are refused.

#include "FuzzSupport.h"

#include "zone/Integrity.h"
#include "zone/MapFile.h"

#include "support/TempDir.h"

#include <filesystem>
#include <string>

namespace {

constexpr size_t kNameWidth = 16;

TileGrid& Grid()
{
    static TileGrid grid;
    return grid;
}

// A name that is not refused must name a file directly in the folder.
void CheckName(const std::string& name)
{
    if (!IsSafeServerFileName(name))
        return;
    namespace fs = std::filesystem;
    const fs::path folder = fs::path("/program/Maps");
    const fs::path joined = (folder / fs::path(name)).lexically_normal();
    FUZZ_CHECK(joined.parent_path() == folder);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzScratch& scratch = FuzzScratch::Get();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckName(bytes.substr(0, std::min(bytes.find('\0'), kNameWidth)));

    std::string map;
    if (InflateZlib(data, size, map, kMaxMapBytes))
        LoadTiles(map, Grid());
    FUZZ_CHECK(map.size() <= kMaxMapBytes);

    const std::string path = scratch.ProgramFolder() + "fuzz.lvl";
    WriteWholeFile(path, bytes);
    FUZZ_CHECK(FileChecksum(path) == (bytes.empty() ? 0 : Checksum(bytes)));
    FUZZ_CHECK(LoadMap(path, Grid()));
    // The integrity check builds its own grid, extended maps' chunks included.
    BuildCheckGrid(bytes, Grid());
    MapChecksum(Grid(), uint32_t(size) * 2654435761u);
    return 0;
}
