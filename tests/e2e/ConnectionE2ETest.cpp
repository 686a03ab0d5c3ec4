// The client core against the zone simulator over real loopback UDP: a Connection
// with a real UdpSocket and a hand-moved clock, driven tick by tick as the frame
// timer drives it, with the simulator polled between ticks.

#include "ZoneSim.h"
#include "app/SettingsStore.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "transport/UdpSocket.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Zone types no handler of the client or simulator uses, for test traffic.
constexpr uint8_t kToClient = 0x3E;
constexpr uint8_t kToServer = 0x3F;
constexpr uint8_t kBigToClient = 0x3D;
constexpr uint8_t kBigToServer = 0x3C;
// The client answers this zone packet with 0x1E, reliably: a round trip through
// both ciphers and both reliable layers.
constexpr uint8_t kClientCheck = 0x2C;
constexpr uint8_t kClientCheckAnswer = 0x1E;

const LinkFaults kBadNetwork{0.2, 0.2, 0.2, 3};

Packet Numbered(uint8_t type, uint32_t n)
{
    Packet packet(5);
    packet.WriteU8(type, 0);
    packet.WriteU32(n, 1);
    return packet;
}

Packet Filled(uint8_t type, uint32_t size)
{
    Packet packet(size);
    for (uint32_t i = 0; i < size; ++i)
        packet.WriteU8(uint8_t((i * 131) ^ (i >> 8)), i);
    packet.WriteU8(type, 0);
    return packet;
}

std::vector<uint32_t> Sequence(uint32_t count)
{
    std::vector<uint32_t> numbers(count);
    std::iota(numbers.begin(), numbers.end(), 0u);
    return numbers;
}

class ClientAgainstSimulator : public ::testing::Test {
protected:
    ClientAgainstSimulator() { Connection::ResetProcessStateForTests(); }
    ~ClientAgainstSimulator() override
    {
        connection.reset();
        Connection::ResetProcessStateForTests();
    }

    // The simulator, the settings pointing at it, and a Connect as the frame does it.
    void Connect(ZoneSimOptions options = {})
    {
        sim = std::make_unique<ZoneSim>(clock, std::move(options));
        ASSERT_TRUE(sim->Listening());
        SettingsStore settings;
        settings.WriteString("Server", "IP", "127.0.0.1");
        settings.WriteString("Server", "Port", std::to_string(sim->Port()));
        connection = std::make_unique<Connection>(output, std::make_unique<UdpSocket>(), clock);
        connection->CreateProgramFolder(folder.Path());
        ASSERT_TRUE(connection->OpenSocket());
        connection->BeginConnection();
    }

    // One frame-timer tick of the client, then one poll of the simulator; a hundredth passes.
    void Step()
    {
        if (connection->PollReadable())
            connection->ReceiveOne();
        connection->Tick();
        output.FlushOneLine();
        sim->Poll();
        clock.Advance(1);
        ++steps;
    }

    // Steps until `done` holds; false if it never did within `limit` steps.
    bool StepUntil(const std::function<bool()>& done, int limit)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            Step();
        }
        return done();
    }

    bool HandshakeDone()
    {
        return StepUntil([this] { return connection->CipherState().Active() && connection->AveragePing() != 0; }, 100);
    }

    // The client answers the simulator's 0x2C; true once the answer is back and acknowledged.
    bool RoundTrip()
    {
        const size_t before = sim->ReceivedOfType(kClientCheckAnswer).size();
        sim->SendZone(Packet(&kClientCheck, 1), true);
        return StepUntil(
            [&] {
                return sim->ReceivedOfType(kClientCheckAnswer).size() == before + 1 && sim->Peer()->AllAcknowledged() &&
                       connection->Reliable().PendingCount() == 0;
            },
            2000);
    }

    std::vector<std::string> Lines()
    {
        while (output.QueuedPieces() > 0)
            output.FlushOneLine();
        std::vector<std::string> lines;
        std::istringstream text(view.ShownText());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }
    bool Shown(const std::string& line)
    {
        const std::vector<std::string> lines = Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::vector<uint32_t> NumbersAtServer(uint8_t type) const
    {
        std::vector<uint32_t> numbers;
        for (const Packet& packet : sim->ReceivedOfType(type))
            numbers.push_back(packet.ReadU32(1));
        return numbers;
    }

    TempHome home;
    TempDir folder;
    FakeOutputView view;
    FakeUserListView users;
    ChatOutput output{view, users, folder.Path()};
    ManualClock clock;
    std::unique_ptr<ZoneSim> sim;
    std::unique_ptr<Connection> connection;
    int steps = 0;
};

