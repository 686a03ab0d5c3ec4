#include "support/ConnectionHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

Packet Reliable(uint32_t number, const Packet& payload)
{
    Packet p = HexPacket("0003");
    Packet n(4);
    n.WriteU32(number, 0);
    p.Append(n);
    p.Append(payload);
    return p;
}

Packet Ack(uint32_t number)
{
    Packet p = HexPacket("0004");
    Packet n(4);
    n.WriteU32(number, 0);
    p.Append(n);
    return p;
}

Packet BigChunk(uint32_t total, const Packet& piece)
{
    Packet p(6);
    p.WriteU8(0x0A, 1);
    p.WriteU32(total, 2);
    p.Append(piece);
    return p;
}

Packet Cluster(const std::vector<Packet>& members)
{
    Packet p = HexPacket("000E");
    for (const Packet& m : members) {
        Packet length(1);
        length.WriteU8(uint8_t(m.Size()), 0);
        p.Append(length);
        p.Append(m);
    }
    return p;
}

Packet Filled(uint32_t size, uint8_t first)
{
    Packet p(size);
    for (uint32_t i = 0; i < size; ++i)
        p.WriteU8(uint8_t(first + i), i);
    return p;
}

// Records every zone packet of the given types as it is dispatched.
struct ZoneRecorder {
    ZoneRecorder(Connection& c, std::initializer_list<uint8_t> types)
    {
        for (uint8_t type : types)
            c.SetZoneHandler(type, [this](Connection&, const Packet& p) { seen.push_back(p); });
    }
    std::vector<Packet> seen;
};

// --- Handshake ---

TEST(HandshakeTest, TheResponseStartsTheCipherThenLogsInThenSynchronises)
{
    ConnectionHarness h;
    std::vector<std::string> order;
    h->SetLoginSender([&](Connection& c) {
        order.push_back("login");
        EXPECT_TRUE(c.CipherState().Active());
        c.SendReliable(HexPacket("0900"));
    });
    h->SetJob(Connection::kResendJob, false);
    h->OpenSocket();
    h->BeginConnection();
    const Packet request = h.socket->sent.at(0);
    h.socket->sent.clear();

    // The server may choose any key; it need not be related to the client's.
    const uint32_t key = request.ReadU32(2) + 12345;
    Packet response = HexPacket("0002 00000000");
    response.WriteU32(key, 2);
    h.ServerSends(response);
    h.serverCipher.Start(key);

    EXPECT_EQ(order.size(), 1u);
    EXPECT_EQ(h->CipherState().Key(), key);
    EXPECT_TRUE(h->JobOn(Connection::kResendJob));
    ASSERT_EQ(h.socket->sent.size(), 2u);
    EXPECT_NE(h.socket->sent[1].ReadU32(2), uint32_t(h.clock.Now())); // encrypted on the wire
    const std::vector<Packet> sent = h.TakeSent();
    EXPECT_EQ(sent[0], HexPacket("0003 00000000 0900"));
    ASSERT_EQ(sent[1].Size(), 14u);
    EXPECT_EQ(sent[1].ReadU8(1), 0x05);
    EXPECT_EQ(sent[1].ReadU32(2), h.clock.Now());
    EXPECT_EQ(sent[1].ReadU32(6), 2u);  // encryption request and login
    EXPECT_EQ(sent[1].ReadU32(10), 1u); // the response
}

TEST(HandshakeTest, PacketsFromTheServerAreDecryptedOnceTheCipherRuns)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake(0x0BADBEEF);
    h.ServerSends(HexPacket("07 01 02 03 04 05 06 07 08 09"));
    ASSERT_EQ(zone.seen.size(), 1u);
    EXPECT_EQ(zone.seen[0], HexPacket("07 01 02 03 04 05 06 07 08 09"));
}

// --- Dispatch ---

