// The integrity check's three checksums and the answer, against vectors that
// were checked against a running zone server; and how the zone answers.
#include "zone/Integrity.h"
#include "zone/MapFile.h"

#include "support/ClientHarness.h"
#include "support/ZonePackets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zlib.h>

#include <filesystem>

namespace {

using ::testing::ElementsAre;

Packet SettingsBlock()
{
    Packet block(1428);
    for (uint32_t i = 0; i < block.Size(); ++i)
        block.WriteU8(uint8_t(7 * i), i);
    return block;
}

std::string Records(const std::vector<std::array<uint32_t, 3>>& records)
{
    std::string bytes;
    for (const auto& [x, y, tile] : records)
        bytes += TileRecord(x, y, tile);
    return bytes;
}

const std::string kMapA = Records({{22, 24, 1},
                                   {53, 56, 160},
                                   {84, 88, 171},
                                   {115, 120, 170},
                                   {146, 152, 161},
                                   {177, 184, 172},
                                   {11, 1007, 20},
                                   {1004, 15, 100},
                                   {1022, 0, 5},
                                   {29, 32, 171},
                                   {1023, 1023, 9},
                                   {30, 31, 216},
                                   {61, 63, 200}});
const std::string kMapB = kMapA + Records({{22, 24, 2}, {82, 86, 219}});

uint32_t MapSum(const std::string& bytes, uint32_t key)
{
    TileGrid grid;
    grid.Set(500, 500, 1); // left over from an earlier map: the check's grid starts empty
    BuildCheckGrid(bytes, grid);
    return MapChecksum(grid, key);
}

TEST(IntegrityTest, EachChecksumGivesTheKnownAnswers)
{
    EXPECT_EQ(kMapA.substr(0, 8), std::string("\x16\x80\x01\x01\x35\x80\x03\xA0", 8));
    const struct {
        uint32_t key, settings, mapA, mapB, program;
    } vectors[] = {
        {0x12345678, 0x2D9C2D90, 0x48D15A9C, 0x369D03CA, 0xAAF36798},
        {0xDEADBEEF, 0xF4485873, 0x7AB6FB70, 0x7AB6FB70, 0x7463A3CF},
        {0x80000000, 0xD392CB58, 0x800000B0, 0x800000B0, 0x281CC948},
        {0xFFFFFFFF, 0xAC6D3343, 0xFFFFFFEB, 0xFFFFFFEB, 0x92FE563F},
        {0x00000001, 0x5392CCBD, 0x00000001, 0, 0x281D1A69},
        {0x7FFFFFFF, 0x2C6D3343, 0x7FFFFFFF, 0, 0x92FE563F},
        {0x9E3779B9, 0xB0387E35, 0x9E3779B9, 0, 0x99712569},
        {0x00000000, 0x5392CB58, 0x00000000, 0, 0x281CC948},
    };
    const std::string bitmap = std::string("BM\x14\0\0\0", 6) + std::string(14, '\0');
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.key);
        EXPECT_EQ(SettingsChecksum(SettingsBlock(), v.key), v.settings);
        EXPECT_EQ(MapSum(kMapA, v.key), v.mapA);
        EXPECT_EQ(MapSum(bitmap + kMapA, v.key), v.mapA);
        if (v.mapB != 0) {
            EXPECT_EQ(MapSum(kMapB, v.key), v.mapB);
        }
        EXPECT_EQ(MapSum("", v.key), v.key);
        EXPECT_EQ(ProgramChecksum(v.key), v.program);
        EXPECT_EQ(ProgramChecksum(v.key ^ 0x80000000u), v.program);
    }
    // An extended map's TILE chunk is laid before the ordinary records.
    const auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string chunk = "TILE" + le32(4) + Records({{22, 24, 3}});
    const std::string meta = "elvl" + le32(uint32_t(12 + chunk.size())) + le32(0) + chunk;
    const std::string extended = "BM" + le32(uint32_t(20 + meta.size())) + le32(20) + std::string(10, '\0') + meta;
    EXPECT_EQ(MapSum(extended, 0x12345678), 0x12345678u + (0x12345678u ^ 3));
    EXPECT_EQ(MapSum(extended + Records({{22, 24, 1}}), 0x12345678), 0x12345678u + (0x12345678u ^ 1));

    // The squares of tiles 217 (2 by 2) and 220 (5 by 5) hide a counted tile under their far
    // corner, and not one just past it; the one at the last cell wraps round to (0, 0). With
    // key 0 a counted tile adds itself, and the cells looked at are (31i, 32j).
    const std::string squares = Records({{31, 32, 5},
                                         {30, 31, 217},
                                         {124, 128, 7},
                                         {122, 126, 217},
                                         {155, 160, 11},
                                         {151, 156, 220},
                                         {186, 192, 13},
                                         {181, 187, 220},
                                         {0, 0, 9},
                                         {1023, 1023, 217}});
    EXPECT_EQ(MapSum(squares, 0), 7u + 13u);

    TileGrid grid;
    BuildCheckGrid(kMapA, grid);
    EXPECT_EQ(IntegrityAnswer(SettingsBlock(), grid, 0x12345678, {11, 12, 9, 15}),
              HexPacket("1A 00000000 902D9C2D 9867F3AA 9C5AD148 00000000 00000000 0000 0000 0000 0B00 0C00 0900 "
                        "0F00 00"));
}

