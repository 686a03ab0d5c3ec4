// The zone's messages as the user meets them: raw zone packets into the
// client's receive path, the lines shown, the player list and what goes back.
#include "zone/Chat.h"

#include "support/ClientHarness.h"
#include "support/SlotColours.h"
#include "support/ZonePackets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace {

constexpr Rgb kWhite = Seen::kWhite;
using ShownLine = FakeOutputView::Line;

class ZoneTest : public ::testing::Test {
protected:
    ZoneTest()
    {
        h.EnterArena(1);
        Shown();
    }

    ReceptionFilters& Filters() { return h.Z().filters; }
    void Feed(const Packet& packet) { h.ServerSends(packet); }
    void Write(const Settings::TextKey& key, const std::string& value) { Settings::Write(h.settings, key, value); }

    std::vector<ShownLine> Shown() { return h.Shown(); }
    std::vector<std::string> Lines() { return h.Lines(); }

    std::vector<Packet> SentZone() { return h.TakeSentZone(); }

    void Enter(const std::vector<PlayerRecord>& records) { Feed(EnteringPacket(records)); }

    ClientHarness h;
};

class ChatTest : public ZoneTest {
protected:
    ChatTest()
    {
        Enter({{1, "Me"}, {3, "Bob", 0, 0}, {4, "TwentyCharacterNameX", 1, 0}, {5, "Carl", 1, 8}});
        Shown();
    }
    std::vector<ShownLine> Receive(int kind, uint16_t sender, const std::string& text)
    {
        Feed(ChatPacket(kind, sender, text));
        return Shown();
    }
    static std::vector<ShownLine> From(int kind, const std::string& name, const std::string& text)
    {
        return {{std::string(20 - name.size(), ' ') + name + "> " + text, Seen::OfSlot(kind)}};
    }
    std::deque<std::string> Recent() { return h.Z().recentSenders.Names(); }
    static std::vector<Packet> ChatOut(int kind, uint16_t target, const std::string& text)
    {
        return {ChatPacket(kind, target, text, 0x06)};
    }
};

TEST_F(ChatTest, OddPacketsShowWhatTheyHoldAndMutedKindsNothing)
{
    EXPECT_EQ(Receive(kChatPrivate, 4, "hi"), From(kChatPrivate, "TwentyCharacterNameX", "hi"));
    for (const uint16_t nobody : {9, 0xFFFF}) // a free slot and an id outside the table
        EXPECT_EQ(Receive(kChatTeam, nobody, "who"), From(kChatTeam, "", "who"));
    EXPECT_TRUE(Receive(255, 3, "unknown kind").empty());
    // The text ends at the first zero or the packet's end.
    Feed(ChatPacket(kChatServerNotice, 0, std::string("abc\0def", 7)));
    Feed(Packet::FromString(std::string("\x07\x06\x00\x00\x00unterminated", 17)));
    Feed(HexPacket("07 06")); // no room for sender or text
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abc", "unterminated", ""}));

    ReceptionFilters& f = Filters();
    f.arenaChat = f.sysopWarnings = f.publicChat = f.teamChat = false;
    for (int channel = 1; channel < ReceptionFilters::kChannels; ++channel)
        f.channels[size_t(channel)] = channel == 3;
    for (const int kind : {kChatArena, kChatSysopWarning, kChatPublicMacro, kChatPublic, kChatTeam})
        EXPECT_TRUE(Receive(kind, 3, "x").empty()) << kind;
    for (const int kind : {kChatServerNotice, kChatFrequency, kChatPrivate})
        EXPECT_FALSE(Receive(kind, 3, "x").empty()) << kind;
    EXPECT_TRUE(Receive(kChatChannel, 0, "9:Bob> hi").empty());
    // A start that is not a digit reads as channel 0, which is always on; no switch covers 10 and up.
    for (const char* shown : {"3:Bob> hi", "x:Bob> hi", "-1:Bob> hi", "", "10:Bob> hi", "99"})
        EXPECT_EQ(Receive(kChatChannel, 0, shown), (std::vector<ShownLine>{{shown, Seen::OfSlot(kChatChannel)}}));
}

