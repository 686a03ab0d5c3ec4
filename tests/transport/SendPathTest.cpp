#include "support/ConnectionHarness.h"

#include "transport/ReliableState.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ::testing::ElementsAre;

Packet Filled(uint32_t size)
{
    Packet p(size);
    for (uint32_t i = 0; i < size; ++i)
        p.WriteU8(uint8_t(i * 7 + 1), i);
    return p;
}

// --- ReliableState on its own ---

TEST(ReliableStateTest, TrackingNumbersNewPacketsAndKeepsTheNumberOfWrappedOnes)
{
    ReliableState state;
    Packet a = HexPacket("0701");
    state.Track(a, 10);
    EXPECT_EQ(a, HexPacket("0003 00000000 0701"));
    Packet wrapped = HexPacket("0003 09000000 0702");
    state.Track(wrapped, 10);
    EXPECT_EQ(wrapped, HexPacket("0003 09000000 0702"));
    EXPECT_EQ(state.NextOutgoing(), 1u);
    // Exactly six bytes is not a wrapped packet: it gets a header of its own.
    Packet bare = HexPacket("0003 05000000");
    state.Track(bare, 11);
    EXPECT_EQ(bare.Size(), 12u);
    EXPECT_EQ(bare.ReadU32(2), 1u);
}

TEST(ReliableStateTest, OverduePacketsComeOutOldestFirstAndEqualTimesInTheirOrder)
{
    ReliableState state;
    Packet a = HexPacket("07AA"), b = HexPacket("07BB"), c = HexPacket("07CC");
    state.Track(b, 20);
    state.Track(c, 20);
    state.Track(a, 10);
    Packet out;
    EXPECT_FALSE(state.TakeOverdue(409, 400, out));
    EXPECT_TRUE(state.TakeOverdue(420, 400, out));
    EXPECT_EQ(out, a);
    EXPECT_TRUE(state.TakeOverdue(420, 400, out));
    EXPECT_EQ(out, b);
    EXPECT_TRUE(state.TakeOverdue(420, 400, out));
    EXPECT_EQ(out, c);
    EXPECT_FALSE(state.TakeOverdue(420, 400, out));
}

TEST(ReliableStateTest, BigPacketsAreCutInto500BytePiecesWithTheTotalInFront)
{
    ReliableState state;
    const Packet big = Filled(1001);
    state.QueueTransfer(Filled(1000));
    state.QueueTransfer(big);
    ASSERT_EQ(state.Transfers().size(), 2u);
    EXPECT_EQ(state.Transfers()[0].size(), 2u);
    ASSERT_EQ(state.Transfers()[1].size(), 3u);
    const std::deque<Packet>& pieces = state.Transfers()[1];
    EXPECT_EQ(pieces[0].Size(), 506u);
    EXPECT_EQ(pieces[2].Size(), 7u);
    Packet joined;
    for (const Packet& piece : pieces) {
        EXPECT_EQ(piece.ReadU16(0), 0x0A00);
        EXPECT_EQ(piece.ReadU32(2), 1001u);
        joined.Append(piece.SubRange(6, 0));
    }
    EXPECT_EQ(joined, big);
}

TEST(ReliableStateTest, AnEmptiedTransferIsRemovedOnATurnOfItsOwn)
{
    ReliableState state;
    state.QueueTransfer(Filled(520));
    state.QueueTransfer(Filled(520));
    Packet piece;
    EXPECT_TRUE(state.TakeNextPiece(piece));
    EXPECT_EQ(piece.Size(), 506u);
    EXPECT_TRUE(state.TakeNextPiece(piece));
    EXPECT_EQ(piece.Size(), 26u);
    EXPECT_FALSE(state.TakeNextPiece(piece));
    EXPECT_EQ(state.Transfers().size(), 1u);
    EXPECT_TRUE(state.TakeNextPiece(piece));
}

