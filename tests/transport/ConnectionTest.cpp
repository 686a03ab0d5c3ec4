#include "support/ConnectionHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

// Leave arena, reliably, then the core disconnect.
bool IsGoodbye(const std::vector<Packet>& sent)
{
    return sent.size() == 2 && sent[0].Size() == 7 && sent[0].ReadU16(0) == 0x0300 && sent[0].ReadU8(6) == 0x02 &&
           sent[1] == HexPacket("0007");
}

// A payload behind a core header with a number: reliable (0003), acknowledgement (0004), sync response (0006)
// or big chunk (000A, the total).
Packet Numbered(const std::string& type, uint32_t number, const Packet& payload = Packet())
{
    Packet p = HexPacket(type + "00000000");
    p.WriteU32(number, 2);
    p.Append(payload);
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

// --- Connecting and disconnecting ---

TEST(ConnectionTest, OpenTakesTheHostAndTheLeadingDigitsOfThePortFromTheSettingsAndSaysHowItWent)
{
    ConnectionHarness h;
    h->Store().WriteString("Server", "IP", "zone.example");
    const std::pair<const char*, uint16_t> ports[] = {{"5000", 5000}, {"-5", 0}, {"2000abc", 2000}, {"70000", 4464}};
    for (const auto& [text, port] : ports) {
        h->Store().WriteString("Server", "Port", text);
        EXPECT_TRUE(h->OpenSocket());
        EXPECT_EQ(h.socket->openedHost, "zone.example");
        EXPECT_EQ(h.socket->openedPort, port) << "'" << text << "'";
    }
    h.ClearLines();
    EXPECT_TRUE(h->OpenSocket());
    h.socket->openSucceeds = false;
    EXPECT_FALSE(h->OpenSocket());
    EXPECT_THAT(h.Lines(), ElementsAre("Initilizing Winsock...", "Successfully Initilized!", "Initilizing Winsock...",
                                       "ERROR: Winsock Fialed to Initilize properly. Check your settings."));
}

TEST(ConnectionTest, TheUsersDisconnectSaysGoodbyeForgetsTheSessionAndStaysDownAndDestructionSaysGoodbyeQuietly)
{
    ConnectionHarness h;
    h.Handshake();
    h->OnArenaEntered();
    h->SetInArena(true);
    h->SendReliable(HexPacket("0701"));
    h.ServerSends(HexPacket("0003 05000000 0701")); // ahead of its turn, held
    h.TakeSent();
    h.ClearLines();

    h->Disconnect(false, false);
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnecting..."));
    const std::vector<Packet> sent = h.TakeSent();
    EXPECT_TRUE(IsGoodbye(sent));
    EXPECT_EQ(sent[0].ReadU32(2), 1u); // numbered after the chat line
    EXPECT_FALSE(h->CipherState().Active() || h->InArena() || h->Connected());
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
    EXPECT_EQ(h->Reliable().NextOutgoing() + h->Reliable().NextExpected(), 0u); // both count from 0 again

    // Nothing more is read, resent or sent by itself.
    h.Queue(HexPacket("0007"));
    h.Ticks(7000);
    EXPECT_EQ(h.socket->inbox.size(), 1u);
    EXPECT_TRUE(h.TakeSent().empty());

    std::vector<Packet> wire;
    h.socket->mirror = &wire;
    h.ClearLines();
    h.connection.reset();
    EXPECT_TRUE(IsGoodbye(wire));
    EXPECT_TRUE(h.Lines().empty());
}

// Pieces of a cut-off transfer must not end up in front of the next connection's data. The queue of
// outgoing transfers is emptied by a disconnect, but waits through a reconnect for the next arena,
// all but a transfer already begun.
TEST(ConnectionTest, DisconnectAndReconnectEmptyTheReassemblyBuffersButOnlyADisconnectTheOutgoingQueue)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    for (int reconnect = 0; reconnect < 2; ++reconnect) {
        h->Dispatch(HexPacket("0008 0701"));
        h->Dispatch(Numbered("000A", 1000, Packet(500)));
        h->Send(Packet(600));
        if (reconnect != 0)
            h->Reconnect();
        else
            h->Disconnect(false, true);
        EXPECT_TRUE(Connection::SmallChunkBuffer().Empty());
        EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
        EXPECT_EQ(h->Reliable().Transfers().size(), size_t(reconnect));
    }
    h->Dispatch(HexPacket("0009 0D01"));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0D01")));

    // A transfer cut off part way by a reconnect is dropped; the one behind it waits.
    h->Send(Packet(700));
    h->OnArenaEntered();
    h.Ticks(9 * 4); // the waiting transfer's two pieces, the turn that removes it, one of the next
    h->Reconnect();
    EXPECT_TRUE(h->Reliable().Transfers().empty());
    h->Send(Packet(600));
    h->Send(Packet(600));
    h->OnArenaEntered();
    h.Ticks(9);
    h->Reconnect();
    ASSERT_EQ(h->Reliable().Transfers().size(), 1u);
    EXPECT_EQ(h->Reliable().Transfers().front().size(), 2u);
}

// --- Periodic jobs ---

