// The connection on its own, below the zone: a scripted socket, a hand-moved
// clock and a listener that records what the layer above would be told.
#include "transport/Connection.h"

#include "support/ClientHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

struct RecordingListener final : ConnectionListener {
    void OnConnecting() override { lines.push_back("<connecting>"); }
    void OnHandshakeDone() override { ++handshakes; }
    bool OnZonePacket(const Packet& packet) override
    {
        zone.push_back(packet);
        if (onZone)
            onZone(packet);
        return packet.ReadU8(0) != 0xFF; // a type the zone does not know
    }
    void OnPositionDue() override { ++positions; }
    void OnSessionEnded() override { ++sessionsEnded; }
    void OnTickHandled() override {}
    bool ExpectsTraffic() const override { return inArena; }
    void OnNotice(const std::string& text) override { lines.push_back(text); }
    void OnEvent(const std::string& text) override { lines.push_back("event: " + text); }

    std::vector<Packet> zone;
    std::function<void(const Packet&)> onZone;
    std::vector<std::string> lines;
    int handshakes = 0, positions = 0, sessionsEnded = 0;
    bool inArena = false;
};

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest()
    {
        auto fake = std::make_unique<FakeSocket>();
        socket = server.socket = fake.get();
        link = std::make_unique<Connection>(std::move(fake), clock, [] { return 5u; });
        link->SetListener(&listener);
    }

    // The key exchange, and the login answered as the zone would.
    void Handshake()
    {
        link->Begin();
        ServerSends(HexPacket("0002 CDAB3412"));
        server.cipher.Start(0x1234ABCD);
        link->LoginAnswered();
        TakeSent();
        listener.lines.clear();
    }
    void ServerSends(const Packet& packet)
    {
        server.Queue(packet);
        link->ReceiveOne();
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.Advance(1);
            if (link->PollReadable())
                link->ReceiveOne();
            link->Tick();
        }
    }
    std::vector<Packet> TakeSent() { return server.TakeSent(); }

    ManualClock clock;
    ServerEnd server;
    RecordingListener listener;
    FakeSocket* socket = nullptr;
    std::unique_ptr<Connection> link;
};

// A payload behind a core header with a number: reliable (0003), acknowledgement (0004), sync response (0006)
// or big chunk (000A, the total).
Packet Numbered(const std::string& type, uint32_t number, const Packet& payload = Packet())
{
    Packet p = HexPacket(type + "00000000");
    p.WriteU32(number, 2);
    p.Append(payload);
    return p;
}

// Leave arena, reliably, then the core disconnect.
bool IsGoodbye(const std::vector<Packet>& sent)
{
    return sent.size() == 2 && sent[0].Size() == 7 && sent[0].ReadU16(0) == 0x0300 && sent[0].ReadU8(6) == 0x02 &&
           sent[1] == HexPacket("0007");
}

TEST_F(ConnectionTest, TheKeyExchangeUsesTheServersKeyAndStartsTheLogin)
{
    link->Begin();
    // The client's key is the negated random number, in the clear.
    EXPECT_THAT(TakeSent(), ElementsAre(HexPacket("0001 FBFFFFFF 0100")));
    ServerSends(HexPacket("0002 CDAB3412"));
    server.cipher.Start(0x1234ABCD);
    EXPECT_EQ(listener.handshakes, 1);
    // The first encrypted packet: a sync request with what was sent and received so far.
    const std::vector<Packet> sent = TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].SubRange(0, 2), HexPacket("0005"));
    EXPECT_EQ(sent[0].SubRange(6, 0), HexPacket("01000000 01000000"));
}