TEST(ReliableStateTest, PacketsAheadOfTheirTurnAreKeptWithinACountAndAByteBudget)
{
    ReliableState state;
    EXPECT_TRUE(state.Acceptable(ReliableState::kMaxAhead, 10));
    EXPECT_FALSE(state.Acceptable(ReliableState::kMaxAhead + 1, 10));
    Packet big(ReliableState::kMaxHeldBytes - 10);
    EXPECT_FALSE(state.Received(5, big));
    EXPECT_TRUE(state.Acceptable(6, 10));
    EXPECT_FALSE(state.Acceptable(6, 11));
    // What is delivered at once needs no room, and neither does a duplicate.
    EXPECT_TRUE(state.Acceptable(0, ReliableState::kMaxHeldBytes));
    Packet now = HexPacket("0700");
    EXPECT_TRUE(state.Received(0, now));
    EXPECT_EQ(now, HexPacket("0700"));
    EXPECT_TRUE(state.Acceptable(0, ReliableState::kMaxHeldBytes));
    Packet next;
    EXPECT_FALSE(state.TakeNextInOrder(next));
    state.Reset();
    EXPECT_TRUE(state.Acceptable(6, 11));
}

// --- Sending directly ---

TEST(SendPathTest, A519BytePacketIsOneDatagramAnd520BytesBecomeATransfer)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h->Send(Filled(519));
    const std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Filled(519));

    const uint32_t before = h->PacketsSent();
    h->Send(Filled(520));
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(h->PacketsSent(), before);
    ASSERT_EQ(h->Reliable().Transfers().size(), 1u);
    EXPECT_EQ(h->Reliable().Transfers()[0].size(), 2u);
}

TEST(SendPathTest, CountersAndTheCallersPacketAreKeptRight)
{
    ConnectionHarness h;
    h.Handshake();
    const uint32_t sent = h->PacketsSent();
    const uint32_t bytes = h->BytesSentThisSecond();
    const Packet original = HexPacket("0701020304");
    Packet packet = original;
    h->Send(packet);
    EXPECT_EQ(packet, original);
    EXPECT_EQ(h->PacketsSent(), sent + 1);
    EXPECT_EQ(h->BytesSentThisSecond(), bytes + 5);
    EXPECT_NE(h.socket->sent.back(), original);
}

// --- Sending reliably ---

TEST(SendReliablyTest, PayloadsUpTo513BytesAreWrappedAndFrom514OnAreSplit)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h->SendReliable(Filled(513));
    std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Size(), 519u);
    EXPECT_EQ(h->Reliable().PendingCount(), 1u);

    h->SendReliable(Filled(514));
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(h->Reliable().PendingCount(), 1u);
    EXPECT_EQ(h->Reliable().NextOutgoing(), 1u);
    ASSERT_EQ(h->Reliable().Transfers().size(), 1u);
    EXPECT_EQ(h->Reliable().Transfers()[0].size(), 2u);

    h->SendReliable(Packet());
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(h->Reliable().NextOutgoing(), 1u);
}

TEST(SendReliablyTest, QueuedPiecesGoOutReliablyOneEveryNineTicksOnlyInArena)
{
    ConnectionHarness h;
    h.Handshake();
    h->SendReliable(Filled(1001));
    h->Send(Filled(600));
    h.TakeSent();
    h.Ticks(100);
    EXPECT_TRUE(h.TakeSent().empty());

    h->OnArenaEntered();
    std::vector<Packet> pieces;
    for (int tick = 1; tick <= 9 * 7; ++tick) {
        h.Ticks(1);
        for (const Packet& p : h.TakeSent()) {
            if (p.ReadU8(1) == 0x05)
                continue; // synchronisation
            EXPECT_EQ(tick % 9, 0) << "tick " << tick;
            pieces.push_back(p);
        }
    }
    // 1001 bytes: three pieces; then a turn that removes the emptied transfer; then 600 bytes: two pieces.
    ASSERT_EQ(pieces.size(), 5u);
    Packet joined;
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pieces[i].ReadU16(0), 0x0300);
        EXPECT_EQ(pieces[i].ReadU32(2), i);
        EXPECT_EQ(pieces[i].ReadU16(6), 0x0A00);
        joined.Append(pieces[i].SubRange(12, 0));
    }
    EXPECT_EQ(joined, Filled(1001));
    EXPECT_EQ(pieces[0].Size(), 512u);
    EXPECT_EQ(pieces[3].ReadU32(8), 600u);
    EXPECT_EQ(h->Reliable().PendingCount(), 5u);
}

