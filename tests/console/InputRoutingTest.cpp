// What Enter does with a typed line, and the field's colour and "::" completion.

#include "zone/ZoneFixture.h"

#include "console/InputRouting.h"

#include <algorithm>
#include <optional>

namespace {

constexpr uint16_t kBob = 3;
constexpr uint16_t kBobFrequency = 7;
const Rgb kGreen{0, 255, 0};
const Rgb kYellow{255, 255, 0};
const Rgb kOrange{255, 128, 0};
const Rgb kLightBlue{160, 160, 255};

struct ChatSent {
    int kind;
    uint16_t target;
    std::string text;
    bool operator==(const ChatSent& o) const { return kind == o.kind && target == o.target && text == o.text; }
};

void PrintTo(const ChatSent& c, std::ostream* os)
{
    *os << "kind " << c.kind << " to " << c.target << " '" << c.text << "'";
}

class InputRoutingTest : public ZoneTest {
protected:
    InputRoutingTest()
    {
        EnterArenaWith({{kBob, "Bob", kBobFrequency, 0}, {4, "Carl", 1, 8}});
        h->SetInArena(true);
    }

    bool Submit(const std::string& line, std::optional<std::string> selected = std::nullopt)
    {
        return SubmitInputText(*h, line, selected);
    }
    // The one chat packet sent since the last call, as the server reads it.
    ChatSent OneChat()
    {
        const std::vector<Sent> sent = SentZone();
        EXPECT_EQ(sent.size(), 1u);
        if (sent.empty())
            return {-1, 0, ""};
        const Packet& p = sent[0].packet;
        EXPECT_EQ(p.ReadU8(0), 0x06);
        EXPECT_EQ(p.Size(), p.ReadText(5, 0).size() + 6);
        return {p.ReadU8(1), p.ReadU16(3), p.ReadText(5, 0)};
    }
};

TEST_F(InputRoutingTest, EachFirstCharacterSendsItsKindOfChat)
{
    struct Row {
        std::string line;
        std::optional<std::string> selected;
        ChatSent sent;
        std::string echo;
    };
    const std::string me = std::string(18, ' ') + "Me> ";
    const std::vector<Row> rows = {
        {"'hi", {}, {3, 0, "hi"}, me + "hi"},
        {"\"freq talk", "bob", {4, kBobFrequency, "freq talk"}, me + "freq talk"},
        {"/psst", "Bob", {5, kBob, "psst"}, me + "psst"},
        // The selected entry names nobody present: the lookup's "not found" id goes out.
        {"/psst", "Ghost", {5, 513, "psst"}, me + "psst"},
        {":Faraway:hi", {}, {7, 0, ":Faraway:hi"}, ":Faraway:hi"},
        {":bob:hi", {}, {5, kBob, "hi"}, me + "hi"},
        {":hi", "Bob", {2, 0, ":hi"}, me + ":hi"},
        {";hello", {}, {9, 0, ";1;hello"}, "1:Me> hello"},
        {";3;hello", {}, {9, 0, ";3;hello"}, "3:Me> hello"},
        {";10;x", {}, {9, 0, ";1;10;x"}, "1:Me> 10;x"},
        {";;x", {}, {9, 0, ";1;;x"}, "1:Me> ;x"},
        {"?help", {}, {2, 0, "?help"}, me + "?help"},
        {"?arena", {}, {2, 0, "?arena"}, me + "?arena"},
        {"x", {}, {2, 0, "x"}, me + "x"},
        {"hello there", "Bob", {2, 0, "hello there"}, me + "hello there"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_TRUE(Submit(row.line, row.selected));
        EXPECT_EQ(OneChat(), row.sent);
        EXPECT_EQ(Lines(), std::vector<std::string>{row.echo});
    }
}

TEST_F(InputRoutingTest, EqualsAsksForTheFrequencyAndRepeatsTheTypedRestInGreen)
{
    struct Row {
        std::string line;
        uint16_t frequency;
    };
    for (const Row& row : {Row{"=5", 5}, Row{"=abc", 0}, Row{"= 12x", 12}, Row{"=-1", 65535}}) {
        SCOPED_TRACE(row.line);
        EXPECT_TRUE(Submit(row.line));
        const std::vector<Sent> sent = SentZone();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_TRUE(sent[0].reliable);
        Packet request(3);
        request.WriteU8(0x0F, 0);
        request.WriteU16(row.frequency, 1);
        EXPECT_EQ(sent[0].packet, request);
        EXPECT_EQ(Pieces(), (std::vector<Piece>{{"Changing to Frequency: " + row.line.substr(1), kGreen}}));
    }
}

TEST_F(InputRoutingTest, LocalCommandsRunAndAreNotSent)
{
    EXPECT_TRUE(Submit("?nopubchat"));
    EXPECT_FALSE(Filters().publicChat);
    EXPECT_TRUE(SentZone().empty());
    EXPECT_EQ(Lines(), std::vector<std::string>{"Public chat Disabled."});
}

TEST_F(InputRoutingTest, MissingSelectionPrintsAnErrorAndKeepsTheText)
{
    const Rgb white = Slot(16);
    EXPECT_FALSE(Submit("\"hi"));
    EXPECT_FALSE(Submit("/hi"));
    // A frequency message needs a player to take the frequency from.
    EXPECT_FALSE(Submit("\"hi", "Ghost"));
    EXPECT_EQ(Pieces(), (std::vector<Piece>{{"ERROR: No Team Selected for Team Message.", white},
                                            {"ERROR: No User Selected for Private Message.", white},
                                            {"ERROR: No Team Selected for Team Message.", white}}));
    EXPECT_TRUE(SentZone().empty());
}

TEST_F(InputRoutingTest, NothingHappensOutsideAnArenaForEmptyLinesAndLonePrefixes)
{
    for (const char* lone : {"'", "\"", "/", ":", ";", "=", "?"})
        EXPECT_FALSE(Submit(lone, "Bob")) << lone;
    EXPECT_FALSE(Submit(""));
    h->SetInArena(false);
    EXPECT_FALSE(Submit("hello"));
    EXPECT_FALSE(Submit("?nopubchat"));
    EXPECT_TRUE(Filters().publicChat);
    EXPECT_TRUE(SentZone().empty());
    EXPECT_TRUE(Pieces().empty());
}

// --- colour and completion -------------------------------------------------------

class InputAssistTest : public ::testing::Test {
protected:
    // Applies a text change the way the field does, following the field's own
    // replacement; returns the colour the field was last given.
    void Type(const std::string& value)
    {
        text = value;
        for (int depth = 0; depth < 4; ++depth) {
            const InputAssist::Change change = assist.OnInputChanged(text, &senders);
            if (change.colour)
                colour = *change.colour;
            if (!change.newText)
                return;
            text = *change.newText;
        }
        ADD_FAILURE() << "the replacement keeps replacing itself";
    }

    InputAssist assist;
    RecentSenders senders;
    std::string text;
    Rgb colour{255, 255, 255};
};

TEST_F(InputAssistTest, TheFirstCharacterColoursTheField)
{
    const std::pair<std::string, Rgb> cases[] = {{"'", kYellow},    {"/", kGreen},      {";", kOrange},
                                                 {"x", kLightBlue}, {"\"", kLightBlue}, {"=", kLightBlue},
                                                 {"?", kLightBlue}, {":", kLightBlue}};
    for (const auto& [first, expected] : cases) {
        colour = {};
        Type(first);
        EXPECT_EQ(colour, expected) << first;
    }
    // Typing on keeps the colour; cutting "/abc" back to its first character colours it again.
    colour = {};
    Type("/abc");
    EXPECT_EQ(colour, Rgb{});
    Type("/");
    EXPECT_EQ(colour, kGreen);
}

TEST_F(InputAssistTest, ASecondColonMakesARemoteMessageUntilTheColonsGo)
{
    Type(":");
    Type(":Bob");
    EXPECT_FALSE(assist.RemoteMode());
    Type(":Bob:");
    EXPECT_TRUE(assist.RemoteMode());
    EXPECT_EQ(colour, kGreen);
    Type(":Bob:hello");
    EXPECT_EQ(colour, kGreen);
    Type(":Bob");
    EXPECT_FALSE(assist.RemoteMode());
    EXPECT_EQ(colour, kLightBlue);
    // Without senders "::" stays as typed.
    Type("::");
    EXPECT_EQ(text, "::");
    EXPECT_TRUE(assist.RemoteMode());
}

TEST_F(InputAssistTest, DoubleColonWalksTheRecentSendersNewestFirst)
{
    senders.Note("A");
    senders.Note("B");
    Type(":");
    Type("::");
    EXPECT_EQ(text, ":B:");
    EXPECT_EQ(colour, kGreen);
    // Selecting the name and deleting it brings the next one.
    Type("::");
    EXPECT_EQ(text, ":A:");
    Type("::");
    EXPECT_EQ(text, ":B:");

    // Back to one colon character by character, then a second colon: newest first again.
    Type("::");
    EXPECT_EQ(text, ":A:");
    Type(":A");
    Type(":");
    Type("::");
    EXPECT_EQ(text, ":B:");

    // Only a line that starts with "::" and holds at most three colons completes.
    Type(":B:x:y");
    EXPECT_EQ(text, ":B:x:y");
    Type("::x:y:");
    EXPECT_EQ(text, "::x:y:");
    Type("::x:");
    EXPECT_EQ(text, ":A:");
}

TEST_F(InputAssistTest, LeavingTheRemoteMessageForASingleCharacterStartsTheNamesAgain)
{
    senders.Note("A");
    senders.Note("B");
    Type("::");
    EXPECT_EQ(text, ":B:");
    Type(":"); // the whole ":B:" selected and replaced by one colon
    Type("::");
    EXPECT_EQ(text, ":B:");
}

TEST_F(InputAssistTest, ANewSenderRestartsTheRotation)
{
    senders.Note("A");
    senders.Note("B");
    Type("::");
    EXPECT_EQ(text, ":B:");
    senders.Note("C");
    Type("::");
    EXPECT_EQ(text, ":C:");
}

TEST(RecentSendersTest, TenDistinctNamesNewestFirstComparedAsExactText)
{
    RecentSenders senders;
    for (int i = 1; i <= 10; ++i)
        senders.Note("p" + std::to_string(i));
    senders.Note("p3");
    senders.Note("P3"); // another name: case counts here
    EXPECT_EQ(senders.Names().size(), 10u);
    EXPECT_EQ(senders.Names().front(), "P3");
    EXPECT_EQ(senders.Names()[1], "p3");
    // The eleventh distinct name pushed out the oldest.
    EXPECT_EQ(senders.Names().back(), "p2");
    EXPECT_EQ(std::count(senders.Names().begin(), senders.Names().end(), "p3"), 1);
    EXPECT_EQ(senders.Rotation(), senders.Names());
    senders.Note("");
    EXPECT_EQ(senders.Names().front(), "P3");
}

} // namespace
