#include "support/ConnectionHarness.h"

#include "app/SettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using ::testing::ElementsAre;

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountOf(const std::vector<std::string>& lines, const std::string& line)
{
    return int(std::count(lines.begin(), lines.end(), line));
}

bool IsLeaveArena(const Packet& p) { return p.Size() == 7 && p.ReadU8(1) == 0x03 && p.ReadU8(6) == 0x02; }
bool IsCoreDisconnect(const Packet& p) { return p == HexPacket("0007"); }
bool IsEncryptionRequest(const Packet& p) { return p.Size() == 8 && p.ReadU8(0) == 0 && p.ReadU8(1) == 0x01; }

// --- Opening and beginning ---

TEST(ConnectionOpenTest, OpenReadsHostAndPortFromTheSettingsAndReportsTheOutcome)
{
    ConnectionHarness h;
    h->Store().WriteString("Server", "IP", "zone.example");
    h->Store().WriteString("Server", "Port", "5000");
    EXPECT_TRUE(h->OpenSocket());
    EXPECT_EQ(h.socket->openedHost, "zone.example");
    EXPECT_EQ(h.socket->openedPort, 5000);

    h.socket->openSucceeds = false;
    EXPECT_FALSE(h->OpenSocket());
    EXPECT_THAT(h.Lines(), ElementsAre("Initilizing Winsock...", "Successfully Initilized!", "Initilizing Winsock...",
                                       "ERROR: Winsock Fialed to Initilize properly. Check your settings."));
    EXPECT_FALSE(h->Connected());
    EXPECT_TRUE(h.socket->sent.empty());
}

TEST(ConnectionOpenTest, PortIsTheLeadingDigitsKeptToSixteenBits)
{
    ConnectionHarness h;
    const std::vector<std::pair<std::string, uint16_t>> cases = {
        {"", 0}, {"2000abc", 2000}, {"abc", 0}, {" 80", 0}, {"-5", 0}, {"65536", 0}, {"70000", 4464}};
    for (const auto& c : cases) {
        h->Store().WriteString("Server", "Port", c.first);
        h->OpenSocket();
        EXPECT_EQ(h.socket->openedPort, c.second) << "'" << c.first << "'";
    }
    SettingsStore().WriteString("Server", "IP", "");
    h->OpenSocket();
    EXPECT_EQ(h.socket->openedHost, "");
}

TEST(ConnectionOpenTest, BeginConnectionSetsConnectedAndSendsAFreshKeyInTheClear)
{
    ConnectionHarness h;
    h->Store().WriteString("Server", "IP", "10.0.0.1");
    h->Store().WriteString("Server", "Port", "7x");
    std::srand(42);
    const uint32_t first = 0u - uint32_t(std::rand() % 0x7FFFFFFF);
    const uint32_t second = 0u - uint32_t(std::rand() % 0x7FFFFFFF);
    std::srand(42);

    h->BeginConnection();
    h->BeginConnection();

    EXPECT_TRUE(h->Connected());
    EXPECT_THAT(h.Lines(),
                ElementsAre("Connecting to, IP: 10.0.0.1, Port: 7x", "Connecting to, IP: 10.0.0.1, Port: 7x"));
    ASSERT_EQ(h.socket->sent.size(), 2u);
    for (const Packet& request : h.socket->sent) {
        EXPECT_TRUE(IsEncryptionRequest(request)) << ToHex(request);
        EXPECT_EQ(request.ReadU16(6), 1); // protocol version
    }
    EXPECT_EQ(h.socket->sent[0].ReadU32(2), first);
    EXPECT_EQ(h.socket->sent[1].ReadU32(2), second);
}

TEST(ConnectionOpenTest, ConnectWhileConnectedReplacesTheSocketAndSendsTheRequestEncrypted)
{
    ConnectionHarness h;
    h.Handshake(0xCAFEF00D);
    h.TakeSent();
    EXPECT_TRUE(h->OpenSocket());
    h->BeginConnection();
    EXPECT_EQ(h.socket->opens, 2);
    ASSERT_EQ(h.socket->sent.size(), 1u);
    const Packet wire = h.socket->sent[0];
    const std::vector<Packet> plain = h.TakeSent();
    EXPECT_TRUE(IsEncryptionRequest(plain[0]));
    EXPECT_NE(wire, plain[0]);
    EXPECT_TRUE(h->CipherState().Active());
}

// --- The periodic jobs ---

