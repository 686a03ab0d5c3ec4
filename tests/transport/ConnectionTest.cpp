#include "support/ConnectionHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ::testing::ElementsAre;

bool IsEncryptionRequest(const Packet& p) { return p.Size() == 8 && p.ReadU16(0) == 0x0100 && p.ReadU16(6) == 1; }
// Leave arena, reliably, then the core disconnect.
bool IsGoodbye(const std::vector<Packet>& sent)
{
    return sent.size() == 2 && sent[0].Size() == 7 && sent[0].ReadU16(0) == 0x0300 && sent[0].ReadU8(6) == 0x02 &&
           sent[1] == HexPacket("0007");
}

// A payload behind a core header with a number: reliable (0003) or big chunk (000A, the total).
Packet Numbered(const std::string& type, uint32_t number, const Packet& payload)
{
    Packet p = HexPacket(type + "00000000");
    p.WriteU32(number, 2);
    p.Append(payload);
    return p;
}

// --- Connecting and disconnecting ---

TEST(ConnectionTest, OpenTakesTheHostAndTheLeadingDigitsOfThePortFromTheSettingsAndSaysHowItWent)
{
    ConnectionHarness h;
    h->Store().WriteString("Server", "IP", "zone.example");
    const std::pair<const char*, uint16_t> ports[] = {{"5000", 5000}, {"", 0},      {"2000abc", 2000},
                                                      {"-5", 0},      {"65536", 0}, {"70000", 4464}};
    for (const auto& [text, port] : ports) {
        h->Store().WriteString("Server", "Port", text);
        EXPECT_TRUE(h->OpenSocket());
        EXPECT_EQ(h.socket->openedHost, "zone.example");
        EXPECT_EQ(h.socket->openedPort, port) << "'" << text << "'";
        h.socket->openSucceeds = port != 4464;
    }
    EXPECT_FALSE(h->OpenSocket());
    const std::vector<std::string> lines = h.Lines();
    EXPECT_THAT(std::vector<std::string>(lines.end() - 4, lines.end()),
                ElementsAre("Initilizing Winsock...", "Successfully Initilized!", "Initilizing Winsock...",
                            "ERROR: Winsock Fialed to Initilize properly. Check your settings."));
}

TEST(ConnectionTest, TheUsersDisconnectSaysGoodbyeForgetsTheSessionAndStaysDown)
{
    ConnectionHarness h;
    int clears = 0;
    h->SetSessionClearer([&](Connection&) { ++clears; });
    h.Handshake();
    h->OnArenaEntered();
    h->SetInArena(true);
    h->Send(Packet(1200));
    h->SendReliable(HexPacket("0701"));
    h.ServerSends(HexPacket("0003 05000000 0701")); // ahead of its turn, held
    h.TakeSent();
    h.ClearLines();

    h->Disconnect(false, false);
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnecting..."));
    const std::vector<Packet> sent = h.TakeSent();
    EXPECT_TRUE(IsGoodbye(sent));
    EXPECT_EQ(sent[0].ReadU32(2), 1u); // numbered after the chat line
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(h->CipherState().Active() || h->InArena() || h->Connected());
    EXPECT_TRUE(h->Reliable().Transfers().empty());
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
    EXPECT_EQ(h->Reliable().NextOutgoing() + h->Reliable().NextExpected(), 0u); // both count from 0 again

    // Nothing more is read, resent or sent by itself.
    h.Queue(HexPacket("0007"));
    h.Ticks(7000);
    EXPECT_EQ(h.socket->inbox.size(), 1u);
    EXPECT_TRUE(h.TakeSent().empty());
}

TEST(ConnectionTest, DestructionSaysGoodbyeWithoutAMessage)
{
    std::vector<Packet> wire;
    {
        ConnectionHarness h;
        h.socket->mirror = &wire;
        h.connection.reset();
        EXPECT_TRUE(h.Lines().empty());
    }
    EXPECT_TRUE(IsGoodbye(wire));
}

