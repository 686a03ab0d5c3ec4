// Arena maps and whole-file transfers, end to end, including names and data
// meant to do harm.

#include "ZoneClientFixture.h"

#include "zone/Chat.h"

#include <random>

namespace {

constexpr const char* kMapChecksumsDiffer =
    "Map File Checksums are Incorrect, attempting to download a new map from the Server.";
constexpr const char* kMapMatches = "Local Map File found, Checksums Match, Loading...";
constexpr const char* kMapDownloaded = "Map File Download Complete. Loading Map File...";
constexpr const char* kMapNotCreated = "Fatal Error: Could not create Local Map File.";
constexpr const char* kMapNotInflated = "Unable to Decompress Server Map File.";

struct Tile {
    uint32_t x, y;
    uint8_t tile;
};

// A map file of `count` tile records in random cells, seeded, with a bitmap in front.
std::string MakeMap(uint32_t count, uint32_t seed, std::vector<Tile>& tiles)
{
    std::mt19937 random(seed);
    std::string bytes = "BM";
    const uint32_t bitmapLength = 70;
    for (int i = 0; i < 4; ++i)
        bytes += char((bitmapLength >> (8 * i)) & 0xFF);
    while (bytes.size() < bitmapLength)
        bytes += char(random() & 0xFF);
    for (uint32_t i = 0; i < count; ++i) {
        const Tile t{uint32_t(random() % 1024), uint32_t(random() % 1024), uint8_t(1 + random() % 190)};
        tiles.push_back(t);
        const uint32_t record = t.x | (t.y << 12) | (uint32_t(t.tile) << 24);
        for (int b = 0; b < 4; ++b)
            bytes += char((record >> (8 * b)) & 0xFF);
    }
    return bytes;
}

std::string Pattern(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

class Transfers : public ZoneClientTest {
protected:
    void SetUp() override
    {
        Set(Settings::UserName, "Tester");
        std::filesystem::create_directories(MapsFolder());
        map.name = "arena.lvl";
        map.contents = MakeMap(3000, 99, tiles); // about 12 KB, so it comes as big chunks
    }

    std::string MapsFolder() const { return program + "Maps/"; }

    ArenaScript WithMap(const SimMap& offered) const
    {
        ArenaScript script;
        script.map = offered;
        return script;
    }

    // Enters, with faults on once the keys are exchanged; the map is dealt with on the way in.
    void Enter(const ArenaScript& script, const LinkFaults& faults = LinkFaults{})
    {
        ZoneSimOptions options;
        options.seed = 31337;
        Start(script, options);
        ASSERT_TRUE(HandshakeDone());
        sim->SetFaults(faults, faults);
        ASSERT_TRUE(InArena());
    }

    // Steps until the client has said goodbye for good.
    bool Disconnected()
    {
        return StepUntil([this] { return sim->Peer() != nullptr && sim->Peer()->ClientLeft(); }, 20000) &&
               !connection->Connected();
    }

    void ExpectTilesLoaded()
    {
        const TileGrid& grid = Zone().players.Tiles();
        // Later records for the same cell win, so check against the last one.
        std::map<std::pair<uint32_t, uint32_t>, uint8_t> last;
        for (const Tile& t : tiles)
            last[{t.x, t.y}] = t.tile;
        for (const auto& cell : last)
            ASSERT_EQ(grid.At(cell.first.first, cell.first.second), cell.second);
    }

    // The map lines since the last call, without the connection's own lines.
    std::vector<std::string> MapLines()
    {
        std::vector<std::string> lines;
        for (const std::string& line : NewTexts())
            if (line.find("Map") != std::string::npos || line == "Disconnecting...")
                lines.push_back(line);
        return lines;
    }

    // Does the client still do its work? A chat goes round.
    bool StillTalking()
    {
        const size_t before = server->Chats().size();
        server->SendChat(2, server->Script().ownId, "still there?");
        SendChat(*connection, "yes", 2, 0, false);
        return SettleDown() && server->Chats().size() == before + 1 && connection->InArena();
    }

    SimMap map;
    std::vector<Tile> tiles;
};

// --- Maps ---

TEST_F(Transfers, AMissingMapIsRequestedDownloadedInBigChunksStoredAndLoaded)
{
    Enter(WithMap(map), kRoughNetwork);
    ASSERT_EQ(server->MapRequests().size(), 1u);
    EXPECT_TRUE(server->MapRequests()[0].via.reliable);
    EXPECT_EQ(server->MapRequests()[0].packet, Packet::FromString("\x0C"));
    EXPECT_GE(sim->Peer()->Tally().bigChunksSent, 10u);
    EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapDownloaded}));
    EXPECT_EQ(ReadWholeFile(MapsFolder() + "arena.lvl"), map.contents);
    ExpectTilesLoaded();
    EXPECT_TRUE(connection->InArena());
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(Transfers, AMatchingMapIsLoadedWithoutARequest)
{
    WriteWholeFile(MapsFolder() + "arena.lvl", map.contents);
    Enter(WithMap(map));
    EXPECT_TRUE(server->MapRequests().empty());
    EXPECT_EQ(MapLines(), std::vector<std::string>{kMapMatches});
    ExpectTilesLoaded();
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(Transfers, AWrongChecksumFetchesTheMapAgainOverTheOldCopy)
{
    WriteWholeFile(MapsFolder() + "arena.lvl", std::string(50000, 'z'));
    SimMap stale = map;
    stale.announcedChecksum = ZonePackets::Crc32(map.contents) ^ 1;
    Enter(WithMap(stale));
    EXPECT_EQ(server->MapRequests().size(), 1u);
    EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapDownloaded}));
    EXPECT_EQ(ReadWholeFile(MapsFolder() + "arena.lvl"), map.contents);
    ExpectTilesLoaded();
}

