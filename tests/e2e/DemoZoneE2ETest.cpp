// The demo zone's scripted players against the client.

#include "ZoneClientFixture.h"

#include "DemoZone.h"

namespace {

using DemoZoneEndToEnd = ZoneClientTest;

// An away client answers private messages and the players answer theirs: the
// exchange ends after one round.
TEST_F(DemoZoneEndToEnd, AwayRepliesAndAnswersDoNotPingPongForever)
{
    Start(LivelyArena());
    DemoDirector director(*server, clock, 20);
    auto run = [&](int hundredths, const std::function<bool()>& done) {
        for (int i = 0; i < hundredths && !done(); ++i) {
            Step();
            director.Step();
        }
    };
    run(20000, [this] { return Zone().InArena() && Settled(); });
    ASSERT_TRUE(Zone().InArena());
    ASSERT_TRUE(client->Submit("?away gone", {}));
    server->SendChat(5, 4, "are you there?");
    server->SendChat(7, 0, "(Zoltan)>are you there?");
    run(300, [] { return false; });
    size_t toCarol = 0, toZoltan = 0;
    for (const HeardChat& chat : server->Chats()) {
        toCarol += chat.kind == 5 && chat.target == 4;
        toZoltan += chat.kind == 7 && chat.text.rfind(":Zoltan:", 0) == 0;
    }
    EXPECT_EQ(toCarol, 1u);
    EXPECT_EQ(toZoltan, 1u);
}

} // namespace