TEST(ConnectionTest, The31stSilentSecondInTheArenaReconnectsButDataOrLeavingTheArenaStartTheCountAgain)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h->OnArenaEntered();
    const uint32_t entered = h.clock.Now();
    h.Ticks(101); // the handshake's bytes count for the first period
    h->SetInArena(true);
    h.Ticks(30 * 101);
    EXPECT_EQ(Connection::SilentRuns(), 30);
    // Meanwhile a sync request went out 2001 ticks after the arena was entered: sent 2, received 1.
    Packet sync = HexPacket("0005 00000000 02000000 01000000");
    sync.WriteU32(entered + 2001, 2);
    EXPECT_THAT(h.TakeSent(), ElementsAre(sync));

    h.Queue(HexPacket("0004 00000000"));
    h.Ticks(101);
    EXPECT_EQ(Connection::SilentRuns(), 0);
    h->SetInArena(false);
    h.Ticks(20 * 101);
    EXPECT_EQ(Connection::SilentRuns(), 0);

    h->SetInArena(true);
    h.ClearLines();
    h.Ticks(30 * 101);
    EXPECT_TRUE(h.Lines().empty());
    h.Ticks(101);
    EXPECT_THAT(h.Lines(), ElementsAre("WARNING: No Data for 30 Seconds.. ReConnecting...", "Disconnecting..."));
    EXPECT_TRUE(h->JobOn(Connection::kReconnectJob));
    EXPECT_TRUE(h->Connected());
}

// --- Sending ---

TEST(ConnectionTest, From520BytesOrA514BytePayloadPacketsGoOutAsReliableBigChunksEveryNinthTickInTheArena)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    Packet packet(519);
    packet.WriteU8(0x07, 0);
    h->Send(packet);
    EXPECT_EQ(packet.ReadU32(1), 0u); // encrypted on a copy
    h->SendReliable(Packet(513));
    h->SendReliable(Packet());
    EXPECT_THAT(h.TakeSent(), ElementsAre(packet, Numbered("0003", 0, Packet(513))));
    Packet payload(514);
    payload.WriteU8(0xEE, 513);
    h->SendReliable(payload);
    h->Send(Packet(520));
    h.Ticks(100);
    EXPECT_TRUE(h.TakeSent().empty());

    h->OnArenaEntered();
    std::vector<Packet> pieces;
    std::vector<int> ticks;
    for (int tick = 1; tick <= 9 * 6; ++tick) {
        h.Ticks(1);
        for (const Packet& p : h.TakeSent()) {
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

TEST(ConnectionTest, AnUnacknowledgedPacketIsResentEveryTwicePingOr400WithoutOneUntilItIsAcknowledged)
{
    for (const uint32_t ping : {0u, 20u}) {
        SCOPED_TRACE(ping);
        ConnectionHarness h;
        h->Disconnect(true, false); // the resend job is off until the next key exchange
        h.Handshake();
        if (ping != 0)
            h.ServerSends(Numbered("0006", h.clock.Now() - ping, Packet(4)));
        h->SendReliable(HexPacket("0701"));
        h->SendReliable(HexPacket("0702"));
        h.TakeSent();
        const uint32_t interval = ping != 0 ? 2 * ping : 400, sentAt = h.clock.Now();
        std::vector<uint32_t> resends;
        for (uint32_t i = 0; i < 2 * interval + 20; ++i) {
            h.Ticks(1);
            for (const Packet& p : h.TakeSent())
                if (p == Numbered("0003", 0, HexPacket("0701")))
                    resends.push_back(h.clock.Now() - sentAt);
        }
        // The resend job looks every 11 ticks, so up to 10 late.
        ASSERT_EQ(resends.size(), 2u);
        EXPECT_NEAR(resends[0], interval + 5, 5);
        EXPECT_NEAR(resends[1] - resends[0], interval + 5, 5);

        h.ServerSends(Numbered("0004", 7)); // an unknown number changes nothing
        h.ServerSends(Numbered("0004", 0));
        h.Ticks(2000);
        for (const Packet& p : h.TakeSent())
            EXPECT_EQ(p, Numbered("0003", 1, HexPacket("0702")));
    }
}

TEST(ConnectionTest, MoreThan20000BytesSentInOneSecondStopAllSendingForGood)
{
    const std::string warning = "WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down";
    ConnectionHarness h;
    h.Handshake();
    h.Ticks(101); // a fresh statistics period
    for (int i = 0; i < 40; ++i)
        h->Send(Packet(500));
    h.Ticks(101); // 20000 bytes are no flood, and the count starts again
    EXPECT_FALSE(Connection::FloodStopped());
    h.TakeSent();
    h.ClearLines();

    for (int i = 0; i < 41; ++i)
        h->Send(Packet(500));
    EXPECT_TRUE(Connection::FloodStopped());
    EXPECT_EQ(h.TakeSent().size(), 41u); // the packet that crosses the limit still goes out
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnecting...", warning));
    const std::string events = ReadWholeFile(h.folder.Path() + "Event.txt");
    EXPECT_NE(events.find(" -> " + warning + "\r\n"), std::string::npos);
    EXPECT_FALSE(h->Connected());
    h.ClearLines();

    // Nothing goes out any more, not even after a new Connect, and no second warning comes.
    h->BeginConnection();
    h->SendReliable(HexPacket("0701"));
    for (int i = 0; i < 100; ++i)
        h->Send(Packet(500));
    h.Ticks(1000);
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Event.txt"), events);
    EXPECT_THAT(h.Lines(), ElementsAre("Connecting to, IP: 0.0.0.0, Port: 0"));
}

// --- Receiving ---

TEST(ConnectionTest, ClusterMembersAreDispatchedInOrderSkippingEmptyOnesCuttingTheLastAndNotTooDeep)
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

    zone.seen.clear();
    Packet p = HexPacket("0701");
    for (int depth = 1; depth <= Connection::kMaxNesting; ++depth) {
        Packet cluster = HexPacket("000E 00");
        cluster.WriteU8(uint8_t(p.Size()), 2);
        cluster.Append(p);
        p = cluster;
        h->Dispatch(p);
        EXPECT_EQ(zone.seen.size(), size_t(depth < Connection::kMaxNesting ? depth : depth - 1));
    }
}

TEST(ConnectionTest, ChunksAreJoinedUpToTheirLastPieceOrTheirTotalAndANewTotalStartsAfresh)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07, 0x0D});
    for (const char* hex : {"0008 0701", "0008 0203", "0701", "0009 0405", "0009 0D09", "000A 04000000 0701",
                            "000A 03000000 0D01", "000A 03000000 02"})
        h->Dispatch(HexPacket(hex));
    EXPECT_THAT(zone.seen,
                ElementsAre(HexPacket("0701"), HexPacket("0701 0203 0405"), HexPacket("0D09"), HexPacket("0D0102")));
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
}