// Unanswered, the key request and then the login are asked again every five
// seconds, three times, before the client starts over as after a silence.
TEST_F(ConnectionTest, AKeyRequestOrLoginWithoutAnswerIsAskedAgainThreeTimesThenTheClientReconnects)
{
    link->Begin();
    TakeSent();
    constexpr uint32_t t = 500; // five seconds, in the hundredths the clock counts
    std::vector<uint32_t> requests;
    for (uint32_t tick = 1; tick <= 4 * t; ++tick) {
        Ticks(1);
        for (const Packet& p : TakeSent())
            requests.push_back(p.ReadU16(0) == 0x0100 ? uint32_t(tick) : 0u);
    }
    EXPECT_THAT(requests, ElementsAre(t, 2 * t, 3 * t, 0, 0)); // then leave arena and the disconnect
    EXPECT_THAT(listener.lines,
                ElementsAre("<connecting>", "WARNING: No Answer to the Connection Request.. ReConnecting...",
                            "Disconnecting..."));
    EXPECT_TRUE(link->JobOn(Connection::kReconnectJob));

    link->Disconnect(true, false);
    link->Begin();
    ServerSends(HexPacket("0002 CDAB3412"));
    listener.lines.clear();
    Ticks(int(4 * t));
    EXPECT_EQ(listener.handshakes, 4);
    EXPECT_THAT(listener.lines, ElementsAre("WARNING: No Answer to the Login.. ReConnecting...", "Disconnecting..."));
}

// A key answer nobody asked for would switch the cipher and end the session
// silently; packets that do not parse are no sign of a live server.
TEST_F(ConnectionTest, AStrayKeyAnswerIsIgnoredAndOnlyPacketsThatParseFeedTheWatchdog)
{
    Handshake();
    ServerSends(HexPacket("0002 44332211"));
    EXPECT_EQ(link->CipherState().Key(), 0x1234ABCDu);
    link->OnArenaEntered();
    listener.inArena = true;
    for (int second = 0; second < 32; ++second) {
        ServerSends(HexPacket("FF 0102")); // a zone type nobody knows
        ServerSends(HexPacket("00 7F"));   // nor this core type
        Ticks(101);
    }
    EXPECT_THAT(listener.lines, ElementsAre("WARNING: No Data for 30 Seconds.. ReConnecting...", "Disconnecting..."));
}

TEST_F(ConnectionTest, TheUsersDisconnectSaysGoodbyeForgetsTheSessionAndStaysDownAndDestructionSaysGoodbyeQuietly)
{
    Handshake();
    link->OnArenaEntered();
    link->SendReliable(HexPacket("0701"));
    ServerSends(HexPacket("0003 05000000 0701")); // ahead of its turn, held
    TakeSent();

    link->Disconnect(false, false);
    EXPECT_THAT(listener.lines, ElementsAre("Disconnecting..."));
    EXPECT_EQ(listener.sessionsEnded, 1);
    const std::vector<Packet> sent = TakeSent();
    EXPECT_TRUE(IsGoodbye(sent));
    EXPECT_EQ(sent[0].ReadU32(2), 1u); // numbered after the chat line
    EXPECT_FALSE(link->CipherState().Active() || link->Connected());
    EXPECT_EQ(link->Reliable().HeldCount(), 0u);
    EXPECT_EQ(link->Reliable().NextOutgoing() + link->Reliable().NextExpected(), 0u); // both count from 0 again

    // Nothing more is read, resent or sent by itself.
    socket->inbox.push_back(HexPacket("0007"));
    Ticks(7000);
    EXPECT_EQ(socket->inbox.size(), 1u);
    EXPECT_TRUE(TakeSent().empty());

    std::vector<Packet> wire;
    socket->mirror = &wire;
    listener.lines.clear();
    link.reset();
    EXPECT_TRUE(IsGoodbye(wire));
    EXPECT_TRUE(listener.lines.empty());
}