TEST(ConnectionJobTest, JobsStartAsTheTableSaysAndArenaEntryAndChangeSwitchThem)
{
    ConnectionHarness h;
    EXPECT_FALSE(h->JobOn(Connection::kPositionJob));
    EXPECT_FALSE(h->JobOn(Connection::kSyncJob));
    EXPECT_TRUE(h->JobOn(Connection::kResendJob));
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
    EXPECT_TRUE(h->JobOn(Connection::kStatisticsJob));
    EXPECT_FALSE(h->JobOn(Connection::kChunkJob));
    EXPECT_EQ(h->OwnPlayerId(), 512);
    EXPECT_EQ(h->PositionX(), 8192);
    EXPECT_EQ(h->PositionY(), 8192);
    EXPECT_EQ(h->AveragePing(), 0);

    h->SetJob(Connection::kReconnectJob, true);
    h->OnArenaEntered();
    EXPECT_TRUE(h->JobOn(Connection::kPositionJob));
    EXPECT_TRUE(h->JobOn(Connection::kSyncJob));
    EXPECT_TRUE(h->JobOn(Connection::kChunkJob));
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));

    h->SetInArena(true);
    h->SetOwnRecordSeen(true);
    h->SetOwnPlayerId(7);
    h->SetJob(Connection::kReconnectJob, true);
    h->OnArenaChange();
    EXPECT_FALSE(h->JobOn(Connection::kPositionJob));
    EXPECT_FALSE(h->JobOn(Connection::kSyncJob));
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
    EXPECT_TRUE(h->JobOn(Connection::kChunkJob));
    EXPECT_FALSE(h->InArena());
    EXPECT_FALSE(h->OwnRecordSeen());
    EXPECT_EQ(h->OwnPlayerId(), 512);
}

TEST(ConnectionJobTest, AJobWithThresholdNRunsEveryNPlusOneTicks)
{
    ConnectionHarness h;
    Packet settings(Connection::kArenaSettingsSize);
    settings.WriteU16(5, Connection::kPositionIntervalOffset);
    h->StoreArenaSettings(settings);
    int positions = 0;
    std::vector<uint32_t> at;
    h->SetPositionSender([&](Connection& c) {
        ++positions;
        at.push_back(c.Now());
    });
    const uint32_t start = h.clock.Now();
    h->OnArenaEntered();
    h.Ticks(2001);
    EXPECT_EQ(positions, 2001 / 21);
    EXPECT_EQ(at.front() - start, 21u);
    // The synchronisation request goes out on the 2001st tick, directly.
    const std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Size(), 14u);
    EXPECT_EQ(sent[0].ReadU8(1), 0x05);
    EXPECT_EQ(sent[0].ReadU32(2), start + 2001);
}

TEST(ConnectionJobTest, WithoutArenaSettingsThePositionGoesOutEveryTick)
{
    ConnectionHarness h;
    int positions = 0;
    h->SetPositionSender([&](Connection&) { ++positions; });
    h->OnArenaEntered();
    h.Ticks(10);
    EXPECT_EQ(positions, 10);
    EXPECT_FALSE(h->HasArenaSettings());
}

TEST(ConnectionJobTest, ArenaSettingsKeepTheFirst1428BytesAndZeroFillAShortPacket)
{
    ConnectionHarness h;
    Packet shortOne(1300);
    shortOne.WriteU8(0x0F, 0);
    shortOne.WriteU16(12, Connection::kPositionIntervalOffset);
    h->StoreArenaSettings(shortOne);
    EXPECT_EQ(h->ArenaSettings().Size(), Connection::kArenaSettingsSize);
    EXPECT_EQ(h->PositionInterval(), 12);
    EXPECT_EQ(h->ArenaSettings().ReadU8(1378), 0);

    Packet longOne(1500);
    longOne.WriteU8(0xAA, 1427);
    longOne.WriteU8(0xBB, 1428);
    h->StoreArenaSettings(longOne);
    EXPECT_EQ(h->ArenaSettings().Size(), Connection::kArenaSettingsSize);
    EXPECT_EQ(h->ArenaSettings().ReadU8(1427), 0xAA);
    EXPECT_EQ(h->PositionInterval(), 0);
}

// --- Disconnect, reconnect, destruction ---

