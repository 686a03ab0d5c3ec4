#include "zone/MapFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

namespace {

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(char(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string Record(uint32_t x, uint32_t y, uint8_t tile)
{
    const uint32_t v = x | (y << 12) | (uint32_t(tile) << 24);
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string Compress(const std::string& bytes)
{
    uLongf size = compressBound(uLong(bytes.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
              uLong(bytes.size()), 9);
    out.resize(size);
    return out;
}

TEST(MapFileTest, ChecksumMatchesTheKnownAnswerVectors)
{
    std::ifstream in(QUILLON_TEST_DATA "/cipher-and-crc.txt");
    std::string line;
    int checked = 0;
    TempDir dir;
    while (std::getline(in, line)) {
        if (line.rfind("crc32 ", 0) != 0)
            continue;
        // The data field may be empty, leaving two spaces.
        const size_t last = line.find_last_of(' ');
        const std::string data = FromHex(line.substr(6, last - 6));
        const uint32_t expected = uint32_t(std::stoul(line.substr(last + 1), nullptr, 16));
        EXPECT_EQ(Checksum(data), expected) << line.substr(0, 40);
        WriteWholeFile(dir.Path() + "map.lvl", data);
        EXPECT_EQ(FileChecksum(dir.Path() + "map.lvl"), expected);
        ++checked;
    }
    EXPECT_EQ(checked, 4);
    EXPECT_EQ(FileChecksum(dir.Path() + "missing.lvl"), 0u);
}

TEST(MapFileTest, ServerNamesThatCouldLeaveTheFolderAreRefused)
{
    for (const char* bad : {"", "../x", "a/b", "a\\b", "C:x", "..", "x..y"})
        EXPECT_FALSE(IsSafeServerFileName(bad)) << bad;
    for (const char* good : {"news.txt", "duel.lvl", ".hidden", "a.b.c"})
        EXPECT_TRUE(IsSafeServerFileName(good)) << good;
}

TEST(MapFileTest, InflateRestoresValidStreamsAndRefusesBadOnes)
{
    std::string big(10 * 1000, 'x'); // expands far beyond three times its compressed size
    for (size_t i = 0; i < big.size(); i += 7)
        big[i] = char(i);
    const std::string packed = Compress(big);
    std::string out;
    ASSERT_TRUE(InflateZlib(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), out));
    EXPECT_EQ(out, big);

    // Trailing bytes after the stream are ignored, as zlib's own uncompress does.
    const std::string trailed = packed + "junk";
    EXPECT_TRUE(InflateZlib(reinterpret_cast<const uint8_t*>(trailed.data()), trailed.size(), out));
    EXPECT_EQ(out, big);

    const std::string truncated = packed.substr(0, packed.size() / 2);
    EXPECT_FALSE(InflateZlib(reinterpret_cast<const uint8_t*>(truncated.data()), truncated.size(), out));
    const std::string garbage = "not a zlib stream at all";
    EXPECT_FALSE(InflateZlib(reinterpret_cast<const uint8_t*>(garbage.data()), garbage.size(), out));
    EXPECT_FALSE(InflateZlib(nullptr, 0, out));
    EXPECT_TRUE(out.empty());
}

TEST(MapFileTest, InflateStopsAtTheCap)
{
    const std::string bomb = Compress(std::string(3 << 20, '\0'));
    std::string out;
    EXPECT_FALSE(InflateZlib(reinterpret_cast<const uint8_t*>(bomb.data()), bomb.size(), out, 1 << 20));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(InflateZlib(reinterpret_cast<const uint8_t*>(bomb.data()), bomb.size(), out, 3 << 20));
}

TEST(MapFileTest, TileRecordsFillTheGridAndSkipWhatTheyCannotName)
{
    TileGrid grid;
    grid.Set(100, 100, 9); // an earlier map's cell stays
    std::string file = Record(3, 2, 5) + Record(1023, 1023, 7) + Record(3, 2, 6);
    file += std::string{char(0xFF), char(0xFF), char(0xFF), char(0x11)}; // x = y = 4095
    file += "\x01\x02";                                                  // short last record
    LoadTiles(file, grid);
    EXPECT_EQ(grid.At(3, 2), 6); // a later record overwrites
    EXPECT_EQ(grid.At(1023, 1023), 7);
    EXPECT_EQ(grid.At(100, 100), 9);
    EXPECT_EQ(grid.At(2, 1), 0);
}

TEST(MapFileTest, BitmapIsSkippedByItsLength)
{
    std::string file = "BM";
    const uint32_t length = 1078;
    file += std::string{char(length), char(length >> 8), 0, 0};
    file.resize(length, '\x01'); // bitmap bytes that would otherwise read as records
    file += Record(3, 2, 5);
    TileGrid grid;
    LoadTiles(file, grid);
    EXPECT_EQ(grid.At(3, 2), 5);
    EXPECT_EQ(grid.At(1, 16), 0);

    std::string beyond = "BM";
    beyond += std::string{char(0xFF), char(0xFF), char(0xFF), char(0x7F)};
    beyond += Record(4, 4, 4);
    LoadTiles(beyond, grid);
    EXPECT_EQ(grid.At(4, 4), 0);
}

TEST(MapFileTest, LoadFailsOnlyForAFileThatCannotBeOpened)
{
    TempDir dir;
    TileGrid grid;
    EXPECT_FALSE(LoadMap(dir.Path() + "missing.lvl", grid));
    WriteWholeFile(dir.Path() + "empty.lvl", "");
    EXPECT_TRUE(LoadMap(dir.Path() + "empty.lvl", grid));
    WriteWholeFile(dir.Path() + "one.lvl", Record(10, 20, 30));
    EXPECT_TRUE(LoadMap(dir.Path() + "one.lvl", grid));
    EXPECT_EQ(grid.At(10, 20), 30);
}

} // namespace
