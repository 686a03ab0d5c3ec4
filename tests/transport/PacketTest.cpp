#include "transport/Packet.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

Packet Bytes(std::initializer_list<uint8_t> bytes)
{
    Packet p;
    for (uint8_t b : bytes)
        p.AppendBytes(&b, 1);
    return p;
}

TEST(PacketTest, IntegersAreLittleEndianAndReadsPastTheEndGiveZeros)
{
    Packet p = Bytes({0x01, 0x02, 0x03, 0x04, 0x05});
    EXPECT_EQ(p.ReadU16(0), 0x0201);
    EXPECT_EQ(p.ReadU32(1), 0x05040302u);
    EXPECT_EQ(p.ReadU16(4), 0x05);        // last byte alone
    EXPECT_EQ(p.ReadU32(2), 0x050403u);   // three bytes, the fourth counts as zero
    EXPECT_EQ(p.ReadU16(5), 0);
    EXPECT_EQ(p.ReadU32(5), 0u);
    EXPECT_EQ(p.ReadU8(0xFFFFFFFF), 0);
    EXPECT_EQ(p.ReadU32(0xFFFFFFFE), 0u); // no wrap back to the start
}

TEST(PacketTest, WritesPastTheEndAreDroppedAndNeverGrowThePacket)
{
    Packet p(6);
    p.WriteU32(0xAABBCCDD, 4);
    EXPECT_EQ(p, Bytes({0, 0, 0, 0, 0xDD, 0xCC}));
    p.WriteU16(0x1122, 6);
    p.WriteU8(0x33, 100);
    p.WriteU32(0x44556677, 0xFFFFFFFE);
    EXPECT_EQ(p.Size(), 6u);
    EXPECT_EQ(p, Bytes({0, 0, 0, 0, 0xDD, 0xCC}));
}

TEST(PacketTest, TextFieldsStopAtZeroAtTheEndOrAtTheirWidth)
{
    Packet p = Packet::FromString(std::string("abc\0defghijklmnopqrstuvwxyz", 27));
    EXPECT_EQ(p.ReadText(0, 0), "abc");
    EXPECT_EQ(p.ReadText(4, 0), "defghijklmnopqrstuvwxyz"); // no zero up to the end
    EXPECT_EQ(p.ReadText(4, 16), "defghijklmnopqrs");       // full field, no terminator
    EXPECT_EQ(p.ReadText(27, 0), "");
    EXPECT_EQ(p.ReadText(1000, 5), "");

    Packet field(40);
    field.WriteText("Bob", 2, 32);
    EXPECT_EQ(field.ReadText(2, 32), "Bob");
    for (uint32_t i = 5; i < 40; ++i)
        EXPECT_EQ(field.ReadU8(i), 0) << i;
    field.WriteText("Carl", 10, 2);
    EXPECT_EQ(field.ReadText(10, 0), "Ca");
    field.WriteText("overflowing", 36, 0);
    EXPECT_EQ(field.Size(), 40u);
    EXPECT_EQ(field.ReadText(36, 0), "over");
}

TEST(PacketTest, EightBitTextIsCopiedUnchanged)
{
    Packet p(4);
    p.WriteText("\xE9\xFF\x80", 0, 0);
    EXPECT_EQ(p.ReadText(0, 0), "\xE9\xFF\x80");
}

TEST(PacketTest, SubRangesFollowTheEndRules)
{
    Packet ten = Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(ten.SubRange(1, 100), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(ten.SubRange(6, 0), Bytes({6, 7, 8, 9}));
    EXPECT_TRUE(ten.SubRange(5, 3).Empty());
    EXPECT_TRUE(ten.SubRange(11, 0).Empty());
    EXPECT_TRUE(Bytes({0, 7}).SubRange(2, 0).Empty());
    EXPECT_EQ(Packet(20).BytesAsString(17, 0).size(), 3u);
    EXPECT_EQ(ten.BytesAsString(8, 0), std::string("\x08\x09", 2));
}

TEST(PacketTest, BuildingFromPiecesKeepsOrderAndCopiesAreIndependent)
{
    Packet p = Bytes({3, 4});
    p.Prepend(Bytes({1, 2}));
    p.Append(Bytes({5}));
    p.AppendBytes(std::string("\x06", 1));
    EXPECT_EQ(p, Bytes({1, 2, 3, 4, 5, 6}));

    Packet copy = p;
    copy.WriteU8(0xFF, 0);
    EXPECT_EQ(p.ReadU8(0), 1);

    p.FillFromBytes("xy", 2);
    EXPECT_EQ(p.ToString(), "xy");
    p.FillFromBytes("", 0);
    EXPECT_TRUE(p.Empty());
}

// The packet log is read by people and by their tools; its layout is fixed.
class PacketLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
    }
    void TearDown() override { std::filesystem::current_path(old_); }
    std::string Logged() { return ReadWholeFile(dir_.Path() + "Packet.log"); }

    TempDir dir_;
    std::filesystem::path old_;
};

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST_F(PacketLogTest, TwentyBytesGiveAFullRowAndAPaddedShortRow)
{
    Packet p;
    for (int i = 0; i < 20; ++i) {
        const uint8_t b = uint8_t(0x41 + i); // 'A'...
        p.AppendBytes(&b, 1);
    }
    p.Log(true);
    const std::string expected = "S2C\r\n---\r\n0000   "
                                 "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 "
                                 "      A B C D E F G H I J K L M N O P "
                                 "\r\n0010   51 52 53 54 " +
                                 Repeat("   ", 12) + "      Q R S T \r\n\r\n";
    EXPECT_EQ(Logged(), expected);
}

TEST_F(PacketLogTest, AFullLastRowShowsNoCharacterColumn)
{
    Packet p(32);
    p.WriteU8(0x7F, 0);
    p.WriteU8(' ', 1);
    p.WriteU8('~', 2);
    p.Log(false);
    const std::string row0 = "7F 20 7E " + Repeat("00 ", 13);
    const std::string chars0 = ".   ~ " + Repeat(". ", 13);
    const std::string expected = "C2S\r\n---\r\n0000   " + row0 + "      " + chars0 + "\r\n0010   " + Repeat("00 ", 16) +
                                 "\r\n\r\n";
    EXPECT_EQ(Logged(), expected);
}

TEST_F(PacketLogTest, EmptyPacketsAndSuccessiveBlocksAppend)
{
    Packet().Log(true);
    Packet().Log(true);
    const std::string block = "S2C\r\n---\r\n0000   " + Repeat("   ", 16) + "      \r\n\r\n";
    EXPECT_EQ(Logged(), block + block);
}

TEST_F(PacketLogTest, AFullLogStopsGrowing)
{
    WriteWholeFile(dir_.Path() + "Packet.log", "");
    std::filesystem::resize_file(dir_.Path() + "Packet.log", Packet::kMaxPacketLogBytes);
    Packet(3).Log(true);
    EXPECT_EQ(std::filesystem::file_size(dir_.Path() + "Packet.log"), Packet::kMaxPacketLogBytes);
}

} // namespace
