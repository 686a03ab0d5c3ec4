// The demo zone, end to end: a round of its script shows every chat kind and
// leaves the arena as it found it, and its players answer the user.

#include "ZoneClientFixture.h"

#include "DemoZone.h"
#include "console/LocalCommands.h"
#include "zone/Chat.h"

#include <algorithm>

namespace {

class DemoZoneEndToEnd : public ZoneClientTest {
protected:
    void SetUp() override
    {
        Set(Settings::UserName, "Tester");
        Start(LivelyArena());
        director = std::make_unique<DemoDirector>(*server, clock, 20);
    }
    void TearDown() override { director.reset(); }

    void Run(int hundredths)
    {
        for (int i = 0; i < hundredths; ++i) {
            Step();
            director->Step();
        }
    }
    bool Enter()
    {
        for (int i = 0; i < 20000 && !(connection->InArena() && Settled()); ++i) {
            Step();
            director->Step();
        }
        return connection->InArena();
    }
    static bool Has(const std::vector<std::string>& texts, const std::string& text)
    {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    std::unique_ptr<DemoDirector> director;
};

TEST_F(DemoZoneEndToEnd, ARoundShowsEveryKindOfChatAndEndsWithTheSamePlayers)
{
    ASSERT_TRUE(Enter());
    const std::vector<std::string> before = users.Names();
    EXPECT_EQ(before, (std::vector<std::string>{"Alice", "Bob", "Carol", "Dmitri", "Eve", "Tester"}));
    NewLines();
    Run(100 + 24 * 20);

    const std::vector<Line> lines = NewLines();
    auto shown = [&lines](const Line& wanted) { return std::find(lines.begin(), lines.end(), wanted) != lines.end(); };
    EXPECT_TRUE(shown(FromPlayer("Alice", "anyone seen the new map? the centre is wide open now", 2)));
    EXPECT_TRUE(shown(FromPlayer("Alice", "base is clear, come help on the left", 3)));
    EXPECT_TRUE(shown(FromPlayer("Dmitri", "need a terrier on our freq", 4)));
    EXPECT_TRUE(shown(FromPlayer("Carol", "hey, spectating today? send me a private message", 5)));
    EXPECT_TRUE(shown(Whole("The flag game starts in 2 minutes.", 0)));
    EXPECT_TRUE(shown(Whole("(Zoltan)>are you coming to the league match tonight?", 7)));
    EXPECT_TRUE(shown(Whole("Sysop warning: please keep public chat friendly.", 8)));
    EXPECT_TRUE(shown(Whole("1:Hank> duel in ?go duel, anyone?", 9)));
    EXPECT_TRUE(shown(Whole("2:Ivy> new season rankings are up", 9)));
    EXPECT_TRUE(shown(Whole("3:Jo> lag is fine from here", 9)));
    EXPECT_TRUE(shown(FromPlayer("Frank", "hello all", 2)));
    EXPECT_EQ(users.Names(), before);
    EXPECT_EQ(ReadWholeFile(program + "news.txt"), DemoDirector::NewsText());
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(DemoZoneEndToEnd, PlayersAnswerPrivateMessagesAndStaffCommands)
{
    ASSERT_TRUE(Enter());
    NewLines();
    SendChat(*connection, ":hello Alice", 5, 2, true);
    SendChat(*connection, "/*info", 5, 3, false);
    SendChat(*connection, "*lag", 2, 0, false);
    SendChat(*connection, ":Zoltan:see you there", 7, 0, true);
    Run(60);
    const std::vector<std::string> texts = NewTexts();
    EXPECT_TRUE(
        Has(texts, "               Alice> I'm only a script in the demo zone, but thanks for \"hello Alice\"!"));
    EXPECT_TRUE(Has(texts, "IP:127.0.0.1  TimeZoneBias:0  Freq:1  TypedName:Bob  Demo:0  MachineId:20261206"));
    EXPECT_TRUE(Has(texts, "PING Current:20 ms  Average:20 ms  Low:10 ms  High:40 ms  S2C:0.0%  C2S:0.0%"));
    EXPECT_TRUE(Has(texts, "(Zoltan)>got your message, I'm in another arena"));
}

// An away client answers private messages and the players answer theirs: the
// exchange ends after one round.
TEST_F(DemoZoneEndToEnd, AwayRepliesAndAnswersDoNotPingPongForever)
{
    ASSERT_TRUE(Enter());
    SetAway(*connection, " gone");
    server->SendChat(5, 4, "are you there?");
    server->SendChat(7, 0, "(Zoltan)>are you there?");
    Run(300);
    size_t toCarol = 0, toZoltan = 0;
    for (const HeardChat& chat : server->Chats()) {
        toCarol += chat.kind == 5 && chat.target == 4;
        toZoltan += chat.kind == 7 && chat.text.rfind(":Zoltan:", 0) == 0;
    }
    EXPECT_EQ(toCarol, 1u);
    EXPECT_EQ(toZoltan, 1u);
}

} // namespace