TEST(ConnectionTest, AServerDisconnectKeepsReadingAndReconnectsEvery3001TicksUntilTheArenaIsEntered)
{
    ConnectionHarness h;
    h.Handshake();
    h->Send(Packet(600));
    h.ServerSends(HexPacket("0007"));
    EXPECT_TRUE(h->Reliable().Transfers().empty());
    h->Send(Packet(600)); // queued now, it waits for the next arena
    h.serverCipher.Stop();
    h.TakeSent();
    h.ClearLines();

    h.Queue(HexPacket("0005 10000000"));
    h.Ticks(3000);
    EXPECT_EQ(h.TakeSent().size(), 1u); // the sync request was answered
    for (int attempt = 0; attempt < 2; ++attempt) {
        h.Ticks(1);
        std::vector<Packet> sent = h.TakeSent();
        ASSERT_EQ(sent.size(), 3u);
        EXPECT_TRUE(IsEncryptionRequest(sent[2]));
        sent.pop_back();
        EXPECT_TRUE(IsGoodbye(sent));
        h.Ticks(3000);
        EXPECT_TRUE(h.TakeSent().empty());
    }
    const std::vector<std::string> lines = h.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Attempting to ReConnect...."), 2);
    EXPECT_EQ(h->Reliable().Transfers().size(), 1u);
    EXPECT_EQ(h.socket->opens, 1); // the socket stays as it is
    h->OnArenaEntered();
    h.Ticks(3001);
    for (const Packet& p : h.TakeSent())
        EXPECT_FALSE(IsEncryptionRequest(p));
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
    // Meanwhile a sync request went out, 2,001 ticks after the arena was entered.
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

TEST(ConnectionTest, PacketsFrom520BytesAndReliablePayloadsFrom514AreQueuedAsTransfers)
{
    ConnectionHarness h;
    h.Handshake();
    h.TakeSent();
    Packet packet(519);
    packet.WriteU8(0x07, 0);
    h->Send(packet);
    EXPECT_EQ(packet.ReadU32(1), 0u); // encrypted on a copy
    h->SendReliable(Packet(513));
    EXPECT_THAT(h.TakeSent(), ElementsAre(packet, Numbered("0003", 0, Packet(513))));
    h->Send(Packet(520));
    h->SendReliable(Packet(514));
    h->SendReliable(Packet());
    EXPECT_TRUE(h.TakeSent().empty());
    EXPECT_EQ(h->Reliable().Transfers().size(), 2u);
    EXPECT_EQ(h->Reliable().NextOutgoing(), 1u);
}

TEST(ConnectionTest, QueuedTransfersGoOutAsReliableBigChunksOneEveryNineTicksOnlyInTheArena)
{
    ConnectionHarness h;
    h.Handshake();
    Packet big(1001);
    big.WriteU8(0x07, 0);
    big.WriteU8(0xEE, 1000);
    h->SendReliable(big);
    h->Send(Packet(600));
    h.TakeSent();
    h.Ticks(100);
    EXPECT_TRUE(h.TakeSent().empty());

    h->OnArenaEntered();
    std::vector<Packet> pieces;
    for (int tick = 1; tick <= 9 * 7; ++tick) {
        h.Ticks(1);
        for (const Packet& p : h.TakeSent()) {
            EXPECT_EQ(tick % 9, 0) << "tick " << tick;
            pieces.push_back(p);
        }
    }
    // 1001 bytes: three pieces; then a turn that removes the emptied transfer; then 600 bytes: two pieces.
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0], Numbered("0003", 0, Numbered("000A", 1001, big.SubRange(0, 500))));
    EXPECT_EQ(pieces[2], Numbered("0003", 2, Numbered("000A", 1001, HexPacket("EE"))));
    EXPECT_EQ(pieces[4].ReadU32(8), 600u);
}

TEST(ConnectionTest, AnUnacknowledgedPacketIsResentEveryTwicePingOr400WithoutOneUntilItIsAcknowledged)
{
    for (const uint32_t ping : {0u, 20u}) {
        SCOPED_TRACE(ping);
        ConnectionHarness h;
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
        // The resend job looks every 11 ticks.
        ASSERT_EQ(resends.size(), 2u);
        EXPECT_GE(resends[0], interval);
        EXPECT_LE(resends[0], interval + 10);
        EXPECT_GE(resends[1] - resends[0], interval);
        EXPECT_LE(resends[1] - resends[0], interval + 10);

        h.ServerSends(HexPacket("0004 07000000")); // an unknown number changes nothing
        h.ServerSends(HexPacket("0004 00000000"));
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
    for (int period = 0; period < 3; ++period) {
        for (int i = 0; i < 40; ++i)
            h->Send(Packet(500));
        h.Ticks(101);
    }
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

} // namespace
