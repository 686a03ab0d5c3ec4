#include "support/ConnectionHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

Packet WithNumber(const std::string& hex, uint32_t number, const Packet& rest)
{
    Packet p = HexPacket(hex + "00000000");
    p.WriteU32(number, 2);
    p.Append(rest);
    return p;
}
Packet Reliable(uint32_t number, const Packet& payload) { return WithNumber("0003", number, payload); }
Packet Ack(uint32_t number) { return WithNumber("0004", number, Packet()); }
Packet BigChunk(uint32_t total, const Packet& piece) { return WithNumber("000A", total, piece); }

// Records every zone packet of the given types as it is dispatched.
struct ZoneRecorder {
    ZoneRecorder(Connection& c, std::initializer_list<uint8_t> types)
    {
        for (uint8_t type : types)
            c.SetZoneHandler(type, [this](Connection&, const Packet& p) { seen.push_back(p); });
    }
    std::vector<Packet> seen;
};

TEST(CoreDispatchTest, ClusterMembersAreDispatchedInOrderSkippingEmptyOnesAndCuttingTheLastAtTheEnd)
{
    ConnectionHarness h;
    h.Handshake();
    ZoneRecorder zone(*h, {0x07, 0x0D});
    h->SetZoneHandler(0x04, [&](Connection& c, const Packet& p) {
        EXPECT_EQ(p, HexPacket("04"));
        EXPECT_TRUE(c.JobOn(Connection::kReconnectJob)); // the disconnect before it has happened
    });
    h.ClearLines();
    h.ServerSends(HexPacket("000E 00 02 0701 02 0007 01 04 05 0D0203"));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0701"), HexPacket("0D0203")));
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnected by Server.", "Disconnecting..."));
}

TEST(CoreDispatchTest, ZonePacketsReachOnlyTheirHandlerOtherCoreTypesNothingAndAClientCheckIsAnswered)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    ZoneRecorder zone(*h, {0x07});
    for (const char* hex : {"0701", "05", "00", "0000 1234", "000B", "00FF", ""})
        h->Dispatch(HexPacket(hex));
    h->SetZoneHandler(0x07, nullptr);
    h->Dispatch(HexPacket("0701"));
    EXPECT_EQ(zone.seen.size(), 1u);
    EXPECT_TRUE(h.TakeSent().empty());
    h.ServerSends(HexPacket("2C 0102030405"));
    EXPECT_THAT(h.TakeSent(), ElementsAre(HexPacket("0003 00000000 1E")));
    EXPECT_EQ(h->Reliable().PendingCount(), 1u);
}

TEST(CoreDispatchTest, NestingDeeperThanTheLimitIsDropped)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    Packet p = HexPacket("0701");
    for (int depth = 1; depth <= Connection::kMaxNesting; ++depth) {
        Packet cluster = HexPacket("000E 00");
        cluster.WriteU8(uint8_t(p.Size()), 2);
        cluster.Append(p);
        p = cluster;
        h->Dispatch(p);
        EXPECT_EQ(zone.seen.size(), depth < Connection::kMaxNesting ? size_t(depth) : size_t(depth - 1));
    }
}

TEST(CoreDispatchTest, ChunksAreJoinedUpToTheirLastPieceOrTheirTotalAndANewTotalStartsAfresh)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    for (const char* hex : {"0008 0701", "0008 0203", "0701", "0009 0405", "0009 0D09"})
        h->Dispatch(HexPacket(hex));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0701"), HexPacket("0701 0203 0405"), HexPacket("0D09")));

    zone.seen.clear();
    Packet first(1000), second(800);
    first.WriteU8(0x07, 0);
    second.WriteU8(0x0D, 0);
    second.WriteU8(0xEE, 799);
    h->Dispatch(BigChunk(1000, first.SubRange(0, 500)));
    h->Dispatch(BigChunk(800, second.SubRange(0, 500)));
    EXPECT_EQ(Connection::BigChunkBuffer().Size(), 500u);
    h->Dispatch(BigChunk(800, second.SubRange(500, 0)));
    EXPECT_THAT(zone.seen, ElementsAre(second));
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
}

// Pieces of a cut-off transfer must not end up in front of the next connection's data.
TEST(CoreDispatchTest, DisconnectAndReconnectEmptyTheReassemblyBuffers)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    for (int reconnect = 0; reconnect < 2; ++reconnect) {
        h->Dispatch(HexPacket("0008 0701"));
        h->Dispatch(BigChunk(1000, Packet(500)));
        reconnect != 0 ? h->Reconnect() : h->Disconnect(false, true);
        EXPECT_TRUE(Connection::SmallChunkBuffer().Empty());
        EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
    }
    h->Dispatch(HexPacket("0009 0D01"));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0D01")));
}