TEST(ConnectionDisconnectTest, TheUsersDisconnectEndsEverythingAndStopsTheCountdown)
{
    ConnectionHarness h;
    int clears = 0;
    h->SetSessionClearer([&](Connection&) { ++clears; });
    h.Handshake();
    h->OnArenaEntered();
    h->SetInArena(true);
    h->SetOwnRecordSeen(true);
    h->SetJob(Connection::kReconnectJob, true);
    for (int i = 0; i < 20; ++i)
        h->Send(Packet(1200));
    h->SendReliable(HexPacket("0701"));
    h.ServerSends(HexPacket("0003 05000000 0701")); // ahead of its turn, held
    h.TakeSent();
    h.ClearLines();

    h->Disconnect(false, false);

    EXPECT_THAT(h.Lines(), ElementsAre("Disconnecting..."));
    const std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(IsLeaveArena(sent[0])) << ToHex(sent[0]);
    EXPECT_EQ(sent[0].ReadU32(2), 1u); // numbered after the chat line
    EXPECT_TRUE(IsCoreDisconnect(sent[1]));
    EXPECT_TRUE(h->Reliable().Transfers().empty());
    for (Connection::Job job : {Connection::kPositionJob, Connection::kSyncJob, Connection::kResendJob,
                                Connection::kReconnectJob, Connection::kChunkJob})
        EXPECT_FALSE(h->JobOn(job)) << job;
    EXPECT_TRUE(h->JobOn(Connection::kStatisticsJob));
    EXPECT_FALSE(h->CipherState().Active());
    EXPECT_FALSE(h->InArena());
    EXPECT_FALSE(h->OwnRecordSeen());
    EXPECT_EQ(h->Reliable().PendingCount(), 0u);
    EXPECT_EQ(h->Reliable().HeldCount(), 0u);
    EXPECT_EQ(h->Reliable().NextOutgoing(), 0u);
    EXPECT_EQ(h->Reliable().NextExpected(), 0u);
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(h->PacketsSent(), 0u);
    EXPECT_EQ(h->PacketsReceived(), 0u);
    EXPECT_FALSE(h->Connected());

    // Nothing more is read, and no reconnect comes by itself.
    h.Queue(HexPacket("0007"));
    h.Ticks(7000);
    EXPECT_EQ(h.socket->inbox.size(), 1u);
    EXPECT_TRUE(h.TakeSent().empty());
}

TEST(ConnectionDisconnectTest, ADisconnectBeforeAnyConnectionStillSaysSoAndSends)
{
    ConnectionHarness h;
    h->Disconnect(false, false);
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnecting..."));
    const std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(IsLeaveArena(sent[0]));
    EXPECT_TRUE(IsCoreDisconnect(sent[1]));
}

TEST(ConnectionDisconnectTest, AnAutomaticDisconnectKeepsReadingAndReconnectsEvery3001Ticks)
{
    ConnectionHarness h;
    h->Store().WriteString("Server", "IP", "127.0.0.1");
    h->Store().WriteString("Server", "Port", "1");
    h.Handshake();
    h->SendReliable(Packet(600)); // a queued transfer survives a reconnect
    h.TakeSent();
    h.ClearLines();

    h.ServerSends(HexPacket("0007"));
    EXPECT_THAT(h.Lines(), ElementsAre("Disconnected by Server.", "Disconnecting..."));
    EXPECT_TRUE(h->Connected());
    EXPECT_TRUE(h->JobOn(Connection::kReconnectJob));
    EXPECT_EQ(h->Reliable().Transfers().size(), 0u); // the disconnect emptied the queue
    h->SendReliable(Packet(600));
    h.serverCipher.Stop();
    h.TakeSent();

    // Still read while waiting: a synchronisation request is answered.
    h.Queue(HexPacket("0005 10000000"));
    h.Ticks(3000);
    EXPECT_TRUE(h.socket->inbox.empty());
    EXPECT_EQ(h.TakeSent().size(), 1u);
    EXPECT_EQ(h.socket->opens, 1);

    h.ClearLines();
    h.Ticks(1);
    EXPECT_THAT(h.Lines(), ElementsAre("Attempting to ReConnect....", "Connecting to, IP: 127.0.0.1, Port: 1"));
    std::vector<Packet> sent = h.TakeSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(IsLeaveArena(sent[0]));
    EXPECT_TRUE(IsCoreDisconnect(sent[1]));
    EXPECT_TRUE(IsEncryptionRequest(sent[2]));
    EXPECT_EQ(h->Reliable().Transfers().size(), 1u);
    EXPECT_EQ(h.socket->opens, 1); // the socket stays as it is

    h.Ticks(3000);
    EXPECT_TRUE(h.TakeSent().empty());
    h.Ticks(1);
    EXPECT_EQ(h.TakeSent().size(), 3u);

    h->OnArenaEntered();
    h.Ticks(3001);
    for (const Packet& p : h.TakeSent())
        EXPECT_FALSE(IsEncryptionRequest(p));
}