// A name or a line from the server cannot break a line of the window or the
// player list, nor forge one; what is sent back names the player as the server does.
TEST_F(ChatTest, ControlCharactersShowAsAVisibleSignAndTheNameStillFindsItsPlayer)
{
    Enter({{6, "Ev\nil\t"}});
    Shown();
    EXPECT_EQ(Receive(kChatPublic, 6, "hi\r\n                 Bob> forged"),
              From(kChatPublic, "Ev\xA4il\xA4", "hi\xA4\xA4                 Bob> forged"));
    EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"Bob", "Carl", "Ev\xA4il\xA4", "Me", "TwentyCharacterNameX"}));
    SentZone();
    EXPECT_TRUE(h->Submit("/psst", std::string("Ev\xA4il\xA4")));
    EXPECT_EQ(SentZone(), ChatOut(kChatPrivate, 6, "psst"));

    // DEL and the five bytes Windows-1252 leaves undefined show as the sign too; the rest of
    // the upper half is text, in the window and the player list alike.
    Shown();
    Enter({{7, "Z\x7F\x81\x8D\x8F\x90\x9Dz"}});
    EXPECT_EQ(Receive(kChatPublic, 7, "a\x7F\x81\x8D\x8F\x90\x9D \x80\x8E\x9F\xA0\xE9\xFF and eight more bytes"),
              From(kChatPublic, "Z\xA4\xA4\xA4\xA4\xA4\xA4z",
                   "a\xA4\xA4\xA4\xA4\xA4\xA4 \x80\x8E\x9F\xA0\xE9\xFF and eight more bytes"));
    EXPECT_EQ(h.users.Names().back(), "Z\xA4\xA4\xA4\xA4\xA4\xA4z");

    // One line shows 4 KiB of what was said at most, and says how much more there was.
    for (const size_t size : {4096, 5000}) {
        for (const Packet& piece : BigChunkPieces(ChatPacket(kChatPublic, 3, std::string(size, 'w'))))
            Feed(piece);
        const std::string more = size > 4096 ? " (904 more bytes not shown)" : "";
        EXPECT_EQ(Shown(), From(kChatPublic, "Bob", std::string(4096, 'w') + more)) << size;
    }
}

// "bob" is ignored; each kind looks for the sender's name in its own place.
TEST_F(ChatTest, IgnoredSendersAreNeitherShownNorAnsweredNorNoted)
{
    // clang-format off
    const struct { int kind; uint16_t sender; const char* text; bool shown; } cases[] = {
        {kChatPublicMacro, 3, "x", false}, {kChatPublic, 3, "x", false}, {kChatTeam, 3, "x", false},
        {kChatFrequency, 3, "x", false}, {kChatPrivate, 3, "x", false}, {kChatPrivate, 5, "Bob", true},
        {kChatRemotePrivate, 0, "(Bob)x", false}, {kChatRemotePrivate, 3, "(Carl)Bob", true},
        {kChatRemotePrivate, 3, "Bob)x", true}, {kChatChannel, 3, "1:Bob> x", false}, {kChatChannel, 3, "1:BOB", false},
        {kChatChannel, 3, "1:Carl> Bob", true}, {kChatArena, 3, "Bob", true}, {kChatServerNotice, 3, "Bob", true},
        {kChatSysopWarning, 3, "Bob", true}};
    // clang-format on
    h->Ignores().ToggleIgnore("bob");
    h.Z().away.Set(" away");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Shown();
        SentZone();
        const std::deque<std::string> recent = Recent();
        EXPECT_EQ(Receive(c.kind, c.sender, c.text).empty(), !c.shown);
        if (!c.shown) {
            EXPECT_TRUE(SentZone().empty()); // no away reply
            EXPECT_EQ(Recent(), recent);
        }
    }
}

