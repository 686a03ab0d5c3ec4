#include "Integrity.h"

namespace SimIntegrity {

namespace {

constexpr int kSide = 1024;

uint32_t Word(const std::string& bytes, size_t at)
{
    if (at + 4 > bytes.size())
        return 0;
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

void Lay(std::vector<uint8_t>& grid, uint32_t record)
{
    const int x = int(record & 0xFFF);
    const int y = int((record >> 12) & 0xFFF);
    const int tile = int(record >> 24);
    if (x >= kSide || y >= kSide)
        return;
    int size = 1;
    if (tile == 217)
        size = 2;
    else if (tile == 219)
        size = 6;
    else if (tile == 220)
        size = 5;
    for (int row = y; row < y + size; ++row)
        for (int column = x; column < x + size; ++column)
            grid[size_t((row % kSide) * kSide + column % kSide)] = uint8_t(tile);
}

} // namespace

uint32_t Settings(const Packet& block, uint32_t key)
{
    uint32_t total = 0;
    for (uint32_t word = 0; word < 357; ++word)
        total = total + (block.ReadU32(4 * word) ^ key);
    return total;
}

std::vector<uint8_t> Grid(const std::string& mapFile)
{
    std::vector<uint8_t> grid(size_t(kSide) * kSide, 0);
    size_t records = 0;
    if (mapFile.size() >= 2 && mapFile[0] == 'B' && mapFile[1] == 'M') {
        records = Word(mapFile, 2);
        const size_t meta = Word(mapFile, 6);
        if (meta != 0 && meta + 12 <= mapFile.size() && mapFile.compare(meta, 4, "elvl") == 0) {
            const size_t end = meta + Word(mapFile, meta + 4);
            size_t chunk = meta + 12;
            while (chunk + 8 <= end && chunk + 8 <= mapFile.size()) {
                const size_t length = Word(mapFile, chunk + 4);
                if (mapFile.compare(chunk, 4, "TILE") == 0)
                    for (size_t at = chunk + 8; at + 4 <= chunk + 8 + length && at + 4 <= mapFile.size(); at += 4)
                        Lay(grid, Word(mapFile, at));
                chunk += 8 + (length + 3) / 4 * 4;
            }
        }
    }
    for (size_t at = records; at + 4 <= mapFile.size(); at += 4)
        Lay(grid, Word(mapFile, at));
    return grid;
}

uint32_t Map(const std::vector<uint8_t>& grid, uint32_t key)
{
    const int32_t s = int32_t(key);
    uint32_t result = key;
    for (int32_t row = s % 32; row < kSide; row += 32) {
        for (int32_t column = s % 31; column < kSide; column += 31) {
            const int r = row < 0 ? row + kSide : row;
            const int c = column < 0 ? column + kSide : column;
            const uint8_t tile = grid[size_t(r * kSide + c)];
            if ((tile >= 1 && tile <= 160) || tile == 171)
                result += key ^ tile;
        }
    }
    return result;
}

uint32_t Program(uint32_t key)
{
    // Each block: its start value, then its (A, B) pairs, flattened; the blocks' sizes in pairs.
    static const uint32_t starts[8] = {0xC98ED41F, 0x9C15857D, 0x824B9278, 0xE3F8D2AF,
                                       0xCB54D8A0, 0x045C23F9, 0xB229A3D0, 0x466E55A7};
    static const int pairs[8] = {9, 2, 4, 2, 9, 4, 1, 5};
    static const uint32_t values[] = {
        0x0003E1BC, 0x42435942, 0x1D895300, 0x6B5C4032, 0x00467E44, 0x516C7EDA, 0x8B0C708B, 0x6B3E3429,
        0x560674C9, 0xF4E6B721, 0xE90CC483, 0x80ECE15A, 0x728BCE33, 0x1FC5D1E6, 0x8B0C518B, 0x24F1A96E,
        0x030AE0C1, 0x8858741B, 0x0424448B, 0xCD0455EE, 0x00000727, 0x8D7F29CD, 0x00006590, 0x8E16169A,
        0x8B524914, 0x82DCE03A, 0xFA83D733, 0xB0955349, 0xE8000003, 0x7CFE3604, 0x2DE85024, 0xBED0296B,
        0x587501F8, 0xADA70F65, 0x0F000001, 0x330F19FF, 0x909090C3, 0xD20F9F9F, 0x53004ADD, 0x5D81256B,
        0x8B004B65, 0xA5312749, 0xB8004B67, 0x8ADF8FB1, 0x8901E283, 0x8EC94507, 0x89D23300, 0x1FF8E1DC,
        0x108A004A, 0xC73D6304, 0x0043D2D3, 0x6F78E4FF, 0x47D86097, 0x7CB588BD, 0x00009286, 0x21D700F8,
        0xDF8E0FD9, 0x42796C9E, 0x8B000003, 0x3AD32A21, 0x0047D708, 0x010B0A91, 0xC7880D8B, 0x44CE7067,
        0x000000E4, 0x923A6D44, 0x640047D6, 0xA62D606C, 0x2BD1F7AE, 0x2F5621FB, 0x8B0F74FF, 0x2928B332,
    };
    uint32_t total = 0x62CF369A;
    size_t next = 0;
    for (int block = 0; block < 8; ++block) {
        uint32_t v = starts[block];
        for (int pair = 0; pair < pairs[block]; ++pair, next += 2) {
            v = v + (values[next] | key);
            const bool last = next + 2 == sizeof values / sizeof values[0];
            v = v ^ values[next + 1] ^ (last ? 0 : key);
        }
        total = total + v;
    }
    return total;
}

} // namespace SimIntegrity