TEST(ConnectionTest, TransfersOver16MiBAreAbandonedUpToTheirLastPiece)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h->Dispatch(Numbered("000A", Connection::kMaxTransferSize + 1, Packet(500)));
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());
    h->Dispatch(Numbered("000A", Connection::kMaxTransferSize, Packet(500)));
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

TEST(ConnectionTest, SyncRequestsAndClientChecksAreAnsweredAndSyncResponsesMoveTheAveragePingAQuarter)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    h.ServerSends(HexPacket("0005 78563412"));
    h.ServerSends(HexPacket("2C 0102030405"));
    Packet echo = HexPacket("0006 78563412 00000000");
    echo.WriteU32(h.clock.Now(), 6);
    EXPECT_THAT(h.TakeSent(), ElementsAre(echo, HexPacket("0003 00000000 1E")));

    const std::pair<uint32_t, uint16_t> roundTrips[] = {{5, 5}, {9, 6}, {0, 4}, {uint32_t(-1), 16386}};
    for (const auto& [age, average] : roundTrips) {
        h->Dispatch(Numbered("0006", h.clock.Now() - age, Packet(4)));
        EXPECT_EQ(h->AveragePing(), average) << age;
    }
}

TEST(ConnectionTest, ReliablePacketsAreAcknowledgedAndDeliveredOnceInOrderUpTo1024Ahead)
{
    ConnectionHarness h;
    ZoneRecorder zone(*h, {0x07});
    h.Handshake();
    h.TakeSent();
    h.ServerSends(Numbered("0003", 1, HexPacket("0701")));
    h.ServerSends(Numbered("0003", 2, HexPacket("0702")));
    h.ServerSends(Numbered("0003", 2, HexPacket("07FF"))); // held already: the first copy stays
    EXPECT_TRUE(zone.seen.empty());
    h.ServerSends(HexPacket("0003 0000")); // number 0, empty
    h.ServerSends(Numbered("0003", 1, HexPacket("0701")));
    EXPECT_THAT(zone.seen, ElementsAre(HexPacket("0701"), HexPacket("0702")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Numbered("0004", 1), Numbered("0004", 2), Numbered("0004", 2),
                                          Numbered("0004", 0), Numbered("0004", 1)));

    // Not kept nor acknowledged: the server sends it again.
    h.ServerSends(Numbered("0003", 3 + 1025, HexPacket("0701")));
    EXPECT_TRUE(h.TakeSent().empty());
    h.ServerSends(Numbered("0003", 3 + 1024, HexPacket("0701")));
    EXPECT_THAT(h.TakeSent(), ElementsAre(Numbered("0004", 3 + 1024)));
    EXPECT_EQ(h->Reliable().HeldCount(), 1u);
}

TEST(ConnectionTest, HeldPacketsStayWithinAByteBudgetButWhatIsDueNeedsNoRoom)
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

TEST(ConnectionTest, AHandlerThatDisconnectsStopsTheDeliveryOfTheRest)
{
    ConnectionHarness h;
    int delivered = 0;
    h->SetZoneHandler(0x07, [&](Connection& c, const Packet&) {
        if (++delivered == 2)
            c.Disconnect(false, false);
    });
    h.Handshake();
    for (const uint32_t number : {1u, 2u, 0u})
        h.ServerSends(Numbered("0003", number, HexPacket("0701")));
    EXPECT_EQ(delivered, 2);
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
}

} // namespace