TEST_F(ChatTest, AwayAnswersEachSenderAtMostOnceAMinuteWhereTheSenderIs)
{
    h.Z().away.Set(" back soon");
    SentZone();
    Feed(ChatPacket(kChatPrivate, 3, "hi"));
    EXPECT_EQ(SentZone(), ChatOut(kChatPrivate, 3, "back soon"));
    Feed(ChatPacket(kChatPrivate, 3, "hi"));
    h.clock.Advance(5999);
    Feed(ChatPacket(kChatPrivate, 3, "still there?"));
    EXPECT_TRUE(SentZone().empty());
    Feed(ChatPacket(kChatPrivate, 5, "me too")); // another sender has a turn of its own
    EXPECT_EQ(SentZone(), ChatOut(kChatPrivate, 5, "back soon"));
    h.clock.Advance(1);
    Feed(ChatPacket(kChatPrivate, 3, "hello?"));
    EXPECT_EQ(SentZone(), ChatOut(kChatPrivate, 3, "back soon"));
    h.Z().away.Set(" gone fishing"); // a new message is news to everyone
    Feed(ChatPacket(kChatPrivate, 3, "again"));
    EXPECT_EQ(SentZone(), ChatOut(kChatPrivate, 3, "gone fishing"));
    // A remote sender is answered remotely, or privately when present here.
    Feed(ChatPacket(kChatRemotePrivate, 0, "(Zed)hi"));
    EXPECT_EQ(SentZone(), ChatOut(kChatRemotePrivate, 0, ":Zed:gone fishing"));
    Feed(ChatPacket(kChatRemotePrivate, 0, "(carl)hi"));
    EXPECT_EQ(SentZone(), ChatOut(kChatPrivate, 5, "gone fishing"));
    for (const char* nameless : {"no sender", "()nameless"})
        Feed(ChatPacket(kChatRemotePrivate, 0, nameless));
    Feed(ChatPacket(kChatPrivate, 9, "from a free slot"));
    EXPECT_TRUE(SentZone().empty());
}

using RosterTest = ZoneTest;

TEST_F(RosterTest, ArrivalsAreAnnouncedOnlyAfterTheOwnRecordAndListedWithoutRegardToCase)
{
    Filters().enterNotices = true;
    Feed(HexPacket("01 0300")); // own id 3
    Enter({{1, "carl"}, {2, "Bob"}});
    EXPECT_EQ(h.users.header, "Total Players: 2");
    Enter({{0, "dave"}, {3, "Me"}, {4, "alice"}});
    Enter({{5, "Eve"}});
    EXPECT_EQ(Shown(), (std::vector<ShownLine>{{"Enter: \"alice\" has entered the arena.", kWhite},
                                               {"Enter: \"Eve\" has entered the arena.", kWhite}}));
    EXPECT_EQ(h.users.header, "Total Players: 6");
    EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"alice", "Bob", "carl", "dave", "Eve", "Me"}));

    // A short last record reads as zeros past the end; the points are two numbers, added up.
    Packet packet(128);
    for (const uint32_t base : {0u, 64u}) {
        packet.WriteU8(0x03, base);
        packet.WriteText(base == 0 ? "Alice" : "Bob", base + 3, 20);
        packet.WriteText(base == 0 ? "Squad" : "TheLongSquadName1234", base + 23, 20);
    }
    packet.WriteU16(7, 51);
    packet.WriteU16(3, 53);
    packet.WriteU32(10, 43);
    packet.WriteU32(20, 47);
    packet.WriteU16(4, 55);
    packet.WriteU16(5, 57);
    packet.WriteU16(9, 64 + 51);
    Feed(packet.SubRange(0, 100));
    const Player& alice = *h.Z().players.Get(7);
    EXPECT_EQ(std::tie(alice.name, alice.squad, alice.points, alice.frequency, alice.wins, alice.losses),
              std::make_tuple("Alice", "Squad", 30u, 3, 4u, 5u));
    // Its id lay past the end, so it is player 0, with the squad cut at the end.
    const Player& bob = *h.Z().players.Get(0);
    EXPECT_EQ(std::tie(bob.name, bob.squad), std::make_tuple("Bob", "TheLongSquadN"));
}

