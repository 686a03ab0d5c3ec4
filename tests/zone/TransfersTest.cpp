#include "zone/Transfers.h"

#include "support/ConnectionHarness.h"
#include "zone/MapFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string Compress(const std::string& bytes)
{
    uLongf size = compressBound(uLong(bytes.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
              uLong(bytes.size()), 9);
    out.resize(size);
    return out;
}

std::string Record(uint32_t x, uint32_t y, uint8_t tile)
{
    const uint32_t v = x | (y << 12) | (uint32_t(tile) << 24);
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

Packet Named(uint8_t type, const std::string& name, const std::string& rest)
{
    Packet p(17);
    p.WriteU8(type, 0);
    p.WriteText(name, 1, 16);
    p.AppendBytes(rest);
    return p;
}

Packet MapInformation(const std::string& name, uint32_t crc)
{
    Packet p(21);
    p.WriteU8(0x29, 0);
    p.WriteText(name, 1, 16);
    p.WriteU32(crc, 17);
    return p;
}

class TransfersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program folder sits alone in a private sandbox, so anything that
        // escapes it shows up beside it.
        fs::create_directories(prog + "Maps");
        h->CreateProgramFolder(prog);
        h.Handshake();
        h.TakeSent();
        h.ClearLines();
    }
    // Zone payloads the client sent reliably, in order.
    std::vector<Packet> ReliablePayloads()
    {
        std::vector<Packet> payloads;
        for (const Packet& p : h.TakeSent())
            if (p.ReadU8(0) == 0x00 && p.ReadU8(1) == 0x03)
                payloads.push_back(p.SubRange(6, 0));
        return payloads;
    }
    // Nothing was written beside the program folder.
    void ExpectNothingOutsideTheFolder()
    {
        std::vector<std::string> entries;
        for (const auto& entry : fs::directory_iterator(sandbox.Path()))
            entries.push_back(entry.path().filename().string());
        EXPECT_EQ(entries, std::vector<std::string>{"prog"});
    }

    ConnectionHarness h;
    TempDir sandbox;
    const std::string prog = sandbox.Path() + "prog/";
    TileGrid grid;
};

TEST_F(TransfersTest, MissingOrDifferentMapIsRequested)
{
    HandleMapInformation(*h, MapInformation("duel.lvl", 0xCBF43926), grid);
    EXPECT_EQ(h.Lines(), std::vector<std::string>{
                             "Map File Checksums are Incorrect, attempting to download a new map from the Server."});
    const auto sent = ReliablePayloads();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(ToHex(sent[0]), "0c");
}

TEST_F(TransfersTest, MatchingMapIsLoadedWithoutARequest)
{
    WriteWholeFile(prog + "Maps/duel.lvl", Record(3, 2, 5));
    HandleMapInformation(*h, MapInformation("duel.lvl", Checksum(Record(3, 2, 5))), grid);
    EXPECT_EQ(h.Lines(), std::vector<std::string>{"Local Map File found, Checksums Match, Loading..."});
    EXPECT_TRUE(ReliablePayloads().empty());
    EXPECT_EQ(grid.At(3, 2), 5);
}

TEST_F(TransfersTest, DownloadedMapIsStoredAndLoaded)
{
    std::string map = "BM";
    map += std::string{6, 0, 0, 0};
    for (int i = 0; i < 3000; ++i)
        map += Record(uint32_t(i % 1024), uint32_t(i / 1024), uint8_t(i % 200 + 1));
    HandleMapFile(*h, Named(0x2A, "big.lvl", Compress(map)), grid);
    EXPECT_EQ(h.Lines(), std::vector<std::string>{"Map File Download Complete. Loading Map File..."});
    EXPECT_EQ(ReadWholeFile(prog + "Maps/big.lvl"), map);
    EXPECT_EQ(grid.At(1000, 0), 1000 % 200 + 1);
    EXPECT_EQ(grid.At(2999 % 1024, 2), 2999 % 200 + 1);
    EXPECT_TRUE(h->Connected());
}

TEST_F(TransfersTest, CorruptDownloadDisconnectsAndLeavesTheFileEmpty)
{
    HandleMapFile(*h, Named(0x2A, "bad.lvl", "this is not zlib data"), grid);
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{"Unable to Decompress Server Map File.", "Disconnecting..."}));
    EXPECT_EQ(ReadWholeFile(prog + "Maps/bad.lvl"), "");
    EXPECT_FALSE(h->Connected());

    h.ClearLines();
    HandleMapFile(*h, Named(0x2A, "short.lvl", ""), grid); // nothing to decompress
    EXPECT_EQ(h.Lines().front(), "Unable to Decompress Server Map File.");
}

TEST_F(TransfersTest, DecompressionBombIsRefused)
{
    const std::string bomb = Compress(std::string(kMaxMapBytes + 1, '\0'));
    HandleMapFile(*h, Named(0x2A, "bomb.lvl", bomb), grid);
    EXPECT_EQ(h.Lines().front(), "Unable to Decompress Server Map File.");
    EXPECT_EQ(fs::file_size(prog + "Maps/bomb.lvl"), 0u);
}