TEST(SendReliablyTest, WithNoPingAnUnacknowledgedPacketIsResentAfter400Hundredths)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    const uint32_t sentAt = h.clock.Now();
    h->SendReliable(HexPacket("0701"));
    h.TakeSent();
    std::vector<uint32_t> resends;
    for (int i = 0; i < 900; ++i) {
        h.Ticks(1);
        for (const Packet& p : h.TakeSent())
            if (p == HexPacket("0003 00000000 0701"))
                resends.push_back(h.clock.Now() - sentAt);
    }
    ASSERT_EQ(resends.size(), 2u);
    EXPECT_GE(resends[0], 400u);
    EXPECT_LE(resends[0], 410u);
    EXPECT_GE(resends[1] - resends[0], 400u);
    EXPECT_LE(resends[1] - resends[0], 410u);

    h.ServerSends(HexPacket("0004 00000000"));
    h.Ticks(2000);
    EXPECT_TRUE(h.TakeSent().empty());
}

TEST(SendReliablyTest, WithAPingOfTwentyTheResendComesAfterForty)
{
    ConnectionHarness h;
    h.Handshake();
    Packet sync = HexPacket("0006 00000000 00000000");
    sync.WriteU32(h.clock.Now() - 20, 2);
    h.ServerSends(sync);
    ASSERT_EQ(h->AveragePing(), 20);
    h.TakeSent();
    const uint32_t sentAt = h.clock.Now();
    h->SendReliable(HexPacket("0701"));
    h.TakeSent();
    uint32_t first = 0;
    for (int i = 0; i < 60 && first == 0; ++i) {
        h.Ticks(1);
        if (!h.TakeSent().empty())
            first = h.clock.Now() - sentAt;
    }
    EXPECT_GE(first, 40u);
    EXPECT_LE(first, 50u);
}

// --- The flood guard ---

TEST(FloodGuardTest, MoreThan20000BytesInOnePeriodStopAllSendingForGood)
{
    ConnectionHarness h;
    h.Handshake();
    h->OnArenaEntered();
    h->SetInArena(true);
    h.Ticks(101); // a fresh statistics period
    h.TakeSent();
    h.ClearLines();

    int sends = 0;
    while (!Connection::FloodStopped() && sends < 100) {
        h->Send(Filled(500));
        ++sends;
    }
    EXPECT_EQ(sends, 41); // 41 x 500 > 20000: the packet that crosses the limit still goes out
    EXPECT_EQ(h.TakeSent().size(), 41u);
    EXPECT_THAT(h.Lines(),
                ElementsAre("Disconnecting...", "WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down"));
    const std::string events = ReadWholeFile(h.folder.Path() + "Event.txt");
    EXPECT_NE(events.find(" -> WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down\r\n"),
              std::string::npos);
    EXPECT_FALSE(h->Connected());

    // Nothing goes out any more, not even after a new Connect, and no second warning comes.
    h->SendReliable(HexPacket("0701"));
    h->OpenSocket();
    h->BeginConnection();
    for (int i = 0; i < 100; ++i)
        h->Send(Filled(500));
    h.Ticks(1000);
    EXPECT_TRUE(h.TakeSent().empty());
    const std::vector<std::string> lines = h.Lines();
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down"), 1);
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Event.txt"), events);
}

TEST(FloodGuardTest, TheStatisticsPeriodStartsTheCountAfresh)
{
    ConnectionHarness h;
    h.Handshake();
    h.Ticks(101);
    for (int period = 0; period < 5; ++period) {
        for (int i = 0; i < 40; ++i)
            h->Send(Filled(500));
        h.Ticks(101);
    }
    EXPECT_FALSE(Connection::FloodStopped());
    EXPECT_EQ(h->BytesSentThisSecond(), 0u);
}

} // namespace
