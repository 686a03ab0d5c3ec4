// The integrity check end to end: the simulator asks as a strict zone does,
// with its own implementation of the three checksums, and drops a client whose
// answer is wrong or missing.
#include "ZoneClientFixture.h"

#include "support/ZonePackets.h"

namespace {

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
            for (uint32_t i = 0; i < 3000; ++i)
                map += TileRecord(i * 37 % 1024, i * 91 % 1024, 1 + i % 230);
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
