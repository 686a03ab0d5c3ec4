#include "ZoneFixture.h"

#include <cstdio>

namespace {

constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kLightBlue{160, 160, 255};

std::string PilotName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "%s%02d", i % 2 != 0 ? "Pilot" : "pilot", i);
    return name;
}

class RosterTest : public ZoneTest {
protected:
    const FakeUserListView::Entry* ListEntry(const std::string& name) const
    {
        for (const FakeUserListView::Entry& e : h.users.entries)
            if (e.text == name)
                return &e;
        return nullptr;
    }
    // "yellow" or "blue", then "+S" for the spectator icon.
    std::string Look(const std::string& name) const
    {
        const FakeUserListView::Entry* e = ListEntry(name);
        if (e == nullptr)
            return "absent";
        std::string look = e->colour == kYellow ? "yellow" : e->colour == kLightBlue ? "blue" : "?";
        return e->image == 1 ? look + "+S" : look;
    }
};

TEST_F(RosterTest, TwentyPlayersInThreePacketsAreAnnouncedOnlyAfterTheOwnRecord)
{
    Filters().enterNotices = true;
    Feed(OwnIdPacket(12));
    std::vector<std::vector<Record>> packets(3);
    for (int id = 0; id < 20; ++id) {
        const std::string name = id == 12 ? "Me" : PilotName(id);
        packets[id < 8 ? 0 : id < 15 ? 1 : 2].push_back({uint16_t(id), name, 0, 0});
    }

    Feed(EnteringPacket(packets[0]));
    EXPECT_EQ(h.users.header, "Total Players: 8");
    EXPECT_TRUE(Lines().empty());
    EXPECT_FALSE(h->OwnRecordSeen());

    Feed(EnteringPacket(packets[1]));
    EXPECT_TRUE(h->OwnRecordSeen());
    Feed(EnteringPacket(packets[2]));

    std::vector<std::string> expectedLines;
    for (int id = 13; id < 20; ++id)
        expectedLines.push_back("Enter: \"" + PilotName(id) + "\" has entered the arena.");
    std::vector<std::string> shown;
    for (const Piece& piece : Pieces()) {
        shown.push_back(piece.text);
        EXPECT_EQ(piece.colour, Slot(ChatOutput::kSlotWhite));
    }
    EXPECT_EQ(shown, expectedLines);

    EXPECT_EQ(Players().Count(), 20u);
    EXPECT_EQ(h.users.header, "Total Players: 20");
    std::vector<std::string> expectedNames{"Me"};
    for (int id = 0; id < 20; ++id)
        if (id != 12)
            expectedNames.push_back(PilotName(id));
    EXPECT_EQ(h.users.Names(), expectedNames);
}

TEST_F(RosterTest, EnterLinesFollowTheOwnRecordWithinOnePacket)
{
    Filters().enterNotices = true;
    Feed(OwnIdPacket(2));
    Feed(EnteringPacket({{1, "before"}, {2, "Me"}, {3, "after"}}));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Enter: \"after\" has entered the arena."});
}

TEST_F(RosterTest, AShortLastRecordReadsAsZerosPastTheEnd)
{
    Packet packet = EnteringPacket(
        {{7, "Alice", 3, 1, "Squad", 10, 20, 4, 5}, {9, "Bob", 6, 2, "TheLongSquadName1234", 1, 1, 1, 1}});
    packet = packet.SubRange(0, 100); // the second record stops inside its squad
    Feed(packet);

    const Player& alice = *Players().Get(7);
    EXPECT_EQ(alice.name, "Alice");
    EXPECT_EQ(alice.squad, "Squad");
    EXPECT_EQ(alice.points, 30u);
    EXPECT_EQ(alice.frequency, 3);
    EXPECT_EQ(alice.ship, 1);
    EXPECT_EQ(alice.wins, 4u);
    EXPECT_EQ(alice.losses, 5u);
    // Its id lay past the end, so it is player 0, with the squad cut at the end.
    const Player& bob = *Players().Get(0);
    EXPECT_TRUE(bob.inUse);
    EXPECT_EQ(bob.name, "Bob");
    EXPECT_EQ(bob.squad, "TheLongSquadN");
    EXPECT_EQ(bob.ship, 2);
    EXPECT_EQ(bob.frequency, 0);
    EXPECT_EQ(bob.points, 0u);
    EXPECT_EQ(Players().Count(), 2u);
}

// The count follows the table: a reused id replaces its player, and a leave for
// nobody changes nothing.
TEST_F(RosterTest, CountFollowsTheTableNotThePackets)
{
    Filters().leaveNotices = true;
    EnterArenaWith({{5, "Old"}, {6, "Other"}});
    Feed(EnteringPacket({{5, "New"}, {600, "Outside"}}));
    EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"Me", "New", "Other"}));
    EXPECT_EQ(Players().Count(), 3u);
    EXPECT_EQ(h.users.header, "Total Players: 3");

    Feed(IdPacket(0x04, 5));
    Lines();
    Feed(IdPacket(0x04, 5));   // already gone
    Feed(IdPacket(0x04, 300)); // never there
    Feed(IdPacket(0x04, 512)); // outside the table
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Players().Count(), 2u);
    EXPECT_EQ(h.users.header, "Total Players: 2");
    EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"Me", "Other"}));
}