// Pieces of a cut-off transfer must not end up in front of the next connection's data. The queue of
// outgoing transfers is emptied by a disconnect, but waits through a reconnect for the next arena,
// all but a transfer already begun.
TEST_F(ConnectionTest, DisconnectAndReconnectEmptyTheReassemblyButOnlyADisconnectTheOutgoingQueue)
{
    for (int reconnect = 0; reconnect < 2; ++reconnect) {
        Handshake();
        ServerSends(HexPacket("0008 0701"));
        ServerSends(Numbered("000A", 1000, Packet(500)));
        link->Send(Packet(600));
        if (reconnect != 0)
            link->Reconnect();
        else
            link->Disconnect(false, true);
        EXPECT_EQ(link->Reliable().Transfers().size(), size_t(reconnect));
        server.cipher.Stop();
    }
    Handshake();
    ServerSends(HexPacket("0009 0D01"));
    ServerSends(Numbered("000A", 2, HexPacket("0D02")));
    EXPECT_THAT(listener.zone, ElementsAre(HexPacket("0D01"), HexPacket("0D02")));

    // A transfer cut off part way by a reconnect is dropped; the one behind it waits.
    link->Send(Packet(700));
    link->OnArenaEntered();
    Ticks(9 * 4); // the waiting transfer's two pieces, the turn that removes it, one of the next
    link->Reconnect();
    EXPECT_TRUE(link->Reliable().Transfers().empty());
    link->Send(Packet(600));
    link->Send(Packet(600));
    link->OnArenaEntered();
    Ticks(9);
    link->Reconnect();
    ASSERT_EQ(link->Reliable().Transfers().size(), 1u);
    EXPECT_EQ(link->Reliable().Transfers().front().size(), 2u);
}

TEST_F(ConnectionTest, The31stSilentSecondInTheArenaReconnectsButDataOrLeavingTheArenaStartTheCountAgain)
{
    Handshake();
    link->OnArenaEntered();
    const uint32_t entered = clock.Now();
    Ticks(101); // the handshake's bytes count for the first period
    listener.inArena = true;
    Ticks(30 * 101);
    // Meanwhile a sync request went out 2001 ticks after the arena was entered: sent 2, received 1.
    Packet sync = HexPacket("0005 00000000 02000000 01000000");
    sync.WriteU32(entered + 2001, 2);
    EXPECT_THAT(TakeSent(), ElementsAre(sync));

    ServerSends(HexPacket("0004 00000000")); // data: the count starts again
    Ticks(30 * 101);
    listener.inArena = false;
    Ticks(20 * 101);
    listener.inArena = true;
    Ticks(30 * 101);
    EXPECT_TRUE(listener.lines.empty());
    Ticks(101);
    EXPECT_THAT(listener.lines, ElementsAre("WARNING: No Data for 30 Seconds.. ReConnecting...", "Disconnecting..."));
    EXPECT_TRUE(link->JobOn(Connection::kReconnectJob));
    EXPECT_TRUE(link->Connected());
}

TEST_F(ConnectionTest, From520BytesOrA514BytePayloadPacketsGoOutAsReliableBigChunksEveryNinthTickInTheArena)
{
    Handshake();
    Packet packet(519);
    packet.WriteU8(0x07, 0);
    link->Send(packet);
    EXPECT_EQ(packet.ReadU32(1), 0u); // encrypted on a copy
    link->SendReliable(Packet(513));
    link->SendReliable(Packet());
    EXPECT_THAT(TakeSent(), ElementsAre(packet, Numbered("0003", 0, Packet(513))));
    Packet payload(514);
    payload.WriteU8(0xEE, 513);
    link->SendReliable(payload);
    link->Send(Packet(520));
    Ticks(100);
    EXPECT_TRUE(TakeSent().empty());

    link->OnArenaEntered();
    std::vector<Packet> pieces;
    std::vector<int> ticks;
    for (int tick = 1; tick <= 9 * 6; ++tick) {
        Ticks(1);
        for (const Packet& p : TakeSent()) {
            ticks.push_back(tick);
            pieces.push_back(p);
        }
    }
    // Two pieces each; the turn in between only removes the emptied transfer.
    EXPECT_THAT(ticks, ElementsAre(9, 18, 36, 45));
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], Numbered("0003", 1, Numbered("000A", 514, Packet(500))));
    EXPECT_EQ(pieces[1], Numbered("0003", 2, Numbered("000A", 514, payload.SubRange(500, 0))));
    EXPECT_EQ(pieces[3], Numbered("0003", 4, Numbered("000A", 520, Packet(20))));
}

