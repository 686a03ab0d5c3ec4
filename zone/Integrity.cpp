#include "zone/Integrity.h"

#include "zone/MapFile.h"
#include "zone/Zone.h"

#include <array>

namespace {

namespace Request {
constexpr uint32_t kSize = 17;
constexpr uint32_t kKey = 13;
} // namespace Request

namespace Answer {
constexpr uint8_t kType = 0x1A;
constexpr uint32_t kSize = 40;
constexpr uint32_t kSettings = 5;
constexpr uint32_t kProgram = 9;
constexpr uint32_t kMap = 13;
constexpr uint32_t kLastPing = 31;
constexpr uint32_t kAveragePing = 33;
constexpr uint32_t kLowestPing = 35;
constexpr uint32_t kHighestPing = 37;
} // namespace Answer

// The server checks 15 s after it asked; an answer later than that meets the next round.
constexpr uint32_t kAnswerWithin = 1500;

uint32_t ReadU32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
        value |= uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// One record: bits 0-11 x, 12-23 y, 24-31 the tile. Off the grid it is skipped.
void PlaceRecord(uint32_t record, TileGrid& grid)
{
    const uint32_t x = record & 0xFFF, y = (record >> 12) & 0xFFF;
    const uint8_t tile = uint8_t(record >> 24);
    if (x >= TileGrid::kSide || y >= TileGrid::kSide)
        return;
    const uint32_t side = tile == 217 ? 2 : tile == 219 ? 6 : tile == 220 ? 5 : 1;
    for (uint32_t dy = 0; dy < side; ++dy)
        for (uint32_t dx = 0; dx < side; ++dx)
            grid.Set((x + dx) % TileGrid::kSide, (y + dy) % TileGrid::kSide, tile);
}

void PlaceRecords(const std::string& bytes, size_t from, size_t to, TileGrid& grid)
{
    for (size_t at = from; at + 4 <= to; at += 4)
        PlaceRecord(ReadU32(bytes, at), grid);
}

// The metadata area of an extended map: "elvl", its size, a reserved word, then
// chunks of a type, a size and the data, padded to four bytes.
void PlaceTileChunks(const std::string& bytes, size_t area, TileGrid& grid)
{
    if (area > bytes.size() || bytes.compare(area, 4, "elvl") != 0)
        return;
    const size_t end = std::min(bytes.size(), area + size_t(ReadU32(bytes, area + 4)));
    for (size_t at = area + 12; at + 8 <= end;) {
        const size_t size = ReadU32(bytes, at + 4);
        const size_t data = at + 8;
        if (size > end - data)
            return;
        if (bytes.compare(at, 4, "TILE") == 0)
            PlaceRecords(bytes, data, data + size, grid);
        at = data + ((size + 3) & ~size_t(3));
    }
}

bool Counted(uint8_t tile) { return (tile >= 1 && tile <= 160) || tile == 171; }

struct Block {
    uint32_t start;
    std::array<std::pair<uint32_t, uint32_t>, 9> pairs;
    size_t count;
};

// The program checksum's constants: eight blocks of (A, B) pairs.
const Block kBlocks[] = {
    {0xC98ED41F,
     {{{0x0003E1BC, 0x42435942},
       {0x1D895300, 0x6B5C4032},
       {0x00467E44, 0x516C7EDA},
       {0x8B0C708B, 0x6B3E3429},
       {0x560674C9, 0xF4E6B721},
       {0xE90CC483, 0x80ECE15A},
       {0x728BCE33, 0x1FC5D1E6},
       {0x8B0C518B, 0x24F1A96E},
       {0x030AE0C1, 0x8858741B}}},
     9},
    {0x9C15857D, {{{0x0424448B, 0xCD0455EE}, {0x00000727, 0x8D7F29CD}}}, 2},
    {0x824B9278, {{{0x00006590, 0x8E16169A}, {0x8B524914, 0x82DCE03A}, {0xFA83D733, 0xB0955349}, {0xE8000003, 0x7CFE3604}}}, 4},
    {0xE3F8D2AF, {{{0x2DE85024, 0xBED0296B}, {0x587501F8, 0xADA70F65}}}, 2},
    {0xCB54D8A0,
     {{{0x0F000001, 0x330F19FF},
       {0x909090C3, 0xD20F9F9F},
       {0x53004ADD, 0x5D81256B},
       {0x8B004B65, 0xA5312749},
       {0xB8004B67, 0x8ADF8FB1},
       {0x8901E283, 0x8EC94507},
       {0x89D23300, 0x1FF8E1DC},
       {0x108A004A, 0xC73D6304},
       {0x0043D2D3, 0x6F78E4FF}}},
     9},
    {0x045C23F9, {{{0x47D86097, 0x7CB588BD}, {0x00009286, 0x21D700F8}, {0xDF8E0FD9, 0x42796C9E}, {0x8B000003, 0x3AD32A21}}}, 4},
    {0xB229A3D0, {{{0x0047D708, 0x010B0A91}}}, 1},
    {0x466E55A7,
     {{{0xC7880D8B, 0x44CE7067},
       {0x000000E4, 0x923A6D44},
       {0x640047D6, 0xA62D606C},
       {0x2BD1F7AE, 0x2F5621FB},
       {0x8B0F74FF, 0x2928B332}}},
     5},
};
constexpr uint32_t kProgramAddend = 0x62CF369A;

void SendAnswer(Zone& zone, uint32_t key)
{
    Connection& link = zone.Link();
    const PingFigures pings{link.LastPing(), link.AveragePing(), link.LowestPing(), link.HighestPing()};
    link.SendReliable(IntegrityAnswer(zone.ArenaSettings(), zone.checkGrid, key, pings));
}

} // namespace

