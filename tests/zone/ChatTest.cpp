#include "ZoneFixture.h"

namespace {

const std::string kName20 = "TwentyCharacterNameX";

class ChatTest : public ZoneTest {
protected:
    ChatTest() { EnterArenaWith({{3, "Bob", 0, 0}, {4, kName20, 1, 0}, {5, "Carl", 1, 8}}); }

    std::vector<Piece> FromPlayer(int slot, const std::string& name, const std::string& text)
    {
        const Rgb c = Slot(slot);
        return {{std::string(20 - name.size(), ' '), c}, {name, c}, {"> ", c}, {text, c}};
    }
    std::vector<Piece> Whole(int slot, const std::string& text) { return {{text, Slot(slot)}}; }

    // What one chat packet from the server shows.
    std::vector<Piece> Receive(int kind, uint16_t sender, const std::string& text)
    {
        Feed(ChatPacket(kind, sender, text));
        return Pieces();
    }
    std::deque<std::string> Recent() { return Session().recentSenders.Names(); }

    static Packet ChatOut(int kind, uint16_t target, const std::string& text)
    {
        Packet p(uint32_t(text.size()) + 6);
        p.WriteU8(0x06, 0);
        p.WriteU8(uint8_t(kind), 1);
        p.WriteU16(target, 3);
        p.WriteText(text, 5, 0);
        return p;
    }
    // The one chat packet sent since the last call.
    Packet OneSent()
    {
        const std::vector<Sent> sent = SentZone();
        EXPECT_EQ(sent.size(), 1u);
        return sent.empty() ? Packet() : sent[0].packet;
    }
};

TEST_F(ChatTest, PlayerKindsShowThePaddedNameInTheirColour)
{
    for (int kind = kChatPublicMacro; kind <= kChatPrivate; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(Receive(kind, 3, "hello"), FromPlayer(kind, "Bob", "hello"));
    }
    EXPECT_EQ(Receive(kChatPublic, 4, "hi"), FromPlayer(kChatPublic, kName20, "hi"));
    // A free slot and an id outside the table both give the empty name.
    EXPECT_EQ(Receive(kChatPublic, 9, "who"), FromPlayer(kChatPublic, "", "who"));
    EXPECT_EQ(Receive(kChatPublic, 600, "who"), FromPlayer(kChatPublic, "", "who"));
    EXPECT_EQ(Receive(kChatPublic, 0xFFFF, "who"), FromPlayer(kChatPublic, "", "who"));
}

TEST_F(ChatTest, TheTextEndsAtTheFirstZeroOrThePacketsEnd)
{
    Feed(ChatPacket(kChatServerNotice, 0, std::string("abc\0def", 7)));
    Feed(Packet::FromString(std::string("\x07\x06\x00\x00\x00unterminated", 17)));
    Feed(Packet::FromString(std::string("\x07\x06", 2))); // no room for sender or text
    EXPECT_EQ(Lines(), (std::vector<std::string>{"abc", "unterminated", ""}));
}

TEST_F(ChatTest, TextOnlyKindsAndTheReceptionSwitches)
{
    EXPECT_EQ(Receive(kChatArena, 3, "arena"), Whole(0, "arena"));
    EXPECT_EQ(Receive(kChatServerNotice, 3, "notice"), Whole(6, "notice"));
    EXPECT_EQ(Receive(kChatSysopWarning, 3, "warning"), Whole(8, "warning"));
    EXPECT_TRUE(Receive(10, 3, "unknown kind").empty());
    EXPECT_TRUE(Receive(255, 3, "unknown kind").empty());

    ReceptionFilters& f = Filters();
    f.arenaChat = false;
    f.sysopWarnings = false;
    f.publicChat = false;
    EXPECT_TRUE(Receive(kChatArena, 3, "x").empty());
    EXPECT_TRUE(Receive(kChatSysopWarning, 3, "x").empty());
    EXPECT_TRUE(Receive(kChatPublicMacro, 3, "x").empty());
    EXPECT_TRUE(Receive(kChatPublic, 3, "x").empty());
    EXPECT_EQ(Receive(kChatServerNotice, 3, "x"), Whole(6, "x"));
    EXPECT_EQ(Receive(kChatTeam, 3, "x"), FromPlayer(kChatTeam, "Bob", "x"));
    f.teamChat = false;
    EXPECT_TRUE(Receive(kChatTeam, 3, "x").empty());
    EXPECT_EQ(Receive(kChatFrequency, 3, "x"), FromPlayer(kChatFrequency, "Bob", "x"));
    EXPECT_EQ(Receive(kChatPrivate, 3, "x"), FromPlayer(kChatPrivate, "Bob", "x"));
}

struct IgnoreCase {
    int kind;
    uint16_t sender;
    const char* text;
    bool shown;
};

class IgnoreTest : public ChatTest, public ::testing::WithParamInterface<IgnoreCase> {};

// "bob" is ignored; each kind looks for the name in its own place.
TEST_P(IgnoreTest, EachKindChecksItsOwnSenderName)
{
    const IgnoreCase& c = GetParam();
    h->ToggleIgnore("bob");
    Session().away.Set(" away");
    Pieces();
    Feed(ChatPacket(c.kind, c.sender, c.text));
    EXPECT_EQ(!Pieces().empty(), c.shown);
    if (!c.shown) {
        EXPECT_TRUE(SentZone().empty()); // no away reply
        EXPECT_TRUE(Recent().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, IgnoreTest,
    ::testing::Values(IgnoreCase{kChatPublicMacro, 3, "x", false}, IgnoreCase{kChatPublic, 3, "x", false},
                      IgnoreCase{kChatTeam, 3, "x", false}, IgnoreCase{kChatFrequency, 3, "x", false},
                      IgnoreCase{kChatPrivate, 3, "x", false}, IgnoreCase{kChatPrivate, 5, "Bob", true},
                      IgnoreCase{kChatRemotePrivate, 0, "(Bob)x", false},
                      IgnoreCase{kChatRemotePrivate, 3, "(Carl)Bob", true},
                      IgnoreCase{kChatRemotePrivate, 3, "Bob)x", true}, IgnoreCase{kChatChannel, 3, "1:Bob> x", false},
                      IgnoreCase{kChatChannel, 3, "1:BOB", false}, IgnoreCase{kChatChannel, 3, "1:Carl> Bob", true},
                      IgnoreCase{kChatArena, 3, "Bob", true}, IgnoreCase{kChatServerNotice, 3, "Bob", true},
                      IgnoreCase{kChatSysopWarning, 3, "Bob", true}));

TEST_F(ChatTest, RemotePrivateSendersAreNamedByTheirBrackets)
{
    EXPECT_EQ(Receive(kChatRemotePrivate, 0, "(Zed)hello"), Whole(7, "(Zed)hello"));
    EXPECT_EQ(Receive(kChatRemotePrivate, 0, "(Open ended"), Whole(7, "(Open ended"));
    EXPECT_EQ(Receive(kChatRemotePrivate, 0, "(Amy)(x)"), Whole(7, "(Amy)(x)"));
    EXPECT_EQ(Receive(kChatRemotePrivate, 0, "no brackets"), Whole(7, "no brackets"));
    EXPECT_EQ(Receive(kChatRemotePrivate, 0, "()empty"), Whole(7, "()empty"));
    EXPECT_EQ(Recent(), (std::deque<std::string>{"Amy", "Open ended", "Zed"}));
}

TEST_F(ChatTest, ChannelsAreShownByTheirOwnSwitch)
{
    ReceptionFilters& f = Filters();
    for (int channel = 1; channel < ReceptionFilters::kChannels; ++channel)
        f.channels[size_t(channel)] = false;
    EXPECT_TRUE(Receive(kChatChannel, 0, "3:Bob> hi").empty());
    EXPECT_TRUE(Receive(kChatChannel, 0, "9:Bob> hi").empty());
    // A start that is not a digit reads as channel 0, which is always on.
    EXPECT_EQ(Receive(kChatChannel, 0, "x:Bob> hi"), Whole(9, "x:Bob> hi"));
    EXPECT_EQ(Receive(kChatChannel, 0, "-1:Bob> hi"), Whole(9, "-1:Bob> hi"));
    EXPECT_EQ(Receive(kChatChannel, 0, ""), Whole(9, ""));
    // No switch covers a channel beyond 9.
    EXPECT_EQ(Receive(kChatChannel, 0, "10:Bob> hi"), Whole(9, "10:Bob> hi"));
    EXPECT_EQ(Receive(kChatChannel, 0, "99"), Whole(9, "99"));
    f.channels[3] = true;
    EXPECT_EQ(Receive(kChatChannel, 0, "3:Bob> hi"), Whole(9, "3:Bob> hi"));
    EXPECT_TRUE(Recent().empty()); // channel senders are not private senders
}

TEST_F(ChatTest, AwayAnswersEachSenderAtMostOnceAMinute)
{
    Session().away.Set(" back soon");
    Feed(ChatPacket(kChatPrivate, 3, "hi"));
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, "back soon"));
    Feed(ChatPacket(kChatPrivate, 3, "hi"));
    EXPECT_TRUE(SentZone().empty());
    h.clock.Advance(5999);
    Feed(ChatPacket(kChatPrivate, 3, "still there?"));
    EXPECT_TRUE(SentZone().empty());
    Feed(ChatPacket(kChatPrivate, 5, "me too")); // another sender has a turn of its own
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 5, "back soon"));
    h.clock.Advance(1);
    Feed(ChatPacket(kChatPrivate, 3, "hello?"));
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, "back soon"));

    // A new message is news to everyone.
    Session().away.Set(" gone fishing");
    Feed(ChatPacket(kChatPrivate, 3, "again"));
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, "gone fishing"));
}

