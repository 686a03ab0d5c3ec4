#include "zone/MapFile.h"

#include "support/ClientHarness.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

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
    // Windows' rules hold on every platform: devices, forbidden characters, a trailing dot or space.
    for (const char* bad : {"",        "../x", "a/b",      "a\\b",      "C:x",      "..",          "x..y",   "con",
                            "Nul.txt", "lpt1", "COM9.lvl", "aux .txt",  "map.lvl.", "map.lvl ",    "a*b",    "a?b",
                            "a|b",     "a\"b", "a<b",      "tab\tname", "COM\xB9",  "lpt\xB2.txt", "Com\xB3"})
        EXPECT_FALSE(IsSafeServerFileName(bad)) << bad;
    for (const char* good : {"news.txt", "duel.lvl", ".hidden", "a.b.c", "console.txt", "com10", "my map.lvl"})
        EXPECT_TRUE(IsSafeServerFileName(good)) << good;
    // Names a pushed file may not take: our own files and runnable ones.
    for (const char* reserved : {"Ignore.txt",
                                 "EVENT.TXT",
                                 "quillon",
                                 "evil.DLL",
                                 "x.exe",
                                 "a.url",
                                 "a.HTA",
                                 "a.js",
                                 "a.jse",
                                 "a.wsf",
                                 "a.wsh",
                                 "a.cpl",
                                 "a.reg",
                                 "a.scf",
                                 "a.msc",
                                 "a.jar",
                                 "a.appref-ms",
                                 "a.library-ms",
                                 "a.settingcontent-ms",
                                 "a.lnk",
                                 "a.ps1",
                                 "a.vbe"})
        EXPECT_TRUE(IsReservedFileName(reserved)) << reserved;
    for (const char* free : {"news.txt", "console.txt", "com10", "com\xB4", "quillon.txt", "exe", "a.json", "a.lvl"})
        EXPECT_FALSE(IsReservedFileName(free)) << free;
}

} // namespace