TEST_F(ClientAgainstSimulator, HandshakeStartsBothCiphersWithTheServersKeyAndTrafficFlows)
{
    Connect();
    ASSERT_TRUE(HandshakeDone());
    ASSERT_NE(sim->Peer(), nullptr);
    EXPECT_EQ(sim->Handshakes(), 1u);
    EXPECT_EQ(connection->CipherState().Key(), 0u - sim->Peer()->ClientKey());
    EXPECT_EQ(sim->Peer()->Tally().syncRequests, 1u);
    EXPECT_TRUE(Shown("Connecting to, IP: 127.0.0.1, Port: " + std::to_string(sim->Port())));

    EXPECT_TRUE(RoundTrip());
    // The simulator measures the ping the other way round too.
    sim->Peer()->SendSyncRequest();
    EXPECT_TRUE(StepUntil([this] { return sim->Peer()->Tally().syncResponses == 1; }, 10));
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ClientAgainstSimulator, AKeyOfTheServersOwnChoosingIsUsed)
{
    ZoneSimOptions options;
    options.serverKey = [](uint32_t) { return 0x0BADF00Du; };
    Connect(options);
    ASSERT_TRUE(HandshakeDone());
    EXPECT_EQ(connection->CipherState().Key(), 0x0BADF00Du);
    EXPECT_TRUE(RoundTrip());
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ClientAgainstSimulator, AThousandReliablePacketsEachWayArriveOnceAndInOrderThroughABadNetwork)
{
    Connect();
    ASSERT_TRUE(HandshakeDone());
    sim->SetFaults(kBadNetwork, kBadNetwork);

    std::vector<uint32_t> atClient;
    connection->SetZoneHandler(kToClient, [&](Connection&, const Packet& p) { atClient.push_back(p.ReadU32(1)); });
    for (uint32_t n = 0; n < 1000; ++n)
        sim->SendZone(Numbered(kToClient, n), true);
    uint32_t sent = 0;
    const bool done = StepUntil(
        [&] {
            // Paced as a chat client would be: a few unacknowledged at a time.
            if (sent < 1000 && connection->Reliable().PendingCount() < 8)
                connection->SendReliable(Numbered(kToServer, sent++));
            return sent == 1000 && atClient.size() >= 1000 && NumbersAtServer(kToServer).size() >= 1000 &&
                   connection->Reliable().PendingCount() == 0 && sim->Peer()->AllAcknowledged();
        },
        100000);
    ASSERT_TRUE(done) << "client got " << atClient.size() << ", server got " << NumbersAtServer(kToServer).size();
    EXPECT_EQ(atClient, Sequence(1000));
    EXPECT_EQ(NumbersAtServer(kToServer), Sequence(1000));
    EXPECT_FALSE(Connection::FloodStopped());
    EXPECT_TRUE(sim->Violations().empty());

    // The network really was bad, both ways.
    for (const FaultyLink* link : {&sim->ToServer(), &sim->ToClient()}) {
        EXPECT_GT(link->Tally().lost, 150u);
        EXPECT_GT(link->Tally().duplicated, 150u);
        EXPECT_GT(link->Tally().reordered, 150u);
    }
    RecordProperty("steps", steps);
}

