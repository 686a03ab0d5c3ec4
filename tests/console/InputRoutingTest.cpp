// What Enter does with the typed lines the end-to-end conversation does not
// type, and the "::" completion.

#include "zone/ZoneFixture.h"

#include "console/InputRouting.h"

namespace {

class InputRoutingTest : public ZoneTest {
protected:
    InputRoutingTest()
    {
        EnterArenaWith({{3, "Bob", 7, 0}});
        h->SetInArena(true);
    }
    bool Submit(const std::string& line, std::optional<std::string> selected = std::nullopt)
    {
        return SubmitInputText(*h, line, selected);
    }
};

TEST_F(InputRoutingTest, EdgeLinesBecomeTheirPackets)
{
    const std::string me = std::string(18, ' ') + "Me> ";
    // clang-format off
    const struct { std::string line; std::optional<std::string> selected; std::string packetHex, echo; } rows[] = {
        // The selected entry names nobody present: the lookup's "not found" id goes out.
        {"/psst", "Ghost", "06 05 00 0102 70737374 00", me + "psst"},
        {";10;x", {}, "06 09 00 0000 3B313B31303B78 00", "1:Me> 10;x"},
        {";;x", {}, "06 09 00 0000 3B313B3B78 00", "1:Me> ;x"},
        // "=" takes the number at the start of the rest, as atoi reads it.
        {"=abc", {}, "0F 0000", "Changing to Frequency: abc"},
        {"= 12x", {}, "0F 0C00", "Changing to Frequency:  12x"},
        {"=-1", {}, "0F FFFF", "Changing to Frequency: -1"}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_TRUE(Submit(row.line, row.selected));
        EXPECT_EQ(SentZone(), std::vector<Packet>{HexPacket(row.packetHex)});
        EXPECT_EQ(Lines(), std::vector<std::string>{row.echo});
    }
}

TEST_F(InputRoutingTest, LinesThatCannotGoOutKeepTheirText)
{
    // A frequency message needs a player to take the frequency from.
    EXPECT_FALSE(Submit("\"hi"));
    EXPECT_FALSE(Submit("\"hi", "Ghost"));
    for (const char* lone : {"'", "\"", "/", ":", ";", "=", "?", ""})
        EXPECT_FALSE(Submit(lone, "Bob")) << lone;
    h->SetInArena(false);
    EXPECT_FALSE(Submit("hello"));
    EXPECT_FALSE(Submit("?nopubchat"));
    EXPECT_TRUE(Filters().publicChat);
    EXPECT_TRUE(SentZone().empty());
    const ShownLine error{"ERROR: No Team Selected for Team Message.", Slot(ChatOutput::kSlotWhite)};
    EXPECT_EQ(Shown(), (std::vector<ShownLine>{error, error}));
}

// Applies each text change the way the field does, following the field's own
// replacements.
std::string Type(InputAssist& assist, RecentSenders& senders, const std::string& typed)
{
    std::string text = typed;
    for (int depth = 0; depth < 4; ++depth) {
        const InputAssist::Change change = assist.OnInputChanged(text, &senders);
        if (!change.newText)
            return text;
        text = *change.newText;
    }
    ADD_FAILURE() << "the replacement keeps replacing itself";
    return text;
}

TEST(InputAssistTest, DoubleColonWalksTheRecentSendersNewestFirstAndStops)
{
    InputAssist assist;
    RecentSenders senders;
    senders.Note(":x"); // not noted: alone, its completion "::x:" would complete again for ever
    EXPECT_EQ(Type(assist, senders, "::"), "::");
    senders.Note("A");
    senders.Note("B");
    Type(assist, senders, ":");
    EXPECT_EQ(Type(assist, senders, "::"), ":B:");
    EXPECT_EQ(Type(assist, senders, "::"), ":A:"); // the name selected and deleted
    EXPECT_EQ(Type(assist, senders, "::"), ":B:");
    // Only a line that starts with "::" and holds at most three colons completes.
    EXPECT_EQ(Type(assist, senders, "::x:y:"), "::x:y:");
    EXPECT_EQ(Type(assist, senders, "::x:"), ":A:");
    senders.Note("C"); // a new sender restarts the rotation
    EXPECT_EQ(Type(assist, senders, "::"), ":C:");
}

} // namespace