TEST_F(Transfers, ACorruptedDownloadDisconnectsWithItsMessage)
{
    SimMap corrupted = map;
    std::string data = ZonePackets::Compress(map.contents);
    data[data.size() / 2] = char(data[data.size() / 2] ^ 0x55);
    corrupted.compressedData = data;
    Start(WithMap(corrupted));
    ASSERT_TRUE(Disconnected());
    EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapNotInflated, "Disconnecting..."}));
    // The file was created before the data failed, and stays empty.
    EXPECT_TRUE(FileExists(MapsFolder() + "arena.lvl"));
    EXPECT_EQ(ReadWholeFile(MapsFolder() + "arena.lvl"), "");
    EXPECT_FALSE(connection->InArena());
}

TEST_F(Transfers, ADecompressionBombIsRefusedAndTheClientCanComeBack)
{
    SimMap bomb = map;
    bomb.compressedData = ZonePackets::Compress(std::string((size_t(64) << 20) + 1, '\0'));
    ASSERT_LT(bomb.compressedData->size(), 100000u);
    Start(WithMap(bomb));
    ASSERT_TRUE(Disconnected());
    EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapNotInflated, "Disconnecting..."}));
    EXPECT_EQ(ReadWholeFile(MapsFolder() + "arena.lvl"), "");

    // Nothing is left behind: connecting again to a sound map works.
    server->Script().map = map;
    Reconnect();
    ASSERT_TRUE(StepUntil([this] { return sim->Handshakes() == 2; }, 100));
    ASSERT_TRUE(InArena());
    EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapDownloaded}));
    EXPECT_EQ(ReadWholeFile(MapsFolder() + "arena.lvl"), map.contents);
    ExpectTilesLoaded();
}

TEST_F(Transfers, HostileMapNamesAreRefusedAndWriteNothing)
{
    for (const std::string name : {"../x", "a/b", "C:x", ".."}) {
        SCOPED_TRACE("map '" + name + "'");
        // Where each name would lead, holding the very map the zone announces: a
        // client that followed the name would find its checksum matching.
        std::filesystem::create_directories(MapsFolder() + "a");
        WriteWholeFile(program + "x", map.contents);
        WriteWholeFile(MapsFolder() + "a/b", map.contents);
        WriteWholeFile(MapsFolder() + "C:x", map.contents);

        SimMap hostile = map;
        hostile.name = name;
        Start(WithMap(hostile));
        const auto before = FilesUnder(sandbox.Path());
        ASSERT_TRUE(Disconnected());
        EXPECT_EQ(server->MapRequests().size(), 1u); // a refused name counts as a missing file
        EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapNotCreated, "Disconnecting..."}));
        EXPECT_EQ(FilesUnder(sandbox.Path()), before);
    }
}

// --- Files ---

