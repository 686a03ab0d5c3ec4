#include "transport/Cipher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

Packet FromHex(const std::string& hex)
{
    Packet p;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const uint8_t b = uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16));
        p.AppendBytes(&b, 1);
    }
    return p;
}

// Vectors computed by an implementation written apart from ours.
TEST(CipherTest, KnownAnswerVectorsPass)
{
    std::ifstream in(QUILLON_TEST_DATA "/cipher-and-crc.txt");
    ASSERT_TRUE(in) << "missing test data";
    std::string line;
    int tables = 0, encryptions = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, keyHex;
        fields >> kind >> keyHex;
        if (kind == "table") {
            std::string tableHex;
            fields >> tableHex;
            const Cipher::Table table = Cipher::MakeTable(uint32_t(std::stoul(keyHex, nullptr, 16)));
            EXPECT_EQ(ToHex(Packet(table.data(), Cipher::kTableBytes)), tableHex) << "key " << keyHex;
            ++tables;
        } else if (kind == "enc") {
            std::string plainHex, cipherHex;
            fields >> plainHex >> cipherHex;
            Cipher cipher;
            cipher.Start(uint32_t(std::stoul(keyHex, nullptr, 16)));
            Packet p = FromHex(plainHex);
            cipher.Encrypt(p);
            EXPECT_EQ(ToHex(p), cipherHex) << line;
            cipher.Decrypt(p);
            EXPECT_EQ(ToHex(p), plainHex) << line;
            ++encryptions;
        }
    }
    EXPECT_GT(tables, 0);
    EXPECT_GT(encryptions, 0);
}

TEST(CipherTest, InactiveCipherLeavesPacketsAlone)
{
    Cipher cipher;
    Packet p = FromHex("0700abcdef");
    cipher.Encrypt(p);
    EXPECT_EQ(ToHex(p), "0700abcdef");
    cipher.Start(1234);
    cipher.Stop();
    cipher.Decrypt(p);
    EXPECT_EQ(ToHex(p), "0700abcdef");
}

TEST(CipherTest, EveryLengthRoundTripsAndHeadersStayClear)
{
    Cipher cipher;
    cipher.Start(0xDEADBEEF);
    for (uint32_t size = 0; size <= 520; ++size) {
        for (uint8_t first : {uint8_t(0x00), uint8_t(0x07)}) {
            Packet p(size);
            for (uint32_t i = 0; i < size; ++i)
                p.WriteU8(uint8_t(i * 37 + 11), i);
            if (size > 0)
                p.WriteU8(first, 0);
            const Packet plain = p;
            cipher.Encrypt(p);
            EXPECT_EQ(p.Size(), size);
            EXPECT_EQ(p.ReadU8(0), plain.ReadU8(0));
            if (first == 0x00) {
                EXPECT_EQ(p.ReadU8(1), plain.ReadU8(1));
            }
            cipher.Decrypt(p);
            EXPECT_EQ(p, plain) << "size " << size;
        }
    }
}

} // namespace
