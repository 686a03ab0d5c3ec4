#include "transport/Cipher.h"
#include "support/ClientHarness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// Vectors computed by an implementation written apart from ours.
TEST(CipherTest, KnownAnswerVectorsPass)
{
    std::ifstream in(QUILLON_TEST_DATA "/cipher-and-crc.txt");
    ASSERT_TRUE(in) << "missing test data";
    int tables = 0, encryptions = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, plain, encrypted;
        uint32_t key = 0;
        fields >> kind >> std::hex >> key >> plain >> encrypted;
        if (kind == "table") {
            const Cipher::Table table = Cipher::MakeTable(key);
            EXPECT_EQ(ToHex(Packet(table.data(), Cipher::kTableBytes)), plain) << "key " << key;
            ++tables;
        } else if (kind == "enc") {
            Cipher cipher;
            cipher.Start(key);
            Packet p = HexPacket(plain);
            cipher.Encrypt(p);
            EXPECT_EQ(ToHex(p), encrypted) << line;
            cipher.Decrypt(p);
            EXPECT_EQ(ToHex(p), plain) << line;
            ++encryptions;
        }
    }
    EXPECT_EQ(tables, 9);
    EXPECT_EQ(encryptions, 126);
}

} // namespace
