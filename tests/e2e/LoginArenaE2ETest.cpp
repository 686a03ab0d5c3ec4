// Login, arena entry, the roster and the position reports, end to end.

#include "DemoZone.h"
#include "ZoneClientFixture.h"

#include "zone/Chat.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kLightBlue{160, 160, 255};

// Twenty players on three frequencies, some spectating, one with a name of the full 20 characters.
std::vector<SimPlayer> TwentyPlayers()
{
    const char* names[] = {
        "Alice",   "bob",  "Carol",  "dave",  "Eve",    "Frank", "grace", "Heidi",  "Ivan",   "judy",
        "Mallory", "niaj", "Olivia", "peggy", "Rupert", "sybil", "Trent", "victor", "Walter", "TwentyCharacterName!"};
    std::vector<SimPlayer> players;
    for (uint16_t i = 0; i < 20; ++i) {
        SimPlayer player;
        player.id = uint16_t(100 + 3 * i);
        player.name = names[i];
        player.squad = "squad" + std::to_string(i % 4);
        player.frequency = uint16_t(i % 3);
        player.ship = i % 4 == 0 ? 8 : uint8_t(i % 8);
        player.flagPoints = 1000u * i;
        player.killPoints = 7u * i;
        player.wins = uint16_t(i);
        player.losses = uint16_t(2 * i);
        players.push_back(player);
    }
    return players;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class LoginAndArena : public ZoneClientTest {
protected:
    void SetUp() override
    {
        Set(Settings::UserName, "Tester");
        Set(Settings::UserPassword, "secret");
    }

    // The user list as it should look: every present player, sorted without regard
    // to case, yellow on the user's frequency, the "S" icon for spectators.
    void ExpectUserList(const std::map<uint16_t, SimPlayer>& present, uint16_t ownFrequency)
    {
        std::vector<SimPlayer> expected;
        for (const auto& entry : present)
            expected.push_back(entry.second);
        std::sort(expected.begin(), expected.end(),
                  [](const SimPlayer& a, const SimPlayer& b) { return Lower(a.name) < Lower(b.name); });
        ASSERT_EQ(users.entries.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(users.entries[i].text, expected[i].name);
            EXPECT_EQ(users.entries[i].colour, expected[i].frequency == ownFrequency ? kYellow : kLightBlue)
                << expected[i].name;
            EXPECT_EQ(users.entries[i].image, expected[i].ship == 8 ? 1 : 0) << expected[i].name;
        }
        EXPECT_EQ(users.header, "Total Players: " + std::to_string(expected.size()));
    }
};

TEST_F(LoginAndArena, TheLoginCarriesTheSettingsAndEveryFixedValue)
{
    Set(Settings::UserName, "ExactlyThirtyTwoCharactersLong!!");
    Set(Settings::UserPassword, "a password longer than thirty-two characters");
    Start();
    ASSERT_TRUE(EnterArena());
    ASSERT_EQ(server->Logins().size(), 1u);
    const HeardLogin& login = server->Logins()[0];

    Packet expected(101);
    expected.WriteU8(0x09, 0);
    expected.WriteText("ExactlyThirtyTwoCharactersLong!!", 2, 0);
    expected.WriteText("a password longer than thirty-two characters", 34, 32);
    expected.WriteU32(0x12345678, 66);
    expected.WriteU16(240, 71);
    expected.WriteU16(134, 75);
    expected.WriteU32(444, 77);
    expected.WriteU32(555, 81);
    expected.WriteU32(0x12345678, 85);
    EXPECT_EQ(login.packet, expected);
    EXPECT_TRUE(login.via.reliable);
    EXPECT_EQ(login.password, "a password longer than thirty-tw");
    EXPECT_EQ(NewTexts(), std::vector<std::string>{"Login Successfull."});
    EXPECT_TRUE(sim->Violations().empty()) << sim->Violations()[0];
}

TEST_F(LoginAndArena, EachOfTheThreeFormsEntersAnArenaWithTheLongPacket)
{
    struct Case {
        std::string arena;
        ArenaForm form;
        uint16_t selector;
        std::string nameSent;
    };
    const Case cases[] = {
        {"", ArenaForm::AnyPublic, 0xFFFF, ""},
        {"0", ArenaForm::Numbered, 0, ""},
        {"7", ArenaForm::Numbered, 7, ""},
        {"65543", ArenaForm::Numbered, 7, ""}, // kept to 16 bits
        {"duel", ArenaForm::Named, 0xFFFD, "duel"},
        {"12a", ArenaForm::Named, 0xFFFD, "12a"},
        {"seventeen chars!!", ArenaForm::Named, 0xFFFD, "seventeen chars!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("arena '" + c.arena + "'");
        Set(Settings::ArenaName, c.arena);
        Start();
        ASSERT_TRUE(EnterArena());
        ASSERT_EQ(server->ArenaEntries().size(), 1u);
        const HeardArenaEntry& entry = server->ArenaEntries()[0];
        EXPECT_EQ(entry.form, c.form);
        EXPECT_EQ(entry.selector, c.selector);
        EXPECT_EQ(entry.name, c.nameSent);
        EXPECT_TRUE(entry.via.reliable);

        Packet expected(26);
        expected.WriteU8(0x01, 0);
        expected.WriteU8(8, 1);
        expected.WriteU16(1, 2);
        expected.WriteU16(640, 4);
        expected.WriteU16(480, 6);
        expected.WriteU16(c.selector, 8);
        expected.WriteText(c.nameSent, 10, 16);
        EXPECT_EQ(entry.packet, expected);

        EXPECT_TRUE(connection->InArena());
        EXPECT_EQ(connection->OwnPlayerId(), server->Script().ownId);
        EXPECT_TRUE(sim->Violations().empty());
    }
}

TEST_F(LoginAndArena, EveryLoginCodeShowsItsMessageThenEntersOrDisconnects)
{
    struct Case {
        uint8_t code;
        const char* message;
        bool enters;
    };
    const Case cases[] = {
        {0, "Login Successfull.", true},
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
        {200, "Unkown Login response, attempting to continue normaly...", true},
        {255, "Moderator Access is required to enter this zone.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.code));
        ArenaScript script;
        script.loginCode = c.code;
        Start(script);
        ASSERT_TRUE(HandshakeDone());
        if (c.enters) {
            ASSERT_TRUE(InArena());
            EXPECT_EQ(NewLines(), std::vector<Line>{Whole(c.message, kWhite)});
            EXPECT_EQ(server->ArenaEntries().size(), 1u);
            continue;
        }
        ASSERT_TRUE(StepUntil([this] { return sim->Peer()->ClientLeft(); }, 500));
        EXPECT_EQ(NewLines(), (std::vector<Line>{Whole(c.message, kWhite), Whole("Disconnecting...", kWhite)}));
        EXPECT_FALSE(connection->Connected());
        EXPECT_TRUE(server->ArenaEntries().empty());
        // It stays away: no countdown, no new key exchange.
        Steps(c.code == 255 ? 3200 : 50);
        EXPECT_EQ(sim->Handshakes(), 1u);
        EXPECT_FALSE(connection->JobOn(Connection::kReconnectJob));
    }
}

TEST_F(LoginAndArena, PositionsGoOutEveryFourIntervalsPlusOneTicksWithTheirCheckByte)
{
    for (const uint16_t interval : {uint16_t(5), uint16_t(0), uint16_t(12)}) {
        SCOPED_TRACE("interval " + std::to_string(interval));
        ArenaScript script;
        script.positionInterval = interval;
        Start(script);
        ASSERT_TRUE(EnterArena());
        EXPECT_EQ(connection->PositionInterval(), interval);
        server->ClearHeard();
        Steps(400);

        const std::vector<HeardPosition>& positions = server->Positions();
        const uint32_t period = 4u * interval + 1;
        ASSERT_GE(positions.size(), 400 / period - 1);
        for (size_t i = 0; i < positions.size(); ++i) {
            const HeardPosition& p = positions[i];
            EXPECT_EQ(p.packet.Size(), 22u);
            EXPECT_FALSE(p.via.reliable);
            // Both sides run on the same clock, so the time stamp is the arrival time.
            EXPECT_EQ(p.clientTime, p.at);
            EXPECT_EQ(p.x, 8192);
            EXPECT_EQ(p.y, 8192);
            // The two positions cancel out: the type byte and the time stamp's bytes remain.
            const uint32_t t = p.clientTime;
            EXPECT_EQ(p.check, uint8_t(0x03 ^ t ^ (t >> 8) ^ (t >> 16) ^ (t >> 24)));
            EXPECT_TRUE(p.checkValid);
            if (i > 0) {
                EXPECT_EQ(p.at - positions[i - 1].at, period);
            }
        }
        EXPECT_TRUE(sim->Violations().empty());
    }
}

TEST_F(LoginAndArena, ARosterOfTwentyArrivesInSeveralPacketsAndFollowsTheArena)
{
    ArenaScript script;
    script.ownId = 7;
    script.players = TwentyPlayers();
    script.recordsPerPacket = 6; // four packets
    script.ownRecordAt = 8;      // in the second one
    Start(script);
    Zone().filters.enterNotices = true;
    Zone().filters.leaveNotices = true;
    Zone().filters.deathNotices = true;
    ASSERT_TRUE(EnterArena());

    ASSERT_EQ(Zone().players.Count(), 21u);
    ExpectUserList(server->Present(), 0);
    const Player* alice = Zone().players.Get(100);
    ASSERT_NE(alice, nullptr);
    EXPECT_EQ(alice->name, "Alice");
    const Player* last = Zone().players.Get(157);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->name, "TwentyCharacterName!");
    EXPECT_EQ(last->squad, "squad3");
    EXPECT_EQ(last->points, 19000u + 133u);
    EXPECT_EQ(last->wins, 19u);
    EXPECT_EQ(last->losses, 38u);
    EXPECT_EQ(Me()->name, "Tester");

    // Only those after the user's own record are news.
    std::vector<std::string> expected = {"Login Successfull."};
    for (size_t i = 8; i < 20; ++i)
        expected.push_back("Enter: \"" + script.players[i].name + "\" has entered the arena.");
    EXPECT_EQ(NewTexts(), expected);

    server->SendPlayerLeaving(103); // bob
    server->SendDeath(106, 109, 50);
    server->SendShipChange(112, 8, 0); // Eve spectates on our frequency
    server->SendPlayersEntering({[] {
        SimPlayer late;
        late.id = 300;
        late.name = "Latecomer";
        late.frequency = 1;
        late.ship = 2;
        return late;
    }()});
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(NewLines(), (std::vector<Line>{Whole("Leave: \"bob\" has left the arena.", kWhite),
                                             Whole("Death: \"dave\" killed by \"Carol\" - Bounty: (50)", kWhite),
                                             Whole("Enter: \"Latecomer\" has entered the arena.", kWhite)}));
    ExpectUserList(server->Present(), 0);

    // Our own move to frequency 1 turns that frequency yellow.
    SendFrequencyChange(*connection, 1);
    ASSERT_TRUE(StepUntil([this] { return Me()->frequency == 1 && Settled(); }, 2000));
    ASSERT_EQ(server->FrequencyRequests().size(), 1u);
    EXPECT_EQ(server->FrequencyRequests()[0].packet, Packet::FromString(std::string("\x0F\x01\x00", 3)));
    ExpectUserList(server->Present(), 1);

    // Someone else's change recolours only that player.
    server->SendFrequencyChange(100, 1);
    ASSERT_TRUE(SettleDown());
    ExpectUserList(server->Present(), 1);
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(LoginAndArena, TheWholeEntryWorksThroughARoughNetwork)
{
    ArenaScript script;
    script.players = TwentyPlayers();
    script.recordsPerPacket = 3;
    script.positionInterval = 10;
    ZoneSimOptions options;
    options.seed = 4242;
    Start(script, options);
    ASSERT_TRUE(EnterArena(kRoughNetwork));
    EXPECT_EQ(Zone().players.Count(), 21u);
    ExpectUserList(server->Present(), 0);
    EXPECT_EQ(server->Logins().size(), 1u);
    EXPECT_EQ(server->ArenaEntries().size(), 1u);

    // Positions may be lost, never altered.
    Steps(1000);
    EXPECT_GT(server->Positions().size(), 10u);
    for (const HeardPosition& p : server->Positions())
        EXPECT_TRUE(p.checkValid);
    EXPECT_GT(sim->ToClient().Tally().lost + sim->ToServer().Tally().lost, 0u);
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(LoginAndArena, TheExecutablesDemoArenaSeatsTheClient)
{
    Start(DemoArena());
    ASSERT_TRUE(EnterArena());
    EXPECT_EQ(users.Names(), (std::vector<std::string>{"Alice", "Bob", "Carol", "Tester"}));
    EXPECT_EQ(NewTexts(), (std::vector<std::string>{
                              "Login Successfull.",
                              "Map File Checksums are Incorrect, attempting to download a new map from the Server.",
                              "Welcome to the Quillon zone simulator.",
                              "               Alice> hi there",
                              "Map File Download Complete. Loading Map File...", // asked for on the way in
                          }));
    EXPECT_EQ(Zone().players.Tiles().At(480, 480), 1);
    EXPECT_EQ(Zone().players.Tiles().At(510, 480), 0); // the gap
    EXPECT_TRUE(sim->Violations().empty());
}

} // namespace
