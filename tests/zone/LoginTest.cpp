// From the login response to a seat in an arena, and the arena list.

#include "ZoneFixture.h"

#include "zone/ArenaList.h"
#include "zone/Login.h"

namespace {

using LoginTest = ZoneTest;

TEST_F(LoginTest, EachResponseCodePrintsItsMessageThenEntersOrDisconnects)
{
    const struct {
        int code; // -1: a response cut before its code
        const char* message;
        bool enters;
    } cases[] = {
        {0, "Login Successfull.", true},
        {-1, "Login Successfull.", true},
        {1, "Unkown (Unregistered) Player, Please register this name first.", false},
        {2, "Incorrect Password for specified player name.", false},
        {3, "The Arena is full, please try again later.", false},
        {4, "You are locked out of Driftwake.", false},
        {5, "You do not have Permision to play in this Arena.", false},
        {6, "You only have permision to spectate in this Arena.", true},
        {7, "This name has too many points to play in this Arena.", false},
        {8, "Your Connection is too slow to play in this Arena.", false},
        {9, "You do not have Permision to play in this Arena.", false},
        {10, "The server is no longer accepting new connections. Try again later.", false},
        {11, "The name you are trying to use is Inavlid, please choose another.", false},
        {12, "The name you are trying to use is on the Offensive Word list, please choose another.", false},
        {13, "NOTICE: Scores are not being recorded in this zone. (Posible cause: No DW Biller Connection.)", true},
        {14, "Server busy proccessing other login requests. Try again later.", false},
        {15,
         "You do not have enough Usage. This zone is restricted to people with a certain number of hours logged on DW.",
         false},
        {16, "Unkown Login response, attempting to continue normaly...", true},
        {254, "Unkown Login response, attempting to continue normaly...", true},
        {255, "Moderator Access is required to enter this zone.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        Packet response = HexPacket(c.code < 0 ? "0A" : "0A 00 55 66");
        response.WriteU8(uint8_t(c.code), 1);
        Feed(response);
        std::vector<ShownLine> expected{{c.message, Slot(ChatOutput::kSlotWhite)}};
        if (!c.enters)
            expected.push_back({"Disconnecting...", Slot(ChatOutput::kSlotWhite)});
        EXPECT_EQ(Shown(), expected);
        const std::vector<Packet> sent = SentZone();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].ReadU8(0), c.enters ? 0x01 : 0x02); // arena entry, or leave arena
    }
}

TEST_F(LoginTest, ARefusalDisconnectsForGood)
{
    h.Handshake();
    h->SetJob(Connection::kReconnectJob, true);
    h.ServerSends(HexPacket("0A 02"));
    EXPECT_FALSE(h->Connected());
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
}

TEST_F(LoginTest, ArenaEnteredStartsThePeriodicWorkAndRunsTheAutomation)
{
    Write(Settings::UserChats, "1;2");
    // "/" separates; a "\" only once no "/" is left.
    Write(Settings::UserAuto, "first\\inner/?nopubchat/?lag//?nochat 2\\last");
    h->SetJob(Connection::kReconnectJob, true);
    Feed(HexPacket("02"));

    EXPECT_TRUE(h->InArena());
    for (const Connection::Job job : {Connection::kPositionJob, Connection::kSyncJob, Connection::kChunkJob})
        EXPECT_TRUE(h->JobOn(job)) << job;
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
    EXPECT_FALSE(Filters().publicChat);
    EXPECT_FALSE(Filters().channels[2]);
    std::vector<std::string> texts;
    for (const Packet& sent : SentZone())
        texts.push_back(sent.ReadText(5, 0));
    EXPECT_EQ(texts, (std::vector<std::string>{"?chat=1;2", "first\\inner", "?lag", "", "last"}));
    EXPECT_EQ(Lines().size(), 7u); // two local commands' answers, five echoes; "?lag" is the zone's
}

// Found in use: "?go" in the automation left the client marked in the arena it had just left.
TEST_F(LoginTest, AnAutomaticArenaChangeLeavesTheClientOutOfTheArenaUntilTheNextArrival)
{
    Write(Settings::UserAuto, "?go duel");
    Feed(HexPacket("02"));
    EXPECT_FALSE(h->InArena());
    EXPECT_FALSE(h->JobOn(Connection::kPositionJob));

    Write(Settings::UserAuto, ""); // read again at every entry
    Feed(HexPacket("02"));
    EXPECT_TRUE(h->InArena());
}

TEST(ArenaListTextTest, NamesPublicArenasAndMarksTheOwnAndCutEntriesReadAsZeros)
{
    Packet list = HexPacket("2F");
    for (const auto& [name, count] : std::vector<std::pair<std::string, uint16_t>>{{"0", 12},
                                                                                   {"duel", 65533},
                                                                                   {"", 3},
                                                                                   {"a", 65000},
                                                                                   {"b", 65001},
                                                                                   {"+5", 1},
                                                                                   {"-3", 2},
                                                                                   {"5a", 3},
                                                                                   {"+-5", 4},
                                                                                   {"+", 5},
                                                                                   {"007", 6}})
        list.AppendBytes(name + std::string{'\0', char(count), char(count >> 8)});
    EXPECT_EQ(ArenaListText(list), "Arenas: Public 0 (12), duel (*) (3), Public  (3), a (65000), b (*) (535), "
                                   "Public +5 (1), Public -3 (2), 5a (3), +-5 (4), Public + (5), Public 007 (6)");
    EXPECT_EQ(ArenaListText(HexPacket("2F 616263 00 05")), "Arenas: abc (5)");
    EXPECT_EQ(ArenaListText(HexPacket("2F 616263")), "Arenas: abc (0)");
    EXPECT_EQ(ArenaListText(HexPacket("2F")), "Arenas: ");
}

} // namespace
