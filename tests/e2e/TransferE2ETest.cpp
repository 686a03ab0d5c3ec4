// Arena maps and whole-file transfers, end to end, including names and data
// meant to do harm.

#include "ZoneClientFixture.h"
#include "support/SlotColours.h"
#include "support/ZonePackets.h"

#include "zone/Chat.h"

#include <random>

namespace {

constexpr const char* kMapChecksumsDiffer =
    "Map File Checksums are Incorrect, attempting to download a new map from the Server.";
constexpr const char* kMapDownloaded = "Map File Download Complete. Loading Map File...";
constexpr const char* kMapNotInflated = "Unable to Decompress Server Map File.";

std::string Pattern(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

ArenaScript WithMap(const SimMap& map)
{
    ArenaScript script;
    script.map = map;
    return script;
}

class Transfers : public ZoneClientTest {
protected:
    // A 70-byte bitmap, then 3000 tile records in random cells: about 12 KB, so it comes as big chunks.
    void SetUp() override
    {
        map.name = "arena.lvl";
        map.contents = std::string("BM\x46\0\0\0", 6) + Pattern(64, 5);
        std::mt19937 random(99);
        for (int i = 0; i < 3000; ++i) {
            const uint32_t x = random() % 1024, y = random() % 1024, tile = 1 + random() % 190;
            tiles[{x, y}] = uint8_t(tile); // a later record for the same cell wins
            map.contents += TileRecord(x, y, tile);
        }
    }

    std::vector<std::string> MapLines()
    {
        std::vector<std::string> lines;
        for (const std::string& line : NewLines())
            if (line.find("Map") != std::string::npos || line == "Disconnecting...")
                lines.push_back(line);
        return lines;
    }
    void ExpectMapLoaded(bool onDisk = true)
    {
        if (onDisk) {
            EXPECT_TRUE(ReadWholeFile(program + "Maps/arena.lvl") == map.contents);
        }
        for (const auto& cell : tiles)
            ASSERT_EQ(Zone().tiles.At(cell.first.first, cell.first.second), cell.second);
    }

    SimMap map;
    std::map<std::pair<uint32_t, uint32_t>, uint8_t> tiles;
};

TEST_F(Transfers, BadMapDataDisconnectsKeepsTheOldCopyAndTheNextConnectDownloadsTheSoundMap)
{
    for (const bool bomb : {false, true}) {
        SCOPED_TRACE(bomb ? "decompression bomb" : "corrupted");
        MadeFolder(program + "Maps");
        WriteWholeFile(program + "Maps/arena.lvl", "an older map");
        SimMap bad = map;
        bad.compressedData = ZonePackets::Compress(bomb ? std::string((size_t(64) << 20) + 1, '\0') : map.contents);
        if (!bomb)
            (*bad.compressedData)[bad.compressedData->size() / 2] ^= 0x55;
        ASSERT_LT(bad.compressedData->size(), 100000u);
        Start(WithMap(bad));
        ASSERT_TRUE(Disconnected());
        EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapNotInflated, "Disconnecting..."}));
        // The copy that was there stays, and nothing half-written is left beside it.
        EXPECT_EQ(FilesUnder(program + "Maps"), (std::map<std::string, std::string>{{"arena.lvl", "an older map"}}));

        // Nothing is left behind: connecting again, through a rough network, to a sound map works.
        server->Script().map = map;
        client->Connect();
        ASSERT_TRUE(StepUntil([this] { return sim->Handshakes() == 2; }, 100));
        ASSERT_TRUE(EnterArena(kRoughNetwork));
        EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer, kMapDownloaded}));
        ASSERT_EQ(server->MapRequests().size(), 2u);
        EXPECT_EQ(server->MapRequests()[1].packet, Packet::FromString("\x0C"));
        EXPECT_TRUE(server->MapRequests()[1].via.reliable);
        EXPECT_GE(sim->Peer()->Tally().bigChunksSent, 10u);
        ExpectMapLoaded();
        EXPECT_TRUE(sim->Violations().empty());
    }
    // Now that it is on disk, the next entry loads it without asking.
    Start(WithMap(map));
    ASSERT_TRUE(EnterArena());
    EXPECT_TRUE(server->MapRequests().empty());
    EXPECT_EQ(MapLines(), std::vector<std::string>{"Local Map File found, Checksums Match, Loading..."});
    ExpectMapLoaded();
}