TEST_F(TransfersTest, HostileMapNamesNeverLeaveTheMapsFolder)
{
    for (const char* name : {"../x", "a/b", "C:x", "..", ""}) {
        h.ClearLines();
        HandleMapFile(*h, Named(0x2A, name, Compress(Record(1, 1, 1))), grid);
        EXPECT_EQ(h.Lines().front(), "Fatal Error: Could not create Local Map File.") << name;
        h.ClearLines();
        // At the checksum step a refused name is a missing file.
        HandleMapInformation(*h, MapInformation(name, 0x1234), grid);
        EXPECT_EQ(h.Lines().front(),
                  "Map File Checksums are Incorrect, attempting to download a new map from the Server.")
            << name;
    }
    EXPECT_FALSE(fs::exists(prog + "x"));
    EXPECT_FALSE(fs::exists(prog + "Maps/a"));
    ExpectNothingOutsideTheFolder();
    EXPECT_EQ(grid.At(1, 1), 0);
}

TEST_F(TransfersTest, PushedFilesReplaceOlderContents)
{
    WriteWholeFile(prog + "news.txt", "a much longer old news file");
    HandleIncomingFile(*h, Named(0x10, "", "fresh"));
    EXPECT_EQ(ReadWholeFile(prog + "news.txt"), "fresh");
    HandleIncomingFile(*h, Named(0x10, "empty.txt", ""));
    EXPECT_TRUE(fs::exists(prog + "empty.txt"));
    EXPECT_EQ(fs::file_size(prog + "empty.txt"), 0u);
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{"File recieved: news.txt", "File recieved: empty.txt"}));
    EXPECT_EQ(h.view.runs.back().colour, ChatOutput::SlotColour(0));
}

TEST_F(TransfersTest, PushedFilesWithHostileNamesAreRefused)
{
    for (const char* name : {"../x", "a/b", "a\\b", "C:x", ".."})
        HandleIncomingFile(*h, Named(0x10, name, "payload"));
    for (const std::string& line : h.Lines())
        EXPECT_EQ(line.rfind("Unable to open local file for Writing. File recieve failed for: ", 0), 0u) << line;
    EXPECT_EQ(h.Lines().size(), 5u);
    EXPECT_FALSE(fs::exists(prog + "x"));
    ExpectNothingOutsideTheFolder();
}

Packet FileRequest(const std::string& local, const std::string& sendAs)
{
    Packet p(273);
    p.WriteU8(0x19, 0);
    p.WriteText(local, 1, 256);
    p.WriteText(sendAs, 257, 16);
    return p;
}

TEST_F(TransfersTest, SmallRequestedFileGoesOutReliablyInOnePacket)
{
    const std::string contents(400, 'q');
    WriteWholeFile(prog + "small.txt", contents);
    HandleFileRequest(*h, FileRequest("small.txt", "remote.txt"));
    const auto sent = ReliablePayloads();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Named(0x16, "remote.txt", contents));
    EXPECT_EQ(h.Lines(), std::vector<std::string>{"File Sent: remote.txt"});
}

TEST_F(TransfersTest, LargeRequestedFileGoesOutAsBigChunkPieces)
{
    std::string contents;
    for (int i = 0; i < 5000; ++i)
        contents.push_back(char(i * 31));
    WriteWholeFile(prog + "large.bin", contents);
    HandleFileRequest(*h, FileRequest("large.bin", "large.bin"));
    EXPECT_TRUE(ReliablePayloads().empty()); // queued, sent only while in an arena
    h->OnArenaEntered();
    h.Ticks(9 * 12);
    Packet whole;
    for (const Packet& piece : ReliablePayloads()) {
        if (piece.ReadU8(0) != 0x00 || piece.ReadU8(1) != 0x0A)
            continue;
        EXPECT_EQ(piece.ReadU32(2), 17u + 5000u);
        whole.Append(piece.SubRange(6, 0));
    }
    EXPECT_EQ(whole, Named(0x16, "large.bin", contents));
}

TEST_F(TransfersTest, MissingEmptyOrHostileFilesAreNotSent)
{
    WriteWholeFile(prog + "empty.txt", "");
    TempDir outside;
    WriteWholeFile(outside.Path() + "secret.txt", "secret");
    const std::string escape = "../../" + fs::path(outside.Path()).parent_path().filename().string() + "/secret.txt";
    for (const std::string& name : {std::string("missing.txt"), std::string("empty.txt"), escape})
        SendFile(*h, name, "x");
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{"Failed to open file for sending: missing.txt",
                                                   "Failed to open file for sending: empty.txt",
                                                   "Failed to open file for sending: " + escape}));
    EXPECT_TRUE(h.TakeSent().empty());
}

} // namespace