TEST_F(RosterTest, TheCountFollowsTheTableAndNoticesTheirSwitches)
{
    Enter({{1, "Me"}, {3, "Victim"}, {5, "Old"}, {7, "Killer"}, {8, "Goner"}});
    const Packet death = HexPacket("06 00 0700 0300 3200");
    Feed(death);
    Feed(HexPacket("04 0800"));
    Shown();
    Enter({{5, "New"}, {600, "Outside"}}); // an id is reused; one lies outside the table
    EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"Killer", "Me", "New", "Victim"}));
    Filters().deathNotices = Filters().leaveNotices = true;
    Feed(death);
    Feed(HexPacket("06 00 2C01 0002 0000"));                               // a free slot and an id outside the table
    for (const char* leave : {"04 0700", "04 0700", "04 2C01", "04 0002"}) // gone already, never there, outside
        Feed(HexPacket(leave));
    for (const char* change : {"0D 0900 0400", "0D BC02 0400", "1D 01 0900 0400", "1D 01 FFFF 0400"})
        Feed(HexPacket(change)); // frequency and ship changes for nobody
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Death: \"Victim\" killed by \"Killer\" - Bounty: (50)",
                                                 "Death: \"\" killed by \"\" - Bounty: (0)",
                                                 "Leave: \"Killer\" has left the arena."}));
    EXPECT_EQ(h.users.header, "Total Players: 3");
    EXPECT_EQ(h.Z().players.Count(), 3u);
    EXPECT_FALSE(h.Z().players.Get(9)->inUse);
    Enter({{10, ""}}); // a nameless player is listed, and must leave the list too
    h->Disconnect();
    EXPECT_EQ(h.Z().players.Count(), 0u);
    EXPECT_TRUE(h.users.entries.empty());
}

TEST_F(RosterTest, KindsAreJudgedAgainstTheOwnPlayerAndRecolouredWhenItMoves)
{
    // "yellow" or "blue", then "+S" for the spectator icon, for each entry in list order.
    const auto looks = [this] {
        std::string all;
        for (const FakeUserListView::Entry& e : h.users.entries) {
            const char* colour = e.colour == Rgb{255, 255, 0}     ? "yellow"
                                 : e.colour == Rgb{160, 160, 255} ? "blue"
                                                                  : "?";
            all += e.text + ":" + colour + (e.image == 1 ? "+S " : " ");
        }
        return all;
    };
    // Before the own record arrives everyone counts as on another frequency.
    Enter({{2, "Mate", 0, 0}, {3, "Rival", 1, 0}, {4, "Spy", 1, 8}, {5, "Watcher", 0, 8}});
    EXPECT_EQ(looks(), "Mate:blue Rival:blue Spy:blue+S Watcher:blue+S ");
    Enter({{1, "Me", 0, 8}});
    EXPECT_EQ(looks(), "Mate:yellow Me:yellow+S Rival:blue Spy:blue+S Watcher:yellow+S ");
    Feed(HexPacket("0D 0100 0100")); // we move: everyone is judged again
    EXPECT_EQ(looks(), "Mate:blue Me:yellow+S Rival:yellow Spy:yellow+S Watcher:blue+S ");
    Feed(HexPacket("1D 00 0100 0000")); // into a ship and back to frequency 0
    EXPECT_EQ(looks(), "Mate:yellow Me:yellow Rival:blue Spy:blue+S Watcher:yellow+S ");
    Feed(HexPacket("1D 02 0400 0000")); // someone else moves: only that entry changes
    EXPECT_EQ(looks(), "Mate:yellow Me:yellow Rival:blue Spy:yellow Watcher:yellow+S ");
}