TEST_F(ConnectionTest, AnUnacknowledgedPacketIsResentEveryTwicePingOr400WithoutOneUntilItIsAcknowledged)
{
    for (const uint32_t ping : {0u, 20u}) {
        SCOPED_TRACE(ping);
        link->Disconnect(true, false); // resending is off until the next key exchange
        server.cipher.Stop();
        Handshake();
        if (ping != 0)
            ServerSends(Numbered("0006", clock.Now() - ping, Packet(4)));
        link->SendReliable(HexPacket("0701"));
        link->SendReliable(HexPacket("0702"));
        TakeSent();
        const uint32_t interval = ping != 0 ? 2 * ping : 400, sentAt = clock.Now();
        std::vector<uint32_t> resends;
        for (uint32_t i = 0; i < 2 * interval + 20; ++i) {
            Ticks(1);
            for (const Packet& p : TakeSent())
                if (p == Numbered("0003", 0, HexPacket("0701")))
                    resends.push_back(clock.Now() - sentAt);
        }
        // The resend job looks every 11 ticks, so up to 10 late.
        ASSERT_EQ(resends.size(), 2u);
        EXPECT_NEAR(resends[0], interval + 5, 5);
        EXPECT_NEAR(resends[1] - resends[0], interval + 5, 5);

        ServerSends(Numbered("0004", 7)); // an unknown number changes nothing
        ServerSends(Numbered("0004", 0));
        Ticks(2000);
        for (const Packet& p : TakeSent())
            EXPECT_EQ(p, Numbered("0003", 1, HexPacket("0702")));
    }

    // However short the ping, a packet waits 100 ms; and a stall is resent a few packets at a time.
    ServerSends(Numbered("0004", 1));
    server.cipher.Stop();
    link->Reconnect(); // a session of its own: the ping is measured afresh
    ServerSends(HexPacket("0002 CDAB3412"));
    server.cipher.Start(0x1234ABCD);
    link->LoginAnswered();
    ServerSends(Numbered("0006", clock.Now() - 1, Packet(4)));
    for (int i = 0; i < 20; ++i)
        link->SendReliable(HexPacket("0701"));
    TakeSent();
    std::vector<std::pair<int, size_t>> runs; // tick, packets resent
    for (int tick = 1; tick <= 60; ++tick) {
        Ticks(1);
        if (const size_t n = TakeSent().size())
            runs.push_back({tick, n});
    }
    ASSERT_GE(runs.size(), 3u);
    EXPECT_GE(runs[0].first, 10);
    EXPECT_THAT(runs, ::testing::Each(::testing::Field(&std::pair<int, size_t>::second, ::testing::Le(8u))));
}