TEST(ConnectionDisconnectTest, DestructionSendsLeaveArenaAndDisconnectWithoutAMessage)
{
    std::vector<Packet> wire;
    {
        ConnectionHarness h;
        h.socket->mirror = &wire;
        h->OnArenaEntered();
        h->SetInArena(true);
        h.connection.reset();
        EXPECT_TRUE(h.Lines().empty());
    }
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_TRUE(IsLeaveArena(wire[0]));
    EXPECT_TRUE(IsCoreDisconnect(wire[1]));
}

// --- The no-data watchdog ---

TEST(ConnectionWatchdogTest, The31stSilentRunInArenaReconnectsAnd3001TicksLaterTheClientConnectsAgain)
{
    ConnectionHarness h;
    h.Handshake();
    h.Ticks(101); // the handshake's bytes count for the first period
    h->SetInArena(true);
    h.ClearLines();

    h.Ticks(30 * 101);
    EXPECT_EQ(Connection::SilentRuns(), 30);
    EXPECT_TRUE(h.Lines().empty());

    h.Ticks(101);
    EXPECT_THAT(h.Lines(), ElementsAre("WARNING: No Data for 30 Seconds.. ReConnecting...", "Disconnecting..."));
    EXPECT_EQ(Connection::SilentRuns(), 0);
    EXPECT_TRUE(h->JobOn(Connection::kReconnectJob));
    EXPECT_TRUE(h->Connected());
    h.serverCipher.Stop();
    h.TakeSent();

    h.Ticks(3000);
    EXPECT_EQ(CountOf(h.Lines(), "Attempting to ReConnect...."), 0);
    h.Ticks(1);
    EXPECT_EQ(CountOf(h.Lines(), "Attempting to ReConnect...."), 1);
    const std::vector<Packet> sent = h.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(IsEncryptionRequest(sent.back()));
}

TEST(ConnectionWatchdogTest, DataOrLeavingTheArenaResetsTheSilentCount)
{
    ConnectionHarness h;
    h.Handshake();
    h.Ticks(101);
    h->SetInArena(true);
    h.Ticks(30 * 101);
    EXPECT_EQ(Connection::SilentRuns(), 30);
    h.Queue(HexPacket("0004 00000000"));
    h.Ticks(101);
    EXPECT_EQ(Connection::SilentRuns(), 0);

    h.Ticks(20 * 101);
    h->SetInArena(false);
    h.Ticks(101);
    EXPECT_EQ(Connection::SilentRuns(), 0);
    h.Ticks(100 * 101);
    EXPECT_EQ(Connection::SilentRuns(), 0);
    EXPECT_FALSE(Contains(h.Lines(), "WARNING: No Data for 30 Seconds.. ReConnecting..."));
}

TEST(ConnectionWatchdogTest, TheSilentCountOutlivesTheConnection)
{
    {
        ConnectionHarness h;
        h->SetInArena(true);
        h.Ticks(5 * 101);
        EXPECT_EQ(Connection::SilentRuns(), 5);
        // The harness resets process state when it goes; a real run keeps it.
        ManualClock clock;
        FakeOutputView view;
        FakeUserListView users;
        ChatOutput output(view, users, h.folder.Path());
        Connection second(output, std::make_unique<FakeSocket>(), clock);
        EXPECT_EQ(Connection::SilentRuns(), 5);
    }
    EXPECT_EQ(Connection::SilentRuns(), 0);
}

// --- Ignore lists, through the Connection ---

TEST(ConnectionIgnoreTest, TogglesAreCaseInsensitiveAndThePermanentListIsSaved)
{
    ConnectionHarness h;
    EXPECT_FALSE(h->IsIgnored("Bob"));
    h->ToggleIgnore("Bob");
    EXPECT_TRUE(h->IsIgnored("bOB"));
    h->TogglePermIgnore("Eve");
    EXPECT_TRUE(h->IsIgnored("EVE"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Ignore.txt"), "Eve\r\n");
    h->ToggleIgnore("BOB");
    EXPECT_FALSE(h->IsIgnored("Bob"));
    EXPECT_THAT(h.Lines(), ElementsAre("Ignoring: Bob", "Perm Ignoring: Eve", "Listening: BOB"));
}

TEST(ConnectionIgnoreTest, WithoutAProgramFolderNothingIsIgnored)
{
    ManualClock clock;
    FakeOutputView view;
    FakeUserListView users;
    TempHome home;
    ChatOutput output(view, users, home.Path());
    Connection c(output, std::make_unique<FakeSocket>(), clock);
    c.ToggleIgnore("x");
    EXPECT_FALSE(c.IsIgnored("x"));
    EXPECT_EQ(c.Folder(), nullptr);
}

} // namespace