TEST(CoreDispatchTest, TransfersOver16MiBAreAbandonedUpToTheirLastPiece)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h->Dispatch(BigChunk(Connection::kMaxTransferSize + 1, Packet(500)));
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
    h->Dispatch(BigChunk(Connection::kMaxTransferSize, Packet(500)));
    EXPECT_EQ(Connection::BigChunkBuffer().Size(), 500u);

    Packet mebibyte = HexPacket("0008 07");
    mebibyte.Append(Packet(1024 * 1024 - 1));
    for (int i = 0; i < 16; ++i)
        h->Dispatch(mebibyte);
    EXPECT_EQ(Connection::SmallChunkBuffer().Size(), 16u * 1024 * 1024);
    for (const char* hex : {"0008 01", "0008 0701", "0009 0203"}) {
        h->Dispatch(HexPacket(hex));
        EXPECT_TRUE(Connection::SmallChunkBuffer().Empty()) << hex;
    }
    h->Dispatch(HexPacket("0009 0709")); // the next transfer is collected again
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0709")));
}

TEST(CoreDispatchTest, ASyncRequestIsEchoedWithTheLocalTimeAndResponsesMoveTheAveragePingAQuarter)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h.ServerSends(HexPacket("0005 78563412"));
    Packet echo = HexPacket("0006 78563412 00000000");
    echo.WriteU32(h.clock.Now(), 6);
    EXPECT_THAT(h.TakeSent(), ElementsAre(echo));

    const std::pair<uint32_t, uint16_t> roundTrips[] = {{5, 5}, {9, 6}, {0, 4}, {uint32_t(-1), 16386}};
    for (const auto& [age, average] : roundTrips) {
        Packet response = HexPacket("0006 00000000 00000000");
        response.WriteU32(h.clock.Now() - age, 2);
        h->Dispatch(response);
        EXPECT_EQ(h->AveragePing(), average) << age;
    }
}

TEST(CoreDispatchTest, ReliablePacketsAreAcknowledgedAndDeliveredOnceInOrderUpTo1024Ahead)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.TakeSent();
    h.ServerSends(Reliable(1, HexPacket("0701")));
    h.ServerSends(Reliable(2, HexPacket("0702")));
    h.ServerSends(Reliable(2, HexPacket("07FF"))); // held already: the first copy stays
    EXPECT_TRUE(zone.seen.empty());
    h.ServerSends(HexPacket("0003 0000")); // number 0, empty
    h.ServerSends(Reliable(1, HexPacket("0701")));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0701"), HexPacket("0702")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Ack(1), Ack(2), Ack(2), Ack(0), Ack(1)));

    // Not kept nor acknowledged: the server sends it again.
    h.ServerSends(Reliable(3 + 1025, HexPacket("0701")));
    EXPECT_TRUE(h.TakeSent().empty());
    h.ServerSends(Reliable(3 + 1024, HexPacket("0701")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Ack(3 + 1024)));
    EXPECT_EQ(h->Reliable().HeldCount(), 1u);
}

TEST(CoreDispatchTest, HeldPacketsStayWithinAByteBudgetButWhatIsDueNeedsNoRoom)
{
    ReliableState state;
    Packet big(ReliableState::kMaxHeldBytes - 10);
    EXPECT_FALSE(state.Received(5, big));
    EXPECT_TRUE(state.Acceptable(6, 10));
    EXPECT_FALSE(state.Acceptable(6, 11));
    EXPECT_TRUE(state.Acceptable(0, ReliableState::kMaxHeldBytes));
    state.Reset();
    EXPECT_TRUE(state.Acceptable(6, 11));
}

TEST(CoreDispatchTest, AHandlerThatDisconnectsStopsTheDeliveryOfTheRest)
{
    ConnectionHarness h;
    int delivered = 0;
    h->SetZoneHandler(0x07, [&](Connection& c, const Packet&) {
        if (++delivered == 2)
            c.Disconnect(false, false);
    });
    h.Handshake();
    for (const uint32_t number : {1u, 2u, 0u})
        h.ServerSends(Reliable(number, HexPacket("0701")));
    EXPECT_EQ(delivered, 2);
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
}

} // namespace