TEST_F(ConnectionTest, MoreThan20000BytesSentInOneSecondStopAllSendingUntilTheNextConnect)
{
    const std::string warning = "WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down";
    Handshake();
    Ticks(101); // a fresh statistics period
    for (int i = 0; i < 40; ++i)
        link->Send(Packet(500));
    Ticks(101); // 20000 bytes are no flood, and the count starts again
    EXPECT_FALSE(link->FloodStopped());
    TakeSent();

    for (int i = 0; i < 41; ++i)
        link->Send(Packet(500));
    EXPECT_TRUE(link->FloodStopped());
    EXPECT_EQ(TakeSent().size(), 41u); // the packet that crosses the limit still goes out
    EXPECT_THAT(listener.lines, ElementsAre("Disconnecting...", "event: " + warning));
    EXPECT_FALSE(link->Connected());
    link->SendReliable(HexPacket("0701"));
    Ticks(1000);
    EXPECT_TRUE(TakeSent().empty());

    // What the server asked for, or the pieces of a file it wants, are not ours to count.
    server.cipher.Stop();
    Handshake();
    EXPECT_FALSE(link->FloodStopped());
    Ticks(101);
    for (int i = 0; i < 60; ++i) {
        ServerSends(HexPacket("0005 78563412"));
        ServerSends(Numbered("0003", uint32_t(i), Packet(500)));
    }
    link->Send(Packet(600)); // a transfer: two pieces
    link->OnArenaEntered();
    Ticks(20);
    EXPECT_FALSE(link->FloodStopped());
    EXPECT_EQ(TakeSent().size(), 60u * 2 + 2);

    // Nor is what the layer above sends while it handles the server's packets: 30 KB of answers.
    Ticks(101);
    listener.onZone = [&](const Packet&) {
        Packet answer(500);
        answer.WriteU8(0x16, 0);
        link->SendReliable(answer);
    };
    for (int i = 0; i < 60; ++i)
        ServerSends(HexPacket("0702"));
    EXPECT_FALSE(link->FloodStopped());
    EXPECT_EQ(TakeSent().size(), 60u);
}

// Acknowledgements find their packet by number however many wait; a server that
// leaves more than 1 024 of them unacknowledged for 30 s is gone, as after a silence.
TEST_F(ConnectionTest, AcknowledgementsFindTheirPacketAndAServerThatAcknowledgesNothingIsLeft)
{
    Handshake();
    for (int i = 0; i < 3; ++i)
        link->SendReliable(HexPacket("0701"));
    const ReliableState& reliable = link->Reliable();
    EXPECT_EQ(reliable.PendingCount(), 3u);
    EXPECT_EQ(reliable.PendingBytes(), 3u * 8);
    ServerSends(Numbered("0004", 1));
    ServerSends(Numbered("0004", 77)); // never sent: nothing changes
    EXPECT_EQ(reliable.PendingCount(), 2u);
    EXPECT_EQ(reliable.PendingBytes(), 2u * 8);
    EXPECT_TRUE(reliable.IsPending(0));
    EXPECT_FALSE(reliable.IsPending(1));
    EXPECT_TRUE(reliable.IsPending(2));
    // Resent, a packet is still found by its number.
    Ticks(401);
    ServerSends(Numbered("0004", 0));
    EXPECT_FALSE(reliable.IsPending(0));
    EXPECT_EQ(reliable.PendingCount(), 1u);

    for (int i = 0; i < 1024; ++i)
        link->SendReliable(HexPacket("0701"));
    TakeSent();
    Ticks(100 * 29);
    EXPECT_TRUE(link->Connected());
    EXPECT_TRUE(listener.lines.empty());
    Ticks(100 * 2);
    EXPECT_THAT(listener.lines,
                ElementsAre("WARNING: Nothing Acknowledged for 30 Seconds.. ReConnecting...", "Disconnecting..."));
    EXPECT_TRUE(link->JobOn(Connection::kReconnectJob));
    EXPECT_FALSE(link->FloodStopped()) << "the resends of 1 025 packets are not the user's";
}

// Packets that waited for an earlier one go sixteen at a time, in order, over the next ticks.
TEST_F(ConnectionTest, ReliablePacketsReleasedAfterAGapShareTheTicksBudget)
{
    Handshake();
    auto numbered = [](uint32_t n) {
        Packet payload = HexPacket("0700");
        payload.WriteU8(uint8_t(n), 1);
        return payload;
    };
    for (uint32_t n = 1; n <= 40; ++n)
        ServerSends(Numbered("0003", n, numbered(n)));
    EXPECT_TRUE(listener.zone.empty());
    ServerSends(Numbered("0003", 0, numbered(0)));
    EXPECT_GT(listener.zone.size(), 1u);
    EXPECT_LE(listener.zone.size(), 16u);
    EXPECT_GT(link->Reliable().HeldCount(), 20u) << "not all released at once into the queue";
    Ticks(10);
    ASSERT_EQ(listener.zone.size(), 41u);
    for (uint32_t n = 0; n <= 40; ++n)
        EXPECT_EQ(listener.zone[n], numbered(n)) << n;
}