TEST(DispatchTest, AClusterDispatchesItsMembersInOrderDepthFirst)
{
    ConnectionHarness h;
    h.Handshake();
    bool reconnectingWhenZonePacketArrived = false;
    h->SetZoneHandler(0x04, [&](Connection& c, const Packet& p) {
        EXPECT_EQ(p, HexPacket("04"));
        reconnectingWhenZonePacketArrived = c.JobOn(Connection::kReconnectJob);
    });
    h.ClearLines();
    h.ServerSends(HexPacket("000E 02 0007 01 04"));
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnected by Server.", "Disconnecting..."));
    EXPECT_TRUE(reconnectingWhenZonePacketArrived);
}

TEST(DispatchTest, ClusterMembersOfLengthZeroAreSkippedAndTheLastIsCutAtTheEnd)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    h->Dispatch(HexPacket("000E 00 02 0701 05 0D0203"));
    ASSERT_EQ(zone.seen.size(), 2u);
    EXPECT_EQ(zone.seen[0], HexPacket("0701"));
    EXPECT_EQ(zone.seen[1], HexPacket("0D0203"));
}

TEST(DispatchTest, ZonePacketsReachOnlyTheirOwnHandlerAndUnknownTypesAreIgnored)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h->Dispatch(HexPacket("0701"));
    h->Dispatch(HexPacket("05"));
    h->Dispatch(HexPacket("00"));
    h->Dispatch(HexPacket("0000 1234"));
    h->Dispatch(HexPacket("000B"));
    h->Dispatch(HexPacket("00FF"));
    h->Dispatch(Packet());
    EXPECT_EQ(zone.seen.size(), 1u);
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_TRUE(h.Lines().empty());
    h->SetZoneHandler(0x07, nullptr);
    h->Dispatch(HexPacket("0701"));
    EXPECT_EQ(zone.seen.size(), 1u);
}

TEST(DispatchTest, TheClientCheckRequestIsAnsweredReliablyWith1E)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h.ServerSends(HexPacket("2C 0102030405"));
    EXPECT_THAT(h.TakeSent(), ElementsAre(HexPacket("0003 00000000 1E")));
    EXPECT_EQ(h->Reliable().PendingCount(), 1u);
}

TEST(DispatchTest, NestingDeeperThanTheLimitIsDropped)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    auto nested = [](int depth) {
        Packet p = HexPacket("0701");
        for (int i = 0; i < depth; ++i) {
            Packet cluster = HexPacket("000E");
            Packet length(1);
            length.WriteU8(uint8_t(p.Size()), 0);
            cluster.Append(length);
            cluster.Append(p);
            p = cluster;
        }
        return p;
    };
    h->Dispatch(nested(Connection::kMaxNesting - 1));
    EXPECT_EQ(zone.seen.size(), 1u);
    h->Dispatch(nested(Connection::kMaxNesting));
    EXPECT_EQ(zone.seen.size(), 1u);
}

// --- Chunks ---

TEST(ChunkTest, SmallChunksAreJoinedInOrderAndALastPieceAloneIsAPacket)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    h->Dispatch(HexPacket("0008 0701"));
    h->Dispatch(HexPacket("0008 0203"));
    h->Dispatch(HexPacket("0701")); // other traffic in between does not disturb the collection
    EXPECT_EQ(zone.seen.size(), 1u);
    h->Dispatch(HexPacket("0009 0405"));
    h->Dispatch(HexPacket("0009 0D09"));
    ASSERT_EQ(zone.seen.size(), 3u);
    EXPECT_EQ(zone.seen[1], HexPacket("0701 0203 0405"));
    EXPECT_EQ(zone.seen[2], HexPacket("0D09"));
    EXPECT_TRUE(Connection::SmallChunkBuffer().Empty());
}

TEST(ChunkTest, BigChunksCompleteAtTheirTotalAndANewTotalReplacesAnUnfinishedOne)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    const Packet first = Filled(1000, 0x07);
    h->Dispatch(BigChunk(1000, first.SubRange(0, 500)));
    EXPECT_EQ(Connection::BigChunkBuffer().Size(), 500u);

    const Packet second = Filled(800, 0x0D);
    h->Dispatch(BigChunk(800, second.SubRange(0, 500)));
    EXPECT_EQ(Connection::BigChunkBuffer().Size(), 500u);
    h->Dispatch(BigChunk(800, second.SubRange(500, 0)));
    ASSERT_EQ(zone.seen.size(), 1u);
    EXPECT_EQ(zone.seen[0], second);
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
    EXPECT_EQ(Connection::BigChunkTotal(), 0u);
}

