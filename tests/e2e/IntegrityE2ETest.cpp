// The integrity check end to end: the simulator asks as a strict zone does,
// with its own implementation of the three checksums, and drops a client whose
// answer is wrong or missing.
#include "ZoneClientFixture.h"

#include "Integrity.h"

namespace {

// The simulator's checksums meet the known answers the client's meet too.
TEST(SimIntegrityTest, TheSimulatorsChecksumsGiveTheKnownAnswers)
{
    Packet block(1428);
    for (uint32_t i = 0; i < block.Size(); ++i)
        block.WriteU8(uint8_t(7 * i), i);
    std::string mapA;
    for (const auto& [x, y, tile] : std::vector<std::array<uint32_t, 3>>{
             {22, 24, 1}, {53, 56, 160}, {84, 88, 171}, {115, 120, 170}, {146, 152, 161}, {177, 184, 172},
             {11, 1007, 20}, {1004, 15, 100}, {1022, 0, 5}, {29, 32, 171}, {1023, 1023, 9}, {30, 31, 216},
             {61, 63, 200}}) {
        const uint32_t v = x | y << 12 | tile << 24;
        mapA += std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    }
    const auto grid = SimIntegrity::Grid(mapA);
    const std::array<uint32_t, 4> vectors[] = {{0x12345678, 0x2D9C2D90, 0x48D15A9C, 0xAAF36798},
                                               {0xDEADBEEF, 0xF4485873, 0x7AB6FB70, 0x7463A3CF},
                                               {0x80000000, 0xD392CB58, 0x800000B0, 0x281CC948},
                                               {0xFFFFFFFF, 0xAC6D3343, 0xFFFFFFEB, 0x92FE563F}};
    for (const auto& [key, settings, map, program] : vectors) {
        EXPECT_EQ(SimIntegrity::Settings(block, key), settings) << key;
        EXPECT_EQ(SimIntegrity::Map(grid, key), map) << key;
        EXPECT_EQ(SimIntegrity::Program(key), program) << key;
    }
}

class IntegrityCheck : public ZoneClientTest {
protected:
    // A strict zone asking every five seconds.
    ArenaScript Strict(bool withMap)
    {
        ArenaScript script;
        script.integrityInterval = 500;
        script.strictIntegrity = true;
        if (withMap) {
            std::string map = std::string("BM\x16\0\0\0", 6) + std::string(16, '\0');
            for (uint32_t i = 0; i < 3000; ++i) {
                const uint32_t v = (i * 37 % 1024) | (i * 91 % 1024) << 12 | (1 + i % 230) << 24;
                map += std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
            }
            script.map = SimMap{"checked.lvl", map, {}, {}};
        }
        return script;
    }
};

TEST_F(IntegrityCheck, TheClientStaysInAStrictArenaAcrossRoundsWithAMapAndWithout)
{
    for (const bool withMap : {true, false}) {
        SCOPED_TRACE(withMap ? "with a map" : "without");
        Start(Strict(withMap));
        ASSERT_TRUE(EnterArena(kRoughNetwork));
        Steps(4 * 500 + 200);
        ASSERT_GE(server->IntegrityRounds().size(), 3u);
        for (const IntegrityRound& round : server->IntegrityRounds())
            EXPECT_EQ(round.problem, "") << round.key;
        EXPECT_TRUE(Zone().InArena());
        EXPECT_EQ(sim->Handshakes(), 1u);
        // No line is printed for the exchange.
        for (const std::string& line : NewLines())
            EXPECT_EQ(line.find("ntegrity"), std::string::npos) << line;
        EXPECT_TRUE(sim->Violations().empty());
    }
}

// So that the test above can fail: a check made against other settings drops the client.
TEST_F(IntegrityCheck, AWrongSettingsChecksumDropsTheClient)
{
    ArenaScript script = Strict(true);
    script.corruptSettingsCheck = true;
    Start(script);
    ASSERT_TRUE(EnterArena());
    ASSERT_TRUE(StepUntil([&] { return !server->IntegrityRounds().empty(); }, 1000));
    EXPECT_EQ(server->IntegrityRounds()[0].problem, "settings checksum mismatch");
    ASSERT_TRUE(StepUntil([&] { return !Zone().InArena(); }, 100));
    EXPECT_EQ(NewLines().back(), "Disconnecting...");
}

} // namespace