TEST_F(ConnectionTest, ClusterMembersAreDispatchedInOrderSkippingEmptyOnesCuttingTheLastAndNotTooDeep)
{
    Handshake();
    listener.onZone = [&](const Packet& p) {
        if (p == HexPacket("04")) {
            EXPECT_TRUE(link->JobOn(Connection::kReconnectJob)); // the disconnect before it has happened
        }
    };
    ServerSends(HexPacket("000E 00 02 0701 02 0007 01 04 05 0D0203"));
    EXPECT_THAT(listener.zone, ElementsAre(HexPacket("0701"), HexPacket("04"), HexPacket("0D0203")));
    EXPECT_THAT(listener.lines, ElementsAre("Disconnected by Server.", "Disconnecting..."));
    server.cipher.Stop(); // the session is over; the client reads on while it waits to reconnect

    // Clusters of clusters: the innermost arrives up to 31 levels deep, not at 32.
    constexpr int kDeepest = 31;
    for (const int depth : {kDeepest, kDeepest + 1}) {
        listener.zone.clear();
        Packet p = HexPacket("0701");
        for (int level = 0; level < depth; ++level) {
            Packet cluster = HexPacket("000E 00");
            cluster.WriteU8(uint8_t(p.Size()), 2);
            cluster.Append(p);
            p = cluster;
        }
        ServerSends(p);
        EXPECT_EQ(listener.zone.size(), size_t(depth <= kDeepest ? 1 : 0)) << depth;
    }
}

TEST_F(ConnectionTest, ChunksAreJoinedUpToTheirLastPieceOrTheirTotalAndTransfersOver16MiBAreAbandoned)
{
    Handshake();
    for (const char* hex : {"0008 0701", "0008 0203", "0701", "0009 0405", "0009 0D09", "000A 04000000 0701",
                            "000A 03000000 0D01", "000A 03000000 02"})
        ServerSends(HexPacket(hex));
    EXPECT_THAT(listener.zone,
                ElementsAre(HexPacket("0701"), HexPacket("0701 0203 0405"), HexPacket("0D09"), HexPacket("0D0102")));

    listener.zone.clear();
    constexpr uint32_t k16MiB = 16u << 20;
    ServerSends(Numbered("000A", k16MiB + 1, Packet(500)));
    ServerSends(Numbered("000A", 2, HexPacket("0D03")));
    Packet piece = HexPacket("0008 07");
    piece.Append(Packet(514));
    for (uint32_t sent = 0; sent <= k16MiB; sent += 515)
        ServerSends(piece);
    for (const char* hex : {"0008 0701", "0009 0203", "0009 0709"}) // the rest up to the last piece is skipped
        ServerSends(HexPacket(hex));
    EXPECT_THAT(listener.zone, ElementsAre(HexPacket("0D03"), HexPacket("0709")));
}

// A reassembled chunk may hold thousands of zone packets: each tick handles a
// few, in order, and reads no new datagram until they are through.
TEST_F(ConnectionTest, ZonePacketsBeyondATicksShareWaitInOrderForTheNextTicks)
{
    Handshake();
    Packet cluster = HexPacket("000E");
    for (uint8_t i = 0; i < 40; ++i) {
        cluster.Append(HexPacket("02 07"));
        cluster.AppendBytes(&i, 1);
    }
    server.Queue(Numbered("000A", cluster.Size(), cluster));
    server.Queue(HexPacket("0D 99"));
    std::vector<size_t> perTick;
    for (int tick = 0; tick < 4; ++tick) {
        listener.zone.clear();
        Ticks(1);
        perTick.push_back(listener.zone.size());
    }
    EXPECT_THAT(perTick, ElementsAre(16, 16, 8, 1));
    EXPECT_EQ(listener.zone.back(), HexPacket("0D 99"));
}