TEST_F(ChatTest, AwayReplyCarriesTheWordsOrTheDefaultAndIsEchoed)
{
    Session().away.Set(" back soon");
    Pieces();
    Feed(ChatPacket(kChatPrivate, 3, "hi"));
    const Packet reply = OneSent();
    EXPECT_EQ(reply, ChatOut(kChatPrivate, 3, "back soon"));
    std::vector<Piece> expected = FromPlayer(kChatPrivate, "Bob", "hi");
    const std::vector<Piece> echo = FromPlayer(kChatPrivate, "Me", "back soon");
    expected.insert(expected.end(), echo.begin(), echo.end());
    EXPECT_EQ(Pieces(), expected);

    EXPECT_FALSE(Session().away.Set("")); // "?away" alone: off
    Feed(ChatPacket(kChatPrivate, 5, "hi"));
    EXPECT_TRUE(SentZone().empty());
    EXPECT_TRUE(Session().away.Set("")); // and on again with the default text
    EXPECT_EQ(Session().away.Message(), "I am currently Away.");
    Feed(ChatPacket(kChatPrivate, 5, "hi"));
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 5, "I am currently Away."));
}

TEST_F(ChatTest, RemotePrivateAwayRepliesGoPrivateWhenTheSenderIsHere)
{
    Session().away.Set("");
    Feed(ChatPacket(kChatRemotePrivate, 0, "(Zed)hi"));
    EXPECT_EQ(OneSent(), ChatOut(kChatRemotePrivate, 0, ":Zed:I am currently Away."));
    Feed(ChatPacket(kChatRemotePrivate, 0, "(carl)hi"));
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 5, "I am currently Away."));
    Feed(ChatPacket(kChatRemotePrivate, 0, "no sender"));
    EXPECT_TRUE(SentZone().empty());
}

