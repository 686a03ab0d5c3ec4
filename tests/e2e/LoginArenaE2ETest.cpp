// Login, arena entry and the position reports, end to end.

#include "ZoneClientFixture.h"

namespace {

using LoginAndArena = ZoneClientTest;

// Each arena setting with a position interval of its own; the key is one the
// server chose, not the negated client key.
TEST_F(LoginAndArena, LoginArenaEntryAndPositionsGoOutByteForByteAtTheirPace)
{
    Set(Settings::UserName, "ExactlyThirtyTwoCharactersLong!!");
    Set(Settings::UserPassword, "a password longer than thirty-two characters");
    Packet login(101);
    login.WriteU8(0x09, 0);
    login.WriteText("ExactlyThirtyTwoCharactersLong!!", 2, 0);
    login.WriteText("a password longer than thirty-two characters", 34, 32);
    login.WriteU32(0x12345678, 66);
    login.WriteU16(240, 71);
    login.WriteU16(134, 75);
    login.WriteU32(444, 77);
    login.WriteU32(555, 81);
    login.WriteU32(0x12345678, 85);

    struct Case {
        std::string arena;
        uint16_t selector;
        std::string nameSent;
        uint16_t positionInterval;
    };
    const Case cases[] = {
        {"", 0xFFFF, "", 5},        {"0", 0, "", 0},
        {"65543", 7, "", 12}, // kept to 16 bits
        {"12a", 0xFFFD, "12a", 25}, {"seventeen chars!!", 0xFFFD, "seventeen chars!", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("arena '" + c.arena + "'");
        Set(Settings::ArenaName, c.arena);
        ArenaScript script;
        script.positionInterval = c.positionInterval;
        ZoneSimOptions options;
        options.serverKey = [](uint32_t) { return 0x0BADF00Du; };
        Start(script, options);
        ASSERT_TRUE(EnterArena());
        EXPECT_EQ(Link().CipherState().Key(), 0x0BADF00Du);
        EXPECT_EQ(NewLines(), std::vector<std::string>{"Login Successfull."});
        ASSERT_EQ(server->Logins().size(), 1u);
        EXPECT_EQ(server->Logins()[0].packet, login);
        EXPECT_TRUE(server->Logins()[0].via.reliable);

        Packet entry(26);
        entry.WriteU8(0x01, 0);
        entry.WriteU8(8, 1);
        entry.WriteU16(1, 2);
        entry.WriteU16(640, 4);
        entry.WriteU16(480, 6);
        entry.WriteU16(c.selector, 8);
        entry.WriteText(c.nameSent, 10, 16);
        ASSERT_EQ(server->ArenaEntries().size(), 1u);
        EXPECT_EQ(server->ArenaEntries()[0].packet, entry);
        EXPECT_TRUE(server->ArenaEntries()[0].via.reliable);

        server->ClearHeard();
        Steps(300);
        const std::vector<HeardPosition>& positions = server->Positions();
        const uint32_t period = 4u * c.positionInterval + 1;
        ASSERT_GE(positions.size(), 300 / period - 1);
        for (size_t i = 0; i < positions.size(); ++i) {
            const HeardPosition& p = positions[i];
            EXPECT_EQ(p.packet.Size(), 22u);
            EXPECT_FALSE(p.via.reliable);
            EXPECT_EQ(p.clientTime, p.at); // both sides run on the same clock
            EXPECT_EQ(p.x, 8192);
            EXPECT_EQ(p.y, 8192);
            // The two positions cancel out: the type byte and the time stamp's bytes remain.
            const uint32_t t = p.clientTime;
            EXPECT_EQ(p.check, uint8_t(0x03 ^ t ^ (t >> 8) ^ (t >> 16) ^ (t >> 24)));
            if (i > 0) {
                EXPECT_EQ(p.at - positions[i - 1].at, period);
            }
        }
        EXPECT_TRUE(sim->Violations().empty());
    }
}

} // namespace