TEST_F(ConnectionTest, SyncRequestsAreAnsweredAndSyncResponsesMoveTheAveragePingAQuarter)
{
    Handshake();
    ServerSends(HexPacket("0005 78563412"));
    Packet echo = HexPacket("0006 78563412 00000000");
    echo.WriteU32(clock.Now(), 6);
    EXPECT_THAT(TakeSent(), ElementsAre(echo));

    // A stamp from the future, or from long ago, says nothing; a long one counts as the highest ping.
    const std::pair<uint32_t, uint16_t> roundTrips[] = {{5, 5},    {9, 6},    {0, 4}, {uint32_t(-1), 4},
                                                        {3001, 4}, {2000, 53}};
    for (const auto& [age, average] : roundTrips) {
        ServerSends(Numbered("0006", clock.Now() - age, Packet(4)));
        EXPECT_EQ(link->AveragePing(), average) << age;
    }
    // A new session measures afresh.
    link->Reconnect();
    EXPECT_EQ(link->AveragePing(), 0);
}

TEST_F(ConnectionTest, ReliablePacketsAreAcknowledgedAndDeliveredOnceInOrderUpTo1024Ahead)
{
    Handshake();
    ServerSends(Numbered("0003", 1, HexPacket("0701")));
    ServerSends(Numbered("0003", 2, HexPacket("0702")));
    ServerSends(Numbered("0003", 2, HexPacket("07FF"))); // held already: the first copy stays
    EXPECT_TRUE(listener.zone.empty());
    ServerSends(HexPacket("0003 0000")); // number 0, empty
    ServerSends(Numbered("0003", 1, HexPacket("0701")));
    EXPECT_THAT(listener.zone, ElementsAre(HexPacket("0701"), HexPacket("0702")));
    EXPECT_THAT(TakeSent(), ElementsAre(Numbered("0004", 1), Numbered("0004", 2), Numbered("0004", 2),
                                        Numbered("0004", 0), Numbered("0004", 1)));

    // Not kept nor acknowledged: the server sends it again.
    ServerSends(Numbered("0003", 3 + 1025, HexPacket("0701")));
    EXPECT_TRUE(TakeSent().empty());
    ServerSends(Numbered("0003", 3 + 1024, HexPacket("0701")));
    EXPECT_THAT(TakeSent(), ElementsAre(Numbered("0004", 3 + 1024)));
    EXPECT_EQ(link->Reliable().HeldCount(), 1u);

    // Held packets stay within a byte budget, but what is due needs no room.
    ReliableState state;
    constexpr uint32_t k16MiB = 16u << 20;
    Packet big(k16MiB - 10);
    EXPECT_FALSE(state.Received(5, big));
    EXPECT_TRUE(state.Acceptable(6, 10));
    EXPECT_FALSE(state.Acceptable(6, 11));
    EXPECT_TRUE(state.Acceptable(0, k16MiB));
}

TEST_F(ConnectionTest, AHandlerThatDisconnectsStopsTheDeliveryOfTheRest)
{
    listener.onZone = [&](const Packet&) {
        if (listener.zone.size() == 2)
            link->Disconnect(false, false);
    };
    Handshake();
    for (const uint32_t number : {1u, 2u, 0u})
        ServerSends(Numbered("0003", number, HexPacket("0701")));
    EXPECT_EQ(listener.zone.size(), 2u);
    EXPECT_EQ(link->Reliable().HeldCount(), 0u);
}

} // namespace