TEST_F(ChatTest, SendersWithoutANameAreNeitherAnsweredNorNoted)
{
    Session().away.Set("");
    Feed(ChatPacket(kChatPrivate, 9, "from a free slot"));
    Feed(ChatPacket(kChatPrivate, 700, "from outside the table"));
    Feed(ChatPacket(kChatRemotePrivate, 0, "()nameless"));
    EXPECT_TRUE(SentZone().empty());
    EXPECT_TRUE(Recent().empty());
    EXPECT_EQ(Lines().size(), 3u);
}

TEST_F(ChatTest, RecentSendersKeepTenDistinctNamesNewestFirst)
{
    Feed(ChatPacket(kChatPrivate, 3, "1"));
    Feed(ChatPacket(kChatPrivate, 5, "2"));
    Feed(ChatPacket(kChatPrivate, 3, "3"));
    EXPECT_EQ(Recent(), (std::deque<std::string>{"Bob", "Carl"}));
    Feed(ChatPacket(kChatRemotePrivate, 0, "(bob)exact text decides"));
    EXPECT_EQ(Recent(), (std::deque<std::string>{"bob", "Bob", "Carl"}));
    for (int i = 0; i < 10; ++i)
        Feed(ChatPacket(kChatRemotePrivate, 0, "(R" + std::to_string(i) + ")x"));
    const std::deque<std::string> recent = Recent();
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent.front(), "R9");
    EXPECT_EQ(recent.back(), "R0");
}

