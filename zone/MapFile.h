#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The arena's tile grid: 1024 x 1024 tile numbers, cell (x, y) at y * 1024 + x.
class TileGrid {
public:
    static constexpr uint32_t kSide = 1024;
    TileGrid() : cells_(size_t(kSide) * kSide, 0) {}
    uint8_t At(uint32_t x, uint32_t y) const { return cells_[size_t(y) * kSide + x]; }
    void Set(uint32_t x, uint32_t y, uint8_t tile) { cells_[size_t(y) * kSide + x] = tile; }
    void Clear() { std::fill(cells_.begin(), cells_.end(), uint8_t(0)); }

private:
    std::vector<uint8_t> cells_;
};

// A name the server gives for a file in our folders. Anything that could leave
// the folder (separators, drive colons, "..") is refused, and so is what Windows
// cannot hold as a file name: its device names (CON, COM1, ...), the characters
// it forbids, and a trailing dot or space.
bool IsSafeServerFileName(const std::string& name);

// A name the server may not write a file under, whatever the folder: the
// client's own files, and programs and libraries Windows would run or load.
bool IsReservedFileName(const std::string& name);

// CRC-32 as zlib computes it; 0 for a file that cannot be opened or is empty.
uint32_t FileChecksum(const std::string& path);
uint32_t Checksum(const std::string& bytes);

// Inflates a whole zlib stream. Fails on corrupt or incomplete data and on
// output beyond the cap, so a hostile stream cannot exhaust memory.
inline constexpr size_t kMaxMapBytes = size_t(64) << 20;
bool InflateZlib(const uint8_t* data, size_t length, std::string& out, size_t cap = kMaxMapBytes);

// Sets the cells that the file's tile records name; an optional "BM" bitmap at
// the start is skipped by its length. Cells not named keep their values.
void LoadTiles(const std::string& fileBytes, TileGrid& grid);
// The whole file; false when it cannot be opened.
bool ReadMapBytes(const std::string& path, std::string& bytes);
// False only when the file cannot be opened.
bool LoadMap(const std::string& path, TileGrid& grid);