TEST_F(Transfers, HostileNamesReachNothingAndTheClientCarriesOn)
{
    // Where each name would lead, holding what following it would find: the very
    // map the zone announces, or a file worth stealing.
    std::filesystem::create_directories(program + "Maps/a");
    std::filesystem::create_directories(program + "a");
    for (const std::string& path : {program + "x", program + "Maps/a/b", program + "Maps/C:x"})
        WriteWholeFile(path, map.contents);
    WriteWholeFile(sandbox.Path() + "x", "outside the program folder");
    WriteWholeFile(program + "a/b", "in a folder below");
    WriteWholeFile(program + "C:x", "a drive letter elsewhere");
    const std::string names[] = {"../x", "a/b", "C:x", ".."};

    for (const std::string& name : names) {
        SCOPED_TRACE("map '" + name + "'");
        SimMap hostile = map;
        hostile.name = name;
        Start(WithMap(hostile));
        const auto before = FilesUnder(sandbox.Path());
        ASSERT_TRUE(Disconnected());
        EXPECT_EQ(server->MapRequests().size(), 1u); // a refused name counts as a missing file
        EXPECT_EQ(MapLines(),
                  (std::vector<std::string>{kMapChecksumsDiffer, "Fatal Error: Could not create Local Map File.",
                                            "Disconnecting..."}));
        EXPECT_EQ(FilesUnder(sandbox.Path()), before);
    }

    Start();
    ASSERT_TRUE(EnterArena());
    NewLines();
    const auto before = FilesUnder(sandbox.Path());
    std::vector<std::string> expected;
    std::vector<Rgb> colours;
    for (const std::string& name : names) {
        server->PushFile(name, "overwritten");
        server->RequestFile(name, "stolen");
        expected.push_back("Unable to open local file for Writing. File recieve failed for: " + name);
        expected.push_back("Failed to open file for sending: " + name);
        colours.insert(colours.end(), {Seen::OfSlot(kSlotWhite), Seen::OfSlot(0)});
    }
    // The client's own files are not the server's to replace.
    server->PushFile("Ignore.txt", "Alice\r\n");
    expected.push_back("Unable to open local file for Writing. File recieve failed for: Ignore.txt");
    colours.push_back(Seen::OfSlot(kSlotWhite));
    // Whatever else it pushes lands in Files: a library of the build tree stays as it was.
    WriteWholeFile(program + "libquillon_gui.a", "the real library");
    server->PushFile("libquillon_gui.a", "the server's code");
    expected.push_back("File recieved: libquillon_gui.a");
    colours.push_back(Seen::OfSlot(0));
    // A local name may be long; a long one that climbs out is refused the same way.
    const std::string climbing = "../../../../../../../../../../../../../../../../../../../../etc/passwd";
    server->RequestFile(climbing, "stolen");
    expected.push_back("Failed to open file for sending: " + climbing);
    colours.push_back(Seen::OfSlot(0));
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(NewLines(), expected);
    EXPECT_EQ(lineColours, colours);
    EXPECT_TRUE(server->Files().empty());
    auto after = FilesUnder(sandbox.Path());
    EXPECT_EQ(after.at("Quillon/Files/libquillon_gui.a"), "the server's code");
    after.erase("Quillon/Files/libquillon_gui.a");
    after.erase("Quillon/Files");
    EXPECT_EQ(after.at("Quillon/libquillon_gui.a"), "the real library");
    after.erase("Quillon/libquillon_gui.a");
    EXPECT_EQ(after, before);

    SendChat(Zone(), "still here", 2, 0, false);
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(server->Chats().size(), 1u);
    EXPECT_TRUE(Zone().InArena());
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(Transfers, FilesTravelWholeBothWaysThroughARoughNetwork)
{
    // The server's files live in a folder of their own.
    const std::string files = MadeFolder(program + "Files/");
    WriteWholeFile(files + "news.txt", std::string(5000, 'o')); // older and longer
    const std::string small = Pattern(400, 1);
    // A packet of 519 bytes, the largest sent reliably as it is (the reliable layer then splits it).
    const std::string edge = Pattern(502, 3);
    const std::string big = Pattern(5000, 2);
    WriteWholeFile(files + "small.dat", small);
    WriteWholeFile(files + "edge.dat", edge);
    WriteWholeFile(files + "big.dat", big);
    WriteWholeFile(files + "empty.dat", "");
    WriteWholeFile(program + "missing.dat", "beside the program: not the server's to ask for");
    Start();
    ASSERT_TRUE(EnterArena(kRoughNetwork));
    NewLines();

    const std::string news = "Welcome!\r\nThe zone restarts at noon.\r\n";
    const std::string rules = Pattern(3000, 5); // big chunks on the way
    server->PushFile("", news);                 // an empty name means the news
    server->PushFile("rules.bin", rules);
    server->PushFile("empty.txt", "");
    server->RequestFile("small.dat", "small-up.dat");
    server->RequestFile("edge.dat", "edge-up.dat");
    server->RequestFile("big.dat", "big-up.dat");
    server->RequestFile("missing.dat", "nothing.dat");
    server->RequestFile("empty.dat", "nothing.dat");
    ASSERT_TRUE(StepUntil([this] { return server->Files().size() >= 3 && Settled(); }, 50000));

    EXPECT_EQ(ReadWholeFile(files + "news.txt"), news);
    EXPECT_EQ(ReadWholeFile(files + "rules.bin"), rules);
    EXPECT_TRUE(FileExists(files + "empty.txt"));
    EXPECT_EQ(ReadWholeFile(files + "empty.txt"), "");

    struct Back {
        std::string name, contents;
        bool bigChunks;
    };
    const Back back[] = {{"small-up.dat", small, false}, {"edge-up.dat", edge, true}, {"big-up.dat", big, true}};
    ASSERT_EQ(server->Files().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(back[i].name);
        EXPECT_EQ(server->Files()[i].name, back[i].name);
        EXPECT_TRUE(server->Files()[i].contents == back[i].contents);
        EXPECT_TRUE(server->Files()[i].via.reliable);
        EXPECT_EQ(server->Files()[i].via.bigChunks, back[i].bigChunks);
    }
    EXPECT_EQ(server->Files()[0].packet.Size(), 417u);
    EXPECT_GE(sim->Peer()->Tally().bigChunksReceived, 11u);
    EXPECT_EQ(NewLines(), (std::vector<std::string>{
                              "File recieved: news.txt",
                              "File recieved: rules.bin",
                              "File recieved: empty.txt",
                              "File Sent: small-up.dat",
                              "File Sent: edge-up.dat",
                              "File Sent: big-up.dat",
                              "Failed to open file for sending: missing.dat",
                              "Failed to open file for sending: empty.dat",
                          }));
    EXPECT_EQ(lineColours, std::vector<Rgb>(8, Seen::OfSlot(0)));
    EXPECT_TRUE(sim->Violations().empty());
}

// A hostile zone may send maps nobody asked for, over and over, ask for the same
// file again and again, or meet a program folder where nothing can be saved.
TEST_F(Transfers, OnlyTheMapAskedForIsTakenOnceAndOneThatCannotBeSavedIsUsedFromMemory)
{
    WriteWholeFile(program + "Maps", "a file where the Maps folder would be: nothing can be saved in it");
    Start(WithMap(map));
    ASSERT_TRUE(EnterArena());
    EXPECT_EQ(MapLines(), (std::vector<std::string>{kMapChecksumsDiffer,
                                                    "Could not save the Map File; it is used from memory for this "
                                                    "session.",
                                                    kMapDownloaded}));
    ExpectMapLoaded(false);

    SimMap other = map;
    other.name = "other.lvl";
    other.contents = std::string(4000, '\x01');
    for (int i = 0; i < 3; ++i) {
        server->SendMapFile(other);
        server->SendMapFile(map);
    }
    server->SendMapInformation(map); // no saved copy, but the one in memory is this map
    server->SendMapInformation(map);
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(server->MapRequests().size(), 1u);
    EXPECT_TRUE(MapLines().empty());
    ExpectMapLoaded(false);
    EXPECT_TRUE(Zone().InArena());

    // A file asked for again while it waits to go is not read or queued twice.
    const std::string files = MadeFolder(program + "Files/");
    WriteWholeFile(files + "big.dat", Pattern(600000, 4));
    WriteWholeFile(files + "more.dat", Pattern(16u << 20, 5).substr(0, (16u << 20) - 500000));
    for (int i = 0; i < 20; ++i)
        server->RequestFile("big.dat", "up.dat");
    server->RequestFile("more.dat", "more.dat"); // would take the queue past one transfer's worth
    std::vector<std::string> lines;
    ASSERT_TRUE(StepUntil(
        [&] {
            for (const std::string& line : NewLines())
                lines.push_back(line);
            return lines.size() >= 2;
        },
        2000));
    EXPECT_EQ(Link().Reliable().Transfers().size(), 1u);
    EXPECT_EQ(lines, (std::vector<std::string>{"File Sent: up.dat", "Failed to open file for sending: more.dat"}));
}

} // namespace
