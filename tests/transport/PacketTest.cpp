#include "transport/Packet.h"
#include "support/ClientHarness.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(PacketTest, IntegersAreLittleEndianAndOutOfRangeReadsGiveZerosAndWritesNothing)
{
    Packet p = HexPacket("0102030405");
    EXPECT_EQ(p.ReadU16(0), 0x0201);
    EXPECT_EQ(p.ReadU32(1), 0x05040302u);
    EXPECT_EQ(p.ReadU32(2), 0x050403u); // the missing fourth byte counts as zero
    EXPECT_EQ(p.ReadU16(5), 0);
    EXPECT_EQ(p.ReadU8(0xFFFFFFFF), 0);
    EXPECT_EQ(p.ReadU32(0xFFFFFFFE), 0u); // no wrap back to the start

    p.WriteU32(0xAABBCCDD, 3);
    p.WriteU16(0x1122, 5);
    p.WriteU32(0x44556677, 0xFFFFFFFE);
    EXPECT_EQ(p, HexPacket("010203DDCC"));
}

// The packet log is read by people and by their tools; its layout is fixed.
TEST(PacketTest, HexDumpsShowSixteenBytesARowWithTheCharactersAfterAShortLastRow)
{
    const Packet twenty = Packet::FromString(std::string("\x7F ~\0EFGHIJKLMNOPQRST", 20));
    EXPECT_EQ(twenty.HexDump(true), "S2C\r\n---\r\n0000   7F 20 7E 00 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50       "
                                    ".   ~ . E F G H I J K L M N O P \r\n0010   51 52 53 54 " +
                                        std::string(36 + 6, ' ') + "Q R S T \r\n\r\n");
    EXPECT_EQ(Packet::FromString("ABCDEFGHIJKLMNOP").HexDump(false),
              "C2S\r\n---\r\n0000   41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 \r\n\r\n");
    EXPECT_EQ(Packet().HexDump(true), "S2C\r\n---\r\n0000   " + std::string(48 + 6, ' ') + "\r\n\r\n");
}

TEST(PacketTest, TheLogAppendsBlocksInTheWorkingFolderWhileTheyFitIn64MiB)
{
    TempDir dir;
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    // A first block too big for the limit does not make the file either.
    Packet(11u << 20).Log(true);
    EXPECT_FALSE(FileExists(dir.Path() + "Packet.log"));
    const Packet p = HexPacket("0003");
    p.Log(true);
    p.Log(false);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "Packet.log"), p.HexDump(true) + p.HexDump(false));
    // A big block that would pass the limit is left out; a small one still fits.
    constexpr uint64_t k64MiB = uint64_t(64) << 20; // where Packet.log stops growing
    const uint64_t nearlyFull = k64MiB - 1000;
    std::filesystem::resize_file(dir.Path() + "Packet.log", nearlyFull);
    Packet(4096).Log(true);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() + "Packet.log"), nearlyFull);
    p.Log(true);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() + "Packet.log"), nearlyFull + p.HexDump(true).size());
    EXPECT_LE(nearlyFull + p.HexDump(true).size(), k64MiB);
    std::filesystem::current_path(old);
}

} // namespace