Packet MapInformation(const std::string& name, uint32_t checksum)
{
    Packet information = HexPacket("29");
    information.Append(Packet(20));
    information.WriteText(name, 1, 16);
    information.WriteU32(checksum, 17);
    return information;
}

Packet MapFilePacket(const std::string& name, const std::string& map)
{
    uLongf size = compressBound(uLong(map.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(map.data()),
              uLong(map.size()), 9);
    packed.resize(size);
    Packet file = HexPacket("2A");
    file.Append(Packet(16));
    file.WriteText(name, 1, 16);
    file.AppendBytes(packed);
    return file;
}

Packet Request(uint32_t key)
{
    Packet request(17);
    request.WriteU8(0x18, 0);
    request.WriteU32(key, 13);
    return request;
}

// Answered at once and reliably; never for key 0 or a request cut short; a
// request that comes while the map downloads waits for the map, up to 15 s.
TEST(IntegrityAnswerTest, TheZoneAnswersWhatNeedsAnAnswerWhenItCan)
{
    ClientHarness h;
    h.EnterArena();
    h.ServerSends(Request(0));
    h.ServerSends(Request(0x12345678).SubRange(0, 16));
    EXPECT_TRUE(h.TakeSentZone().empty());
    h.ServerSends(Request(0x12345678));
    std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].SubRange(0, 2), HexPacket("0003")); // reliably
    const Packet answer = sent[0].SubRange(6, 0);
    EXPECT_EQ(answer.Size(), 40u);
    EXPECT_EQ(answer.ReadU32(13), 0x12345678u); // no map: the key itself
    EXPECT_EQ(answer.ReadU32(9), 0xAAF36798u);
    EXPECT_EQ(answer.SubRange(17, 0), Packet(23)) << "no ping measured yet, nothing counted";

    // Three round trips of 8, 20 and 12 hundredths: the latest, the average the link keeps, the lowest, the highest.
    for (const uint32_t roundTrip : {8u, 20u, 12u}) {
        Packet sync = HexPacket("0006 00000000 00000000");
        sync.WriteU32(h.clock.Now() - roundTrip, 2);
        h.ServerSends(sync);
    }
    h.TakeSent();
    h.ServerSends(Request(0x12345678));
    sent = h.TakeSentZone();
    ASSERT_EQ(sent.size(), 1u);
    Packet pings(9); // and the slow-frame flag, 0
    pings.WriteU16(12, 0);
    pings.WriteU16(h->Link().AveragePing(), 2);
    pings.WriteU16(8, 4);
    pings.WriteU16(20, 6);
    EXPECT_NE(h->Link().AveragePing(), 0);
    EXPECT_EQ(sent[0].SubRange(1, 5), Packet(4)) << "weapon packets are not counted";
    EXPECT_EQ(sent[0].SubRange(17, 31), Packet(14));
    EXPECT_EQ(sent[0].SubRange(31, 0), pings);

    const Packet information = MapInformation("a.lvl", Checksum(kMapA));
    const Packet file = MapFilePacket("a.lvl", kMapA);
    for (const uint32_t wait : {1400u, 1600u}) {
        SCOPED_TRACE(wait);
        std::filesystem::remove_all(h.folder.Path() + "Maps/a.lvl");
        h.ServerSends(information); // asks for the map
        h.ServerSends(Request(0xDEADBEEF));
        h.TakeSent();
        h.clock.Advance(wait);
        h.ServerSends(file);
        h.AwaitMap();
        std::vector<Packet> answers;
        for (const Packet& p : h.TakeSentZone()) // the periodic work went on meanwhile
            if (p.ReadU8(0) == 0x1A)
                answers.push_back(p);
        if (wait > 1500) {
            EXPECT_TRUE(answers.empty());
            continue;
        }
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].ReadU32(13), 0x7AB6FB70u); // map A's checksum for this key
        EXPECT_TRUE(h->Submit("?go", {}));              // a new arena entry: nothing kept
        h.ServerSends(HexPacket("02"));
    }
}