TEST(ChunkTest, ChunksMayArriveInsideReliablePacketsAndClusters)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.ServerSends(Reliable(2, BigChunk(4, HexPacket("0B"))));
    h.ServerSends(Reliable(0, BigChunk(4, HexPacket("0701"))));
    EXPECT_TRUE(zone.seen.empty());
    h.ServerSends(Cluster({HexPacket("0701"), Reliable(1, BigChunk(4, HexPacket("0A")))}));
    ASSERT_EQ(zone.seen.size(), 2u);
    EXPECT_EQ(zone.seen[1], HexPacket("07010A0B"));
    zone.seen.erase(zone.seen.begin());
    EXPECT_EQ(zone.seen[0], HexPacket("07010A0B"));
}

TEST(ChunkTest, DisconnectAndReconnectEmptyTheReassemblyBuffers)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    h->Dispatch(HexPacket("0008 0701"));
    h->Dispatch(BigChunk(1000, Filled(500, 7)));
    h->Disconnect(false, true);
    EXPECT_TRUE(Connection::SmallChunkBuffer().Empty());
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
    EXPECT_EQ(Connection::BigChunkTotal(), 0u);

    h->Dispatch(HexPacket("0008 0702"));
    h->Dispatch(BigChunk(1000, Filled(500, 7)));
    h->Reconnect();
    h->Dispatch(HexPacket("0009 0D01"));
    h->Dispatch(BigChunk(1000, Filled(500, 7)));
    ASSERT_EQ(zone.seen.size(), 1u);
    EXPECT_EQ(zone.seen[0], HexPacket("0D01"));
    EXPECT_EQ(Connection::BigChunkBuffer().Size(), 500u);
}

TEST(ChunkTest, TransfersOver16MiBAreAbandoned)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h->Dispatch(BigChunk(Connection::kMaxTransferSize + 1, Filled(500, 7)));
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
    EXPECT_EQ(Connection::BigChunkTotal(), 0u);
    h->Dispatch(BigChunk(Connection::kMaxTransferSize, Filled(500, 7)));
    EXPECT_EQ(Connection::BigChunkBuffer().Size(), 500u);

    // Small chunks: the piece that crosses the limit empties the buffer, and the
    // rest of that transfer, up to its last piece, is skipped.
    const Packet mebibyte = Packet(1024 * 1024);
    Packet piece = HexPacket("0008");
    piece.Append(mebibyte);
    piece.WriteU8(0x07, 2);
    for (int i = 0; i < 16; ++i)
        h->Dispatch(piece);
    EXPECT_EQ(Connection::SmallChunkBuffer().Size(), 16u * 1024 * 1024);
    h->Dispatch(HexPacket("0008 01"));
    EXPECT_TRUE(Connection::SmallChunkBuffer().Empty());
    h->Dispatch(piece);
    h->Dispatch(HexPacket("0009 0203"));
    EXPECT_TRUE(zone.seen.empty());
    EXPECT_TRUE(Connection::SmallChunkBuffer().Empty());
    // The next transfer is collected again.
    h->Dispatch(HexPacket("0009 0709"));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0709")));
}

// --- Synchronisation ---

TEST(SyncTest, TheAveragePingStartsAtTheFirstRoundTripAndMovesAQuarterTowardsEachNewOne)
{
    ConnectionHarness h;
    auto response = [&](uint32_t age) {
        Packet p = HexPacket("0006 00000000 00000000");
        p.WriteU32(h.clock.Now() - age, 2);
        h->Dispatch(p);
    };
    response(5);
    EXPECT_EQ(h->AveragePing(), 5);
    response(9);
    EXPECT_EQ(h->AveragePing(), 6); // (15 + 9) / 4
    response(0);
    EXPECT_EQ(h->AveragePing(), 4); // (18 + 0) / 4, truncated
    // Round trips are 16-bit: a time from the future wraps to a large value.
    ConnectionHarness other;
    Packet future = HexPacket("0006 00000000");
    future.WriteU32(other.clock.Now() + 1, 2);
    other->Dispatch(future);
    EXPECT_EQ(other->AveragePing(), 0xFFFF);
}