TEST_F(RosterTest, LeavingAndDeathLinesAreGatedByTheirSwitches)
{
    EnterArenaWith({{3, "Victim"}, {7, "Killer"}, {8, "Goner"}});
    const Packet death = HexPacket("06 00 0700 0300 3200");
    Feed(death);
    Feed(IdPacket(0x04, 8));
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(h.users.header, "Total Players: 3");

    Filters().deathNotices = true;
    Filters().leaveNotices = true;
    Feed(death);
    Feed(HexPacket("06 00 2C01 0002 0000")); // a free slot and an id outside the table
    Feed(IdPacket(0x04, 7));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Death: \"Victim\" killed by \"Killer\" - Bounty: (50)",
                                                 "Death: \"\" killed by \"\" - Bounty: (0)",
                                                 "Leave: \"Killer\" has left the arena."}));
    EXPECT_EQ(h.users.header, "Total Players: 2");
    EXPECT_EQ(Players().Get(3)->name, "Victim"); // a death changes nothing in the table
}

TEST_F(RosterTest, KindsAreJudgedAgainstTheOwnPlayerAndRecolouredWhenItMoves)
{
    Feed(OwnIdPacket(1));
    // Before the own record arrives everyone counts as on another frequency.
    Feed(EnteringPacket({{2, "Shipmate", 0, 0}, {3, "Watcher", 0, 8}, {4, "Rival", 1, 0}, {5, "Spy", 1, 8}}));
    EXPECT_EQ(Look("Shipmate"), "blue");
    EXPECT_EQ(Look("Watcher"), "blue+S");

    Feed(EnteringPacket({{1, "Me", 0, 8}}));
    EXPECT_EQ(Look("Me"), "yellow+S");
    EXPECT_EQ(Look("Shipmate"), "yellow");
    EXPECT_EQ(Look("Watcher"), "yellow+S");
    EXPECT_EQ(Look("Rival"), "blue");
    EXPECT_EQ(Look("Spy"), "blue+S");

    Feed(FrequencyPacket(4, 0)); // someone else moves: only that entry changes
    EXPECT_EQ(Look("Rival"), "yellow");
    EXPECT_EQ(Look("Spy"), "blue+S");

    Feed(FrequencyPacket(1, 1)); // we move: everyone is judged again
    EXPECT_EQ(Look("Me"), "yellow+S");
    EXPECT_EQ(Look("Shipmate"), "blue");
    EXPECT_EQ(Look("Watcher"), "blue+S");
    EXPECT_EQ(Look("Rival"), "blue");
    EXPECT_EQ(Look("Spy"), "yellow+S");

    Feed(ShipPacket(1, 0, 0)); // into a ship and back to frequency 0
    EXPECT_EQ(Players().Get(1)->ship, 0);
    EXPECT_EQ(Look("Me"), "yellow");
    EXPECT_EQ(Look("Shipmate"), "yellow");
    EXPECT_EQ(Look("Spy"), "blue+S");

    Feed(ShipPacket(5, 2, 0));
    EXPECT_EQ(Look("Spy"), "yellow");
    EXPECT_EQ(Players().Get(5)->ship, 2);
}

TEST_F(RosterTest, ChangesForFreeSlotsOrIdsOutsideTheTableAreIgnored)
{
    EnterArenaWith({{3, "Someone"}});
    Feed(FrequencyPacket(9, 4));
    Feed(FrequencyPacket(700, 4));
    Feed(ShipPacket(9, 1, 4));
    Feed(ShipPacket(0xFFFF, 1, 4));
    EXPECT_FALSE(Players().Get(9)->inUse);
    EXPECT_EQ(Players().Get(9)->frequency, 0);
    EXPECT_EQ(Players().Count(), 2u);
}

TEST_F(RosterTest, DisconnectEmptiesTheTableAndTheList)
{
    EnterArenaWith({{3, "Someone"}, {4, "Else"}});
    h->Disconnect(false, false);
    EXPECT_EQ(Players().Count(), 0u);
    EXPECT_TRUE(h.users.entries.empty());
    EXPECT_FALSE(Players().Get(3)->inUse);
    EXPECT_EQ(Players().FindByName("someone"), PlayerTable::kNotFound);
}

TEST_F(RosterTest, FindByNameIgnoresCaseAndFreeSlots)
{
    EnterArenaWith({{8, "alice"}, {9, "ALICE"}});
    EXPECT_EQ(Players().FindByName("ALICE"), 8);
    EXPECT_EQ(Players().FindByName("Bob"), PlayerTable::kNotFound);
    EXPECT_EQ(Players().FindByName(""), PlayerTable::kNotFound);
}

} // namespace