TEST_F(ClientAgainstSimulator, AHundredKilobytePacketCrossesAsBigChunksEachWay)
{
    Connect();
    ASSERT_TRUE(HandshakeDone());
    sim->SetFaults(kBadNetwork, kBadNetwork);

    const Packet toClient = Filled(kBigToClient, 100000);
    std::vector<Packet> atClient;
    connection->SetZoneHandler(kBigToClient, [&](Connection&, const Packet& p) { atClient.push_back(p); });
    sim->SendZone(toClient, true);
    ASSERT_TRUE(StepUntil([&] { return !atClient.empty() && sim->Peer()->AllAcknowledged(); }, 50000));
    ASSERT_EQ(atClient.size(), 1u);
    EXPECT_EQ(atClient[0], toClient);
    EXPECT_TRUE(Connection::BigChunkBuffer().Empty());

    // The client's pieces go out one per 9 ticks, only while in an arena.
    const Packet toServer = Filled(kBigToServer, 100000);
    connection->OnArenaEntered();
    connection->Send(toServer);
    ASSERT_TRUE(StepUntil(
        [&] {
            return !sim->ReceivedOfType(kBigToServer).empty() && connection->Reliable().PendingCount() == 0 &&
                   connection->Reliable().Transfers().empty();
        },
        50000));
    EXPECT_EQ(sim->ReceivedOfType(kBigToServer), std::vector<Packet>{toServer});
    EXPECT_FALSE(Connection::FloodStopped());
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ClientAgainstSimulator, ClustersAndSmallChunksFromTheServerReachTheClientsHandlers)
{
    Connect();
    ASSERT_TRUE(HandshakeDone());
    std::vector<uint32_t> atClient;
    connection->SetZoneHandler(kToClient, [&](Connection&, const Packet& p) { atClient.push_back(p.ReadU32(1)); });
    ASSERT_TRUE(sim->Peer()->SendCluster({Numbered(kToClient, 0), Numbered(kToClient, 1)}, true));
    ASSERT_TRUE(sim->Peer()->SendCluster({Numbered(kToClient, 2)}, false));
    sim->Peer()->SendSmallChunks(Numbered(kToClient, 3), 2, true);
    ASSERT_TRUE(StepUntil([&] { return atClient.size() >= 4 && sim->Peer()->AllAcknowledged(); }, 100));
    EXPECT_EQ(atClient, Sequence(4));
}

TEST_F(ClientAgainstSimulator, AServerDisconnectIsFollowedByAnAutomaticReconnect)
{
    Connect();
    ASSERT_TRUE(HandshakeDone());
    ASSERT_TRUE(RoundTrip());
    const uint32_t firstKey = sim->Peer()->ClientKey();

    sim->Peer()->Disconnect();
    ASSERT_TRUE(StepUntil([this] { return sim->Peer()->ClientLeft(); }, 10));
    EXPECT_TRUE(Shown("Disconnected by Server."));
    EXPECT_TRUE(connection->Connected());
    EXPECT_FALSE(connection->CipherState().Active());

    // The countdown runs 3001 ticks, then a new key exchange starts from scratch.
    const int disconnectedAt = steps;
    ASSERT_TRUE(StepUntil([this] { return sim->Handshakes() == 2; }, 3100));
    EXPECT_NEAR(steps - disconnectedAt, 3001, 3);
    EXPECT_TRUE(Shown("Attempting to ReConnect...."));
    ASSERT_TRUE(HandshakeDone());
    EXPECT_NE(sim->Peer()->ClientKey(), firstKey);
    EXPECT_EQ(connection->CipherState().Key(), 0u - sim->Peer()->ClientKey());

    // Both sides number from 0 again, and traffic flows.
    EXPECT_TRUE(RoundTrip());
    EXPECT_EQ(sim->Peer()->NextOutgoing(), 1u);
    EXPECT_EQ(sim->Peer()->NextExpected(), 1u);
    EXPECT_TRUE(sim->Violations().empty());
}

// A second Connect while the cipher still runs: the client encrypts its key
// request and decrypts the key response with the old key, so it ends up with a
// key the server never chose and nothing gets through again. Disabled until the
// client starts every key exchange in the clear.
TEST_F(ClientAgainstSimulator, DISABLED_AConnectWhileConnectedStartsAFreshKeyExchange)
{
    Connect();
    ASSERT_TRUE(HandshakeDone());
    ASSERT_TRUE(RoundTrip());
    ASSERT_TRUE(connection->OpenSocket());
    connection->BeginConnection();
    ASSERT_TRUE(StepUntil([this] { return sim->Handshakes() == 2; }, 100));
    ASSERT_TRUE(HandshakeDone());
    EXPECT_EQ(connection->CipherState().Key(), sim->Peer()->ServerKey());
    EXPECT_EQ(sim->Peer()->ClientKey() + sim->Peer()->ServerKey(), 0u);
    EXPECT_TRUE(RoundTrip());
}

} // namespace