TEST_F(ChatTest, SendDropsTheMarkerOfTeamFrequencyAndPrivateAndEchoes)
{
    SendChat(*h, "hello", kChatPublic, 0, true);
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FALSE(sent[0].reliable);
    EXPECT_EQ(sent[0].packet, HexPacket("06 02 00 0000 68656C6C6F 00"));
    EXPECT_EQ(Pieces(), FromPlayer(kChatPublic, "Me", "hello"));

    SendChat(*h, "'go team", kChatTeam, 0, true);
    EXPECT_EQ(OneSent(), ChatOut(kChatTeam, 0, "go team"));
    EXPECT_EQ(Pieces(), FromPlayer(kChatTeam, "Me", "go team"));
    SendChat(*h, "\"to freq one", kChatFrequency, 1, true);
    EXPECT_EQ(OneSent(), ChatOut(kChatFrequency, 1, "to freq one"));
    EXPECT_EQ(Pieces(), FromPlayer(kChatFrequency, "Me", "to freq one"));
    SendChat(*h, "/psst", kChatPrivate, 3, false);
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, "psst"));
    EXPECT_TRUE(Pieces().empty());
    SendChat(*h, "", kChatPrivate, 3, false);
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, ""));
}

TEST_F(ChatTest, RemotePrivateToSomeoneHereBecomesPrivate)
{
    SendChat(*h, ":bob:hello", kChatRemotePrivate, 0, true);
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, "hello"));
    EXPECT_EQ(Pieces(), FromPlayer(kChatPrivate, "Me", "hello"));

    SendChat(*h, ":Zed:hello", kChatRemotePrivate, 0, true);
    EXPECT_EQ(OneSent(), ChatOut(kChatRemotePrivate, 0, ":Zed:hello"));
    EXPECT_EQ(Pieces(), Whole(7, ":Zed:hello"));

    SendChat(*h, ":bob", kChatRemotePrivate, 0, false); // no second colon
    EXPECT_EQ(OneSent(), ChatOut(kChatRemotePrivate, 0, ":bob"));
    SendChat(*h, "::hello", kChatRemotePrivate, 0, false); // nobody has the empty name
    EXPECT_EQ(OneSent(), ChatOut(kChatRemotePrivate, 0, "::hello"));
}

TEST_F(ChatTest, ChannelChatIsSentWholeAndEchoedWithItsNumber)
{
    SendChat(*h, ";2;hi", kChatChannel, 0, true);
    EXPECT_EQ(OneSent(), ChatOut(kChatChannel, 0, ";2;hi"));
    const Rgb c = Slot(9);
    EXPECT_EQ(Pieces(), (std::vector<Piece>{{"2:", c}, {"Me", c}, {"> ", c}, {"hi", c}}));
    SendChat(*h, ";", kChatChannel, 0, true); // too short to hold a number
    EXPECT_EQ(Pieces(), (std::vector<Piece>{{":", c}, {"Me", c}, {"> ", c}, {"", c}}));
}

TEST_F(ChatTest, TextIsCutTo250CharactersBeforeTheMarkerIsDropped)
{
    const std::string body(300, 'x');
    SendChat(*h, "/" + body, kChatPrivate, 3, false);
    Packet p = OneSent();
    EXPECT_EQ(p.Size(), 255u);
    EXPECT_EQ(p.BytesAsString(5, 254), std::string(249, 'x'));
    EXPECT_EQ(p.ReadU8(254), 0);

    SendChat(*h, body, kChatPublic, 0, false);
    p = OneSent();
    EXPECT_EQ(p.Size(), 256u);
    EXPECT_EQ(p.ReadText(5, 0), std::string(250, 'x'));

    SendChat(*h, ":Bob:" + body, kChatRemotePrivate, 0, false);
    EXPECT_EQ(OneSent(), ChatOut(kChatPrivate, 3, std::string(245, 'x')));
}

TEST_F(ChatTest, ChatGoesReliablyWhenTheArenaAsksForIt)
{
    Feed(ArenaSettingsPacket(0, 1));
    SendChat(*h, "hi", kChatPublic, 0, false);
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].reliable);
    EXPECT_EQ(sent[0].packet, ChatOut(kChatPublic, 0, "hi"));
}

TEST_F(ChatTest, FrequencyChangeRequestIsThreeBytesReliably)
{
    SendFrequencyChange(*h, 0x1234);
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].reliable);
    EXPECT_EQ(sent[0].packet, HexPacket("0F 3412"));
}

} // namespace