uint32_t SettingsChecksum(const Packet& settings, uint32_t key)
{
    uint32_t sum = 0;
    for (uint32_t at = 0; at + 4 <= Zone::kArenaSettingsSize; at += 4)
        sum += settings.ReadU32(at) ^ key;
    return sum;
}

void BuildCheckGrid(const std::string& mapBytes, TileGrid& grid)
{
    grid.Clear();
    size_t first = 0;
    if (mapBytes.compare(0, 2, "BM") == 0) {
        first = ReadU32(mapBytes, 2);
        if (const uint32_t area = ReadU32(mapBytes, 6))
            PlaceTileChunks(mapBytes, area, grid);
    }
    PlaceRecords(mapBytes, first, mapBytes.size(), grid);
}

uint32_t MapChecksum(const TileGrid& grid, uint32_t key)
{
    const int32_t signedKey = int32_t(key);
    const int32_t y0 = signedKey % 32, x0 = signedKey % 31;
    const auto cell = [](int32_t c) { return uint32_t(c < 0 ? c + int32_t(TileGrid::kSide) : c) % TileGrid::kSide; };
    uint32_t sum = key;
    for (int32_t y = y0; y < int32_t(TileGrid::kSide); y += 32) {
        for (int32_t x = x0; x < int32_t(TileGrid::kSide); x += 31) {
            const uint8_t tile = grid.At(cell(x), cell(y));
            if (Counted(tile))
                sum += key ^ tile;
        }
    }
    return sum;
}

uint32_t ProgramChecksum(uint32_t key)
{
    uint32_t total = 0;
    for (const Block& block : kBlocks) {
        uint32_t v = block.start;
        for (size_t i = 0; i < block.count; ++i) {
            const bool veryLast = &block == &kBlocks[7] && i + 1 == block.count;
            v += block.pairs[i].first | key;
            v ^= block.pairs[i].second ^ (veryLast ? 0u : key);
        }
        total += v;
    }
    return total + kProgramAddend;
}

Packet IntegrityAnswer(const Packet& settings, const TileGrid& grid, uint32_t key, const PingFigures& pings)
{
    Packet answer(Answer::kSize);
    answer.WriteU8(Answer::kType, 0);
    answer.WriteU32(SettingsChecksum(settings, key), Answer::kSettings);
    answer.WriteU32(ProgramChecksum(key), Answer::kProgram);
    answer.WriteU32(MapChecksum(grid, key), Answer::kMap);
    answer.WriteU16(pings.last, Answer::kLastPing);
    answer.WriteU16(pings.average, Answer::kAveragePing);
    answer.WriteU16(pings.lowest, Answer::kLowestPing);
    answer.WriteU16(pings.highest, Answer::kHighestPing);
    return answer;
}

void HandleIntegrityRequest(Zone& zone, const Packet& packet)
{
    if (packet.Size() < Request::kSize)
        return;
    const uint32_t key = packet.ReadU32(Request::kKey);
    // Key 0 comes with every arena entry and wants no answer: one is taken as wrong.
    if (key == 0)
        return;
    if (!zone.map.requested.empty()) {
        zone.waitingCheck = {key, zone.Now()};
        return;
    }
    SendAnswer(zone, key);
}

void AnswerWaitingIntegrityRequest(Zone& zone)
{
    const Zone::WaitingCheck check = zone.waitingCheck;
    zone.waitingCheck = {};
    if (check.key != 0 && zone.Now() - check.arrived <= kAnswerWithin)
        SendAnswer(zone, check.key);
}