// Each move of our own player judges every entry again; a burst of them is judged once a tick.
TEST_F(RosterTest, ABurstOfOwnMovesRecoloursTheListOncePerTick)
{
    Enter({{1, "Me"}, {2, "A"}, {3, "B"}, {4, "C"}, {5, "D"}, {6, "E"}, {7, "F"}, {8, "G"}});
    Packet cluster = HexPacket("000E");
    for (uint16_t frequency = 1; frequency <= 10; ++frequency) {
        Packet change = HexPacket("0D 0100 0000");
        change.WriteU16(frequency, 3);
        cluster.Append(HexPacket("05"));
        cluster.Append(change);
    }
    const int before = h.users.looksSet;
    Feed(cluster);
    EXPECT_EQ(h.users.looksSet - before, 10 + 8); // our own entry for each move, then everyone once
    EXPECT_EQ(h.Z().players.Get(1)->frequency, 10);
}

class LoginTest : public ZoneTest {
protected:
    // The user enters an arena again ("?go"); an "arena entered" counts once for each entry.
    void NewEntry()
    {
        EXPECT_TRUE(h->Submit("?go", {}));
        SentZone();
        Lines();
    }
};

TEST_F(LoginTest, AcceptingResponsesEnterTheArenaAndRefusalsDisconnectForGood)
{
    const struct {
        const char* hex;
        const char* message;
        bool enters;
    } cases[] = {
        {"0A", "Login Successfull.", true}, // cut before its code
        {"0A 00", "Login Successfull.", true},
        {"0A 01", "Unkown (Unregistered) Player, Please register this name first.", false},
        {"0A 02 55", "Incorrect Password for specified player name.", false},
        {"0A 03", "The Arena is full, please try again later.", false},
        {"0A 04", "You are locked out of Driftwake.", false},
        {"0A 05", "You do not have Permision to play in this Arena.", false},
        {"0A 06", "You only have permision to spectate in this Arena.", true},
        {"0A 07", "This name has too many points to play in this Arena.", false},
        {"0A 08", "Your Connection is too slow to play in this Arena.", false},
        {"0A 09", "You do not have Permision to play in this Arena.", false},
        {"0A 0A", "The server is no longer accepting new connections. Try again later.", false},
        {"0A 0B", "The name you are trying to use is Inavlid, please choose another.", false},
        {"0A 0C", "The name you are trying to use is on the Offensive Word list, please choose another.", false},
        {"0A 0D", "NOTICE: Scores are not being recorded in this zone. (Posible cause: No DW Biller Connection.)",
         true},
        {"0A 0E", "Server busy proccessing other login requests. Try again later.", false},
        {"0A 0F",
         "You do not have enough Usage. This zone is restricted to people with a certain number of hours logged on DW.",
         false},
        {"0A 10", "Unkown Login response, attempting to continue normaly...", true},
        {"0A FE", "Unkown Login response, attempting to continue normaly...", true},
        {"0A FF", "Moderator Access is required to enter this zone.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        h.Make();
        h.server.cipher.Stop();
        h.Handshake();
        Shown();
        SentZone();
        Feed(HexPacket(c.hex));
        std::vector<ShownLine> expected{{c.message, kWhite}};
        if (!c.enters)
            expected.push_back({"Disconnecting...", kWhite});
        EXPECT_EQ(Shown(), expected);
        const std::vector<Packet> sent = SentZone();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent[0].ReadU8(0), c.enters ? 0x01 : 0x02); // arena entry, or leave arena
        EXPECT_EQ(h->Link().Connected(), c.enters);
        EXPECT_FALSE(h->Link().JobOn(Connection::kReconnectJob));
    }
}

