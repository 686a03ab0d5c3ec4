#include "ZoneFixture.h"

#include "zone/ArenaList.h"

#include <filesystem>

namespace {

const Rgb kGreen = ChatOutput::SlotColour(0);

struct Arena {
    std::string name;
    uint16_t count;
};

Packet ArenaListPacket(const std::vector<Arena>& arenas)
{
    Packet p = Packet::FromString(std::string(1, '\x2F'));
    for (const Arena& a : arenas) {
        p.AppendBytes(a.name);
        p.AppendBytes(std::string(1, '\0'));
        Packet count(2);
        count.WriteU16(a.count, 0);
        p.Append(count);
    }
    return p;
}

class ArenaListTest : public ZoneTest {
protected:
    // Packet.log goes to the working directory.
    void SetUp() override
    {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(cwd_.Path());
    }
    void TearDown() override { std::filesystem::current_path(old_); }
    std::string PacketLog() { return ReadWholeFile(cwd_.Path() + "Packet.log"); }

    TempDir cwd_;
    std::filesystem::path old_;
};

TEST_F(ArenaListTest, OneGreenLineWithPublicNamesAndTheMarkOfTheOwnArena)
{
    const Packet list = ArenaListPacket({{"0", 12}, {"duel", 65533}, {"", 3}});
    Feed(list);
    const std::vector<Piece> pieces = Pieces();
    std::string line;
    for (const Piece& piece : pieces) {
        EXPECT_EQ(piece.colour, kGreen);
        line += piece.text;
    }
    EXPECT_EQ(line, "Arenas: Public 0 (12), duel (*) (3), Public  (3)");
    EXPECT_EQ(Lines().size(), 0u);
    h.output.Print("next", 16, true);
    EXPECT_EQ(Lines(), std::vector<std::string>{"next"}); // the list ended its line

    // Logged as received, before it was shown, one block per packet.
    EXPECT_EQ(PacketLog(), list.HexDump(true));
    Feed(list);
    EXPECT_EQ(PacketLog(), list.HexDump(true) + list.HexDump(true));
}

TEST_F(ArenaListTest, CountsAboveSixtyFiveThousandMarkTheOwnArena)
{
    EXPECT_EQ(ArenaListText(ArenaListPacket({{"a", 65000}, {"b", 65001}, {"c", 65535}, {"d", 0}})),
              "Arenas: a (65000), b (*) (535), c (*) (1), d (0)");
}

TEST_F(ArenaListTest, NumbersMayCarryOneSign)
{
    EXPECT_EQ(ArenaListText(ArenaListPacket({{"+5", 1}, {"-3", 2}, {"5a", 3}, {"+-5", 4}, {"+", 5}, {"007", 6}})),
              "Arenas: Public +5 (1), Public -3 (2), 5a (3), +-5 (4), Public + (5), Public 007 (6)");
}

TEST_F(ArenaListTest, ACutShortEntryReadsMissingBytesAsZero)
{
    EXPECT_EQ(ArenaListText(Packet::FromString(std::string("\x2F"
                                                           "abc\0\x05",
                                                           6))),
              "Arenas: abc (5)");
    EXPECT_EQ(ArenaListText(Packet::FromString(std::string("\x2F"
                                                           "abc",
                                                           4))),
              "Arenas: abc (0)");
    EXPECT_EQ(ArenaListText(Packet::FromString(std::string("\x2F", 1))), "Arenas: ");
    Feed(Packet::FromString(std::string("\x2F", 1)));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Arenas: "});
}

class ChangeArenaTest : public ZoneTest {
protected:
    ChangeArenaTest()
    {
        EnterArenaWith({{3, "Bob"}, {4, "Carl"}});
        h->SetInArena(true);
        h->SetJob(Connection::kPositionJob, true);
        h->SetJob(Connection::kSyncJob, true);
        h->SetJob(Connection::kReconnectJob, true);
    }
};

TEST_F(ChangeArenaTest, LeavesForgetsThePlayersAndEntersTheNewArena)
{
    ChangeArena(*h, "");
    EXPECT_EQ(Pieces(), (std::vector<Piece>{{"Moving to arena 'Public (Random)'.", kGreen}}));
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].packet, HexPacket("02"));
    EXPECT_TRUE(sent[0].reliable);
    EXPECT_TRUE(sent[1].reliable);
    EXPECT_EQ(sent[1].packet.ReadU8(0), 0x01);
    EXPECT_EQ(sent[1].packet.ReadU16(8), 0xFFFF);

    EXPECT_FALSE(h->InArena());
    EXPECT_FALSE(h->OwnRecordSeen());
    EXPECT_EQ(h->OwnPlayerId(), 512);
    EXPECT_FALSE(h->JobOn(Connection::kPositionJob));
    EXPECT_FALSE(h->JobOn(Connection::kSyncJob));
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
    EXPECT_EQ(Players().Count(), 0u);
    EXPECT_EQ(Players().FindByName("Bob"), PlayerTable::kNotFound);
    EXPECT_TRUE(h.users.entries.empty());
}

TEST_F(ChangeArenaTest, NumberedAndNamedArenas)
{
    // An empty arena setting does not matter: the text decides.
    Write(Settings::ArenaName, "elsewhere");
    ChangeArena(*h, "5");
    std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].packet.ReadU16(8), 5);
    EXPECT_EQ(sent[1].packet.ReadText(10, 16), "");

    // Shown as a number, but only plain digits make a numbered arena.
    ChangeArena(*h, "-3");
    sent = SentZone();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].packet.ReadU16(8), 0xFFFD);
    EXPECT_EQ(sent[1].packet.ReadText(10, 16), "-3");

    ChangeArena(*h, "fifteen chars!!");
    sent = SentZone();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].packet.ReadText(10, 16), "fifteen chars!!");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Moving to arena 'Public 5'.", "Moving to arena 'Public -3'.",
                                                 "Moving to arena 'fifteen chars!!'."}));
}

TEST_F(ChangeArenaTest, ANameOverFifteenCharactersChangesNothing)
{
    ChangeArena(*h, "sixteen chars!!!");
    EXPECT_EQ(Pieces(), (std::vector<Piece>{{"Arena name too long.", kGreen}}));
    EXPECT_TRUE(SentZone().empty());
    EXPECT_TRUE(h->InArena());
    EXPECT_EQ(Players().Count(), 3u);
}

} // namespace