// A server naming map after map gets one download an arena entry, and Maps/ gains
// no more than its budget in a run: past it a map is used from memory.
TEST(MapDownloadTest, OneMapAnArenaEntryAndNoMoreOnDiskThanTheBudget)
{
    ClientHarness h;
    h.EnterArena();
    const std::string mapA = kMapA + kMapA, mapB = kMapB;
    auto requests = [&] {
        size_t count = 0;
        for (const Packet& p : h.TakeSentZone())
            count += p.ReadU8(0) == 0x0C;
        return count;
    };
    h.ServerSends(MapInformation("a.lvl", Checksum(mapA)));
    h.ServerSends(MapInformation("b.lvl", Checksum(mapB)));
    h.ServerSends(MapInformation("m0.exe", 1));
    EXPECT_EQ(requests(), 1u);
    const std::vector<std::string> lines = h.Lines();
    EXPECT_EQ(lines.at(1), "Map File b.lvl not downloaded: one map per arena entry.");
    EXPECT_EQ(lines.at(2), "Map File m0.exe not downloaded: one map per arena entry.");
    h.ServerSends(MapFilePacket("a.lvl", mapA));
    h.AwaitMap();
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Maps/a.lvl"), mapA);

    // The next entry may download again; this map would pass the budget, so it stays in memory.
    h.Z().mapSaveBudget = mapA.size() + mapB.size() - 1;
    EXPECT_TRUE(h->Submit("?go two", {}));
    h.ServerSends(HexPacket("02"));
    h.Lines();
    h.ServerSends(MapInformation("b.lvl", Checksum(mapB)));
    EXPECT_EQ(requests(), 1u);
    h.ServerSends(MapFilePacket("b.lvl", mapB));
    h.AwaitMap();
    EXPECT_FALSE(std::filesystem::exists(h.folder.Path() + "Maps/b.lvl"));
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{
                             "Map File Checksums are Incorrect, attempting to download a new map from the Server.",
                             "The maps saved this session have reached their limit (256 MiB); further maps are used "
                             "from memory only.",
                             "Map File Download Complete. Loading Map File..."}));

    // A map whose arena was left before it was taken in is dropped.
    EXPECT_TRUE(h->Submit("?go three", {}));
    h.ServerSends(HexPacket("02"));
    h.Lines();
    h.ServerSends(MapInformation("c.lvl", Checksum(kMapA)));
    h.ServerSends(MapFilePacket("c.lvl", kMapA));
    EXPECT_TRUE(h->Submit("?go four", {}));
    h.AwaitMap();
    EXPECT_EQ(h.Lines(), (std::vector<std::string>{
                             "Map File Checksums are Incorrect, attempting to download a new map from the Server.",
                             "Moving to arena 'four'."}));
}

} // namespace
