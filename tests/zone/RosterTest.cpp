#include "ZoneFixture.h"

#include <tuple>

namespace {

using RosterTest = ZoneTest;

TEST_F(RosterTest, ArrivalsAreAnnouncedOnlyAfterTheOwnRecordAndListedWithoutRegardToCase)
{
    Filters().enterNotices = true;
    Feed(HexPacket("01 0300")); // own id 3
    Feed(EnteringPacket({{1, "carl"}, {2, "Bob"}}));
    EXPECT_EQ(h.users.header, "Total Players: 2");
    EXPECT_FALSE(h->OwnRecordSeen());
    Feed(EnteringPacket({{0, "dave"}, {3, "Me"}, {4, "alice"}}));
    Feed(EnteringPacket({{5, "Eve"}}));
    const Rgb white = Slot(ChatOutput::kSlotWhite);
    EXPECT_EQ(Shown(), (std::vector<ShownLine>{{"Enter: \"alice\" has entered the arena.", white},
                                               {"Enter: \"Eve\" has entered the arena.", white}}));
    EXPECT_EQ(h.users.header, "Total Players: 6");
    EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"alice", "Bob", "carl", "dave", "Eve", "Me"}));
}

TEST_F(RosterTest, AShortLastRecordReadsAsZerosPastTheEnd)
{
    Packet packet = EnteringPacket({{7, "Alice", 3, 1, "Squad"}, {9, "Bob", 6, 2, "TheLongSquadName1234"}});
    packet.WriteU32(10, 43); // the points are two numbers, added up
    packet.WriteU32(20, 47);
    packet.WriteU16(4, 55); // wins and losses
    packet.WriteU16(5, 57);
    Feed(packet.SubRange(0, 100)); // the second record stops inside its squad
    const Player& alice = *Session().players.Get(7);
    EXPECT_EQ(std::tie(alice.name, alice.squad, alice.points, alice.frequency, alice.ship, alice.wins, alice.losses),
              std::make_tuple("Alice", "Squad", 30u, 3, 1, 4u, 5u));
    // Its id lay past the end, so it is player 0, with the squad cut at the end.
    const Player& bob = *Session().players.Get(0);
    EXPECT_TRUE(bob.inUse);
    EXPECT_EQ(std::tie(bob.name, bob.squad, bob.frequency, bob.ship), std::make_tuple("Bob", "TheLongSquadN", 0, 2));
}

TEST_F(RosterTest, TheCountFollowsTheTableAndNoticesTheirSwitches)
{
    EnterArenaWith({{3, "Victim"}, {5, "Old"}, {7, "Killer"}, {8, "Goner"}});
    const Packet death = HexPacket("06 00 0700 0300 3200");
    Feed(death);
    Feed(HexPacket("04 0800"));
    EXPECT_TRUE(Lines().empty());
    Feed(EnteringPacket({{5, "New"}, {600, "Outside"}})); // an id is reused; one lies outside the table
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
    EXPECT_EQ(Session().players.Count(), 3u);
    EXPECT_FALSE(Session().players.Get(9)->inUse);
    EXPECT_EQ(Session().players.Get(9)->frequency, 0);

    Feed(EnteringPacket({{10, ""}})); // a nameless player is listed, and must leave the list too
    h->Disconnect(false, false);
    EXPECT_EQ(Session().players.Count(), 0u);
    EXPECT_TRUE(h.users.entries.empty());
    EXPECT_FALSE(Session().players.Get(3)->inUse);
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
    Feed(HexPacket("01 0100"));
    // Before the own record arrives everyone counts as on another frequency.
    Feed(EnteringPacket({{2, "Mate", 0, 0}, {3, "Rival", 1, 0}, {4, "Spy", 1, 8}, {5, "Watcher", 0, 8}}));
    EXPECT_EQ(looks(), "Mate:blue Rival:blue Spy:blue+S Watcher:blue+S ");
    Feed(EnteringPacket({{1, "Me", 0, 8}}));
    EXPECT_EQ(looks(), "Mate:yellow Me:yellow+S Rival:blue Spy:blue+S Watcher:yellow+S ");
    Feed(HexPacket("0D 0100 0100")); // we move: everyone is judged again
    EXPECT_EQ(looks(), "Mate:blue Me:yellow+S Rival:yellow Spy:yellow+S Watcher:blue+S ");
    Feed(HexPacket("1D 00 0100 0000")); // into a ship and back to frequency 0
    EXPECT_EQ(looks(), "Mate:yellow Me:yellow Rival:blue Spy:blue+S Watcher:yellow+S ");
    Feed(HexPacket("1D 02 0400 0000")); // someone else moves: only that entry changes
    EXPECT_EQ(looks(), "Mate:yellow Me:yellow Rival:blue Spy:yellow Watcher:yellow+S ");
    EXPECT_EQ(Session().players.Get(4)->ship, 2);
}

} // namespace