TEST(SyncTest, TheServersRequestIsEchoedWithTheLocalTime)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h.ServerSends(HexPacket("0005 78563412"));
    const std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].Size(), 10u);
    EXPECT_EQ(sent[0].ReadU8(1), 0x06);
    EXPECT_EQ(sent[0].ReadU32(2), 0x12345678u);
    EXPECT_EQ(sent[0].ReadU32(6), h.clock.Now());
}

// --- Reliable packets from the server ---

TEST(ReliableReceiveTest, PacketsArrivingOneTwoZeroAreDeliveredZeroOneTwo)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.TakeSent();
    h.ServerSends(Reliable(1, HexPacket("0701")));
    h.ServerSends(Reliable(2, HexPacket("0702")));
    EXPECT_TRUE(zone.seen.empty());
    h.ServerSends(Reliable(0, HexPacket("0700")));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0700"), HexPacket("0701"), HexPacket("0702")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Ack(1), Ack(2), Ack(0)));
}

TEST(ReliableReceiveTest, DuplicatesAreAcknowledgedButDeliveredOnce)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.ServerSends(Reliable(2, HexPacket("0702")));
    h.ServerSends(Reliable(2, HexPacket("07FF"))); // held already: the first copy stays
    for (uint32_t n = 0; n < 6; ++n)
        if (n != 2)
            h.ServerSends(Reliable(n, HexPacket("0700")));
    h.TakeSent();
    h.ServerSends(Reliable(3, HexPacket("0703")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Ack(3)));
    ASSERT_EQ(zone.seen.size(), 6u);
    EXPECT_EQ(zone.seen[2], HexPacket("0702"));
    EXPECT_EQ(h->Reliable().NextExpected(), 6u);
}

TEST(ReliableReceiveTest, AnEmptyPayloadIsAcknowledgedAndTakesItsTurn)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.TakeSent();
    h.ServerSends(Reliable(1, HexPacket("0701")));
    h.ServerSends(HexPacket("0003 0000"));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Ack(1), Ack(0)));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0701")));
}

TEST(ReliableReceiveTest, APacketMoreThan1024AheadIsDroppedWithoutAcknowledgement)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.TakeSent();
    h.ServerSends(Reliable(1025, HexPacket("0701")));
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
    h.ServerSends(Reliable(1024, HexPacket("0701")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Ack(1024)));
    EXPECT_EQ(h->Reliable().HeldCount(), 1u);
}

TEST(ReliableReceiveTest, AnAcknowledgementDropsThePendingPacket)
{
    ConnectionHarness h;
    h.Handshake();
    h->SendReliable(HexPacket("0701"));
    h->SendReliable(HexPacket("0702"));
    h.ServerSends(Ack(7));
    EXPECT_EQ(h->Reliable().PendingCount(), 2u);
    h.ServerSends(Ack(1));
    ASSERT_EQ(h->Reliable().PendingCount(), 1u);
    EXPECT_EQ(h->Reliable().Pending().begin()->second, HexPacket("0003 00000000 0701"));
}

TEST(ReliableReceiveTest, AHandlerThatDisconnectsStopsTheDeliveryOfTheRest)
{
    ConnectionHarness h;
    int delivered = 0;
    h->SetZoneHandler(0x07, [&](Connection& c, const Packet&) {
        if (++delivered == 2)
            c.Disconnect(false, false);
    });
    h.Handshake();
    h.ServerSends(Reliable(1, HexPacket("0701")));
    h.ServerSends(Reliable(2, HexPacket("0702")));
    h.ServerSends(Reliable(0, HexPacket("0700")));
    EXPECT_EQ(delivered, 2);
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
    EXPECT_EQ(h->Reliable().NextExpected(), 0u);
}

} // namespace
