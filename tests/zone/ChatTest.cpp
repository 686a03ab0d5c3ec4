#include "ZoneFixture.h"

namespace {

class ChatTest : public ZoneTest {
protected:
    ChatTest() { EnterArenaWith({{3, "Bob", 0, 0}, {4, "TwentyCharacterNameX", 1, 0}, {5, "Carl", 1, 8}}); }

    // What one chat packet from the server shows.
    std::vector<ShownLine> Receive(int kind, uint16_t sender, const std::string& text)
    {
        Feed(ChatPacket(kind, sender, text));
        return Shown();
    }
    static std::vector<ShownLine> From(int kind, const std::string& name, const std::string& text)
    {
        return {{std::string(20 - name.size(), ' ') + name + "> " + text, Slot(kind)}};
    }
    std::deque<std::string> Recent() { return Session().recentSenders.Names(); }
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
        EXPECT_EQ(Receive(kChatChannel, 0, shown), (std::vector<ShownLine>{{shown, Slot(kChatChannel)}}));
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
    h->ToggleIgnore("bob");
    Session().away.Set(" away");
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

TEST_F(ChatTest, RecentSendersKeepTenDistinctNamesNewestFirstAndSkipNamelessOnes)
{
    for (const uint16_t sender : {3, 5, 3, 9, 700}) // 9 is a free slot, 700 outside the table
        Feed(ChatPacket(kChatPrivate, sender, "hi"));
    EXPECT_EQ(Recent(), (std::deque<std::string>{"Bob", "Carl"}));
    // Remote senders are named by their brackets; the exact text decides. A name that
    // starts with its only colon would make "::" completion run for ever.
    for (const char* text : {"(bob)x", "(Open ended", "(Amy)(x)", "no brackets", "()empty", "(:x)only colon"})
        Feed(ChatPacket(kChatRemotePrivate, 0, text));
    EXPECT_EQ(Recent(), (std::deque<std::string>{"Amy", "Open ended", "bob", "Bob", "Carl"}));
    for (int i = 0; i < 10; ++i)
        Feed(ChatPacket(kChatRemotePrivate, 0, "(R" + std::to_string(i) + ")x"));
    ASSERT_EQ(Recent().size(), 10u);
    EXPECT_EQ(Recent().front(), "R9");
    EXPECT_EQ(Recent().back(), "R0");
}

TEST_F(ChatTest, AwayAnswersEachSenderAtMostOnceAMinuteWhereTheSenderIs)
{
    Session().away.Set(" back soon");
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

    Session().away.Set(" gone fishing"); // a new message is news to everyone
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

} // namespace