// A server that says the same thing again and again gets one answer: the login is
// answered once, an arena entered once, a small file sent once while its answer is
// on its way; so nothing it repeats can trip the flood guard.
TEST_F(LoginTest, AServerThatRepeatsItselfGetsOneAnswer)
{
    h.Make();
    h.server.cipher.Stop();
    h.Handshake();
    Shown();
    SentZone();
    for (int i = 0; i < 1000; ++i)
        Feed(HexPacket("0A 00"));
    size_t entries = 0;
    for (const Packet& p : SentZone())
        entries += p.ReadU8(0) == 0x01;
    EXPECT_EQ(entries, 1u);
    EXPECT_EQ(Lines(), std::vector<std::string>{"Login Successfull."});

    Write(Settings::UserAuto, "?nopubchat");
    for (int i = 0; i < 5; ++i)
        Feed(HexPacket("02"));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Public chat Disabled."});

    std::filesystem::create_directories(h.folder.Path() + "Files");
    WriteWholeFile(h.folder.Path() + "Files/small.dat", std::string(400, 's'));
    Packet request(273);
    request.WriteU8(0x19, 0);
    request.WriteText("small.dat", 1, 256);
    request.WriteText("up.dat", 257, 16);
    auto answers = [&] {
        std::vector<uint32_t> numbers;
        for (const Packet& p : h.TakeSent())
            if (p.Size() > 7 && p.ReadU8(1) == 0x03 && p.ReadU8(6) == 0x16)
                numbers.push_back(p.ReadU32(2));
        return numbers;
    };
    for (int i = 0; i < 50; ++i)
        Feed(request);
    const std::vector<uint32_t> first = answers();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_FALSE(h->Link().FloodStopped());
    Packet ack = HexPacket("0004 00000000");
    ack.WriteU32(first[0], 2);
    Feed(ack);
    Feed(request);
    EXPECT_EQ(answers().size(), 1u) << "acknowledged, it may be asked for again";
}

TEST_F(LoginTest, ArenaEnteredStartsThePeriodicWorkAndRunsTheAutomationReadAfresh)
{
    Write(Settings::UserChats, "1;2");
    // "/" separates; a "\" only once no "/" is left.
    Write(Settings::UserAuto, "first\\inner/?nopubchat/?lag//?nochat 2\\last");
    NewEntry();
    Feed(HexPacket("02"));
    EXPECT_TRUE(h.Z().InArena());
    for (const Connection::Job job : {Connection::kPositionJob, Connection::kSyncJob, Connection::kChunkJob})
        EXPECT_TRUE(h->Link().JobOn(job)) << job;
    EXPECT_FALSE(Filters().publicChat);
    EXPECT_FALSE(Filters().channels[2]);
    std::vector<std::string> texts;
    for (const Packet& sent : SentZone())
        texts.push_back(sent.ReadText(5, 0));
    EXPECT_EQ(texts, (std::vector<std::string>{"?chat=1;2", "first\\inner", "?lag", "", "last"}));
    EXPECT_EQ(Lines().size(), 7u); // two local commands' answers, five echoes; "?lag" is the zone's

    // Found in use: "?go" in the automation left the client marked in the arena it had just left.
    Write(Settings::UserChats, "");
    Write(Settings::UserAuto, "?go duel");
    NewEntry();
    Feed(HexPacket("02"));
    EXPECT_FALSE(h.Z().InArena());
    EXPECT_FALSE(h->Link().JobOn(Connection::kPositionJob));
    Write(Settings::UserAuto, "");
    Feed(HexPacket("02"));
    EXPECT_TRUE(h.Z().InArena());
}

TEST_F(LoginTest, TheArenaListNamesPublicArenasAndMarksTheOwnAndCutEntriesReadAsZeros)
{
    Feed(HexPacket("2F 3000 0C00 6475656C00 FDFF 00 0300 6100 E8FD 6200 E9FD 2B3500 0100 356100 0300"));
    Feed(HexPacket("2F 616263"));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Arenas: Public 0 (12), duel (*) (3), Public  (3), a (65000), "
                                                 "b (*) (535), Public +5 (1), 5a (3)",
                                                 "Arenas: abc (0)"}));
}

} // namespace