TEST_F(Transfers, AFileFromTheZoneIsStoredAndAnEmptyNameMeansTheNews)
{
    WriteWholeFile(program + "news.txt", std::string(5000, 'o')); // older and longer
    Enter(ArenaScript{}, kRoughNetwork);
    NewLines();
    const std::string news = "Welcome!\r\nThe zone restarts at noon.\r\n";
    const std::string rules = Pattern(3000, 5); // big chunks on the way
    server->PushFile("", news);
    server->PushFile("rules.bin", rules);
    server->PushFile("empty.txt", "");
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(ReadWholeFile(program + "news.txt"), news);
    EXPECT_EQ(ReadWholeFile(program + "rules.bin"), rules);
    EXPECT_TRUE(FileExists(program + "empty.txt"));
    EXPECT_EQ(ReadWholeFile(program + "empty.txt"), "");
    EXPECT_EQ(NewLines(), (std::vector<Line>{Whole("File recieved: news.txt", 0), Whole("File recieved: rules.bin", 0),
                                             Whole("File recieved: empty.txt", 0)}));
}

TEST_F(Transfers, RequestedFilesGoBackWholeSmallOnesReliablyBigOnesInPieces)
{
    const std::string small = Pattern(400, 1);
    const std::string edge = Pattern(502, 3); // a packet of 519 bytes, the largest that is not split
    const std::string big = Pattern(5000, 2);
    WriteWholeFile(program + "small.dat", small);
    WriteWholeFile(program + "edge.dat", edge);
    WriteWholeFile(program + "big.dat", big);
    WriteWholeFile(program + "empty.dat", "");
    Enter(ArenaScript{}, kRoughNetwork);
    NewLines();

    server->RequestFile("small.dat", "small-up.dat");
    server->RequestFile("edge.dat", "edge-up.dat");
    server->RequestFile("big.dat", "big-up.dat");
    server->RequestFile("missing.dat", "nothing.dat");
    server->RequestFile("empty.dat", "nothing.dat");
    ASSERT_TRUE(StepUntil([this] { return server->Files().size() >= 3 && Settled(); }, 50000));

    ASSERT_EQ(server->Files().size(), 3u);
    const HeardFile& first = server->Files()[0];
    EXPECT_EQ(first.name, "small-up.dat");
    EXPECT_EQ(first.contents, small);
    EXPECT_EQ(first.packet.Size(), 417u);
    EXPECT_TRUE(first.via.reliable);
    EXPECT_FALSE(first.via.bigChunks);
    const HeardFile& second = server->Files()[1];
    EXPECT_EQ(second.name, "edge-up.dat");
    EXPECT_EQ(second.contents, edge);
    EXPECT_TRUE(second.via.reliable);
    const HeardFile& third = server->Files()[2];
    EXPECT_EQ(third.name, "big-up.dat");
    EXPECT_EQ(third.contents, big);
    EXPECT_TRUE(third.via.bigChunks);
    EXPECT_TRUE(third.via.reliable);
    EXPECT_GE(sim->Peer()->Tally().bigChunksReceived, 11u);

    EXPECT_EQ(NewLines(), (std::vector<Line>{Whole("File Sent: small-up.dat", 0), Whole("File Sent: edge-up.dat", 0),
                                             Whole("File Sent: big-up.dat", 0),
                                             Whole("Failed to open file for sending: missing.dat", 0),
                                             Whole("Failed to open file for sending: empty.dat", 0)}));
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(Transfers, HostileFileNamesAreRefusedAndTheClientCarriesOn)
{
    // Files a hostile name would reach, so that following it would have something to send.
    WriteWholeFile(sandbox.Path() + "x", "outside the program folder");
    std::filesystem::create_directories(program + "a");
    WriteWholeFile(program + "a/b", "in a folder below");
    WriteWholeFile(program + "C:x", "a drive letter elsewhere");
    Enter(ArenaScript{});
    NewLines();
    const auto before = FilesUnder(sandbox.Path());

    std::vector<Line> expected;
    for (const std::string name : {"../x", "a/b", "C:x", ".."}) {
        server->PushFile(name, "overwritten");
        server->RequestFile(name, "stolen");
        expected.push_back(Whole("Unable to open local file for Writing. File recieve failed for: " + name, kWhite));
        expected.push_back(Whole("Failed to open file for sending: " + name, 0));
    }
    // A local name may be long; a long one that climbs out is refused the same way.
    const std::string climbing = "../../../../../../../../../../../../../../../../../../../../etc/passwd";
    server->RequestFile(climbing, "stolen");
    expected.push_back(Whole("Failed to open file for sending: " + climbing, 0));
    ASSERT_TRUE(SettleDown());

    EXPECT_EQ(NewLines(), expected);
    EXPECT_TRUE(server->Files().empty());
    EXPECT_EQ(FilesUnder(sandbox.Path()), before);
    EXPECT_TRUE(StillTalking());
    EXPECT_TRUE(sim->Violations().empty());
}

} // namespace
