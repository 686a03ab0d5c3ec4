#include "zone/MapFile.h"

#include "support/ClientHarness.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

namespace {

std::string Record(uint32_t x, uint32_t y, uint8_t tile)
{
    const uint32_t v = x | (y << 12) | (uint32_t(tile) << 24);
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

bool Inflate(const std::string& in, std::string& out, size_t cap = kMaxMapBytes)
{
    return InflateZlib(reinterpret_cast<const uint8_t*>(in.data()), in.size(), out, cap);
}

TEST(MapFileTest, ChecksumMatchesTheKnownAnswerVectors)
{
    std::ifstream in(QUILLON_TEST_DATA "/cipher-and-crc.txt");
    TempDir dir;
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("crc32 ", 0) != 0)
            continue;
        // The data field may be empty, leaving two spaces.
        const size_t last = line.find_last_of(' ');
        const std::string data = HexPacket(line.substr(6, last - 6)).ToString();
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
    // Names a pushed file may not take: our own files, runnable ones, devices.
    for (const char* reserved : {"Ignore.txt", "EVENT.TXT", "quillon", "evil.DLL", "x.exe", "con", "Nul.txt", "lpt1"})
        EXPECT_TRUE(IsReservedFileName(reserved)) << reserved;
    for (const char* free : {"news.txt", "console.txt", "com10", "quillon.txt", "exe"})
        EXPECT_FALSE(IsReservedFileName(free)) << free;
}

// Oversized and corrupted streams are refused on the way in, end to end.
TEST(MapFileTest, InflateRestoresWholeStreamsAndRefusesCutOnes)
{
    const std::string map(100000, 'x');
    uLongf size = compressBound(uLong(map.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(map.data()), map.size());
    packed.resize(size);
    std::string out;
    EXPECT_TRUE(Inflate(packed + "junk", out)); // trailing bytes are ignored, as zlib's uncompress does
    EXPECT_EQ(out, map);
    EXPECT_FALSE(Inflate(packed, out, map.size() - 1));
    for (const std::string& bad : {packed.substr(0, packed.size() / 2), std::string()})
        EXPECT_FALSE(Inflate(bad, out));
}

TEST(MapFileTest, TileRecordsFillTheGridAndSkipWhatTheyCannotName)
{
    TempDir dir;
    TileGrid grid;
    EXPECT_FALSE(LoadMap(dir.Path() + "missing.lvl", grid));
    grid.Set(100, 100, 9); // an earlier map's cell stays
    // A bitmap is skipped by its length; its bytes would otherwise read as records.
    std::string file = std::string("BM\x0a\x00\x00\x00", 6) + "\x01\x01\x01\x01";
    file += Record(3, 2, 5) + Record(1023, 1023, 7) + Record(3, 2, 6);
    file += "\xFF\xFF\xFF\x11" // x = y = 4095
            "\x01\x02";        // short last record
    WriteWholeFile(dir.Path() + "map.lvl", file);
    EXPECT_TRUE(LoadMap(dir.Path() + "map.lvl", grid));
    EXPECT_EQ(grid.At(3, 2), 6); // a later record overwrites
    EXPECT_EQ(grid.At(1023, 1023), 7);
    EXPECT_EQ(grid.At(100, 100), 9);
    EXPECT_EQ(grid.At(257, 16), 0);

    LoadTiles("BM\xFF\xFF\xFF\x7F" + Record(4, 4, 4), grid); // a length beyond the file
    EXPECT_EQ(grid.At(4, 4), 0);
}

} // namespace
