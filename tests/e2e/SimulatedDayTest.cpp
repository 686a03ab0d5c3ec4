// A day in a busy arena, simulated: the client core against the zone simulator
// over loopback UDP with 10% loss, duplication and reordering both ways, time
// moved tick by tick on a hand-moved clock. Chat comes in bursts, a hundred
// players come and go, maps and files travel both ways, the server drops the
// client now and then and goes away altogether twice. Checked throughout:
// every reliable message is delivered once and in order, and whatever a
// connection still had in flight when it ended is the only thing lost; after
// every disconnect a new connection is begun every 3001 ticks until the arena
// is entered again; and the heap, the shown text aside, does not grow.
//
// The full day is long for a sanitizer build; the normal suite runs two hours
// of the same arena, and the day runs in the "soak" test (normal builds only).

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/SettingsStore.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "transport/UdpSocket.h"
#include "zone/Chat.h"
#include "zone/ZoneSession.h"
#include "zone/ZoneStartup.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define QUILLON_ASAN 1
#endif
#ifdef QUILLON_ASAN
// From the sanitizer's allocator interface (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#else
#include <malloc.h>
#endif

namespace {

constexpr uint32_t kTicksPerSecond = 100;
constexpr uint32_t kTicksPerMinute = 60 * kTicksPerSecond;
constexpr uint32_t kTicksPerHour = 60 * kTicksPerMinute;
constexpr uint32_t kReconnectTicks = 3001;
constexpr uint16_t kOwnId = 1;
constexpr size_t kPlayersPresent = 100;
constexpr uint16_t kFirstPlayerId = 2;
constexpr uint16_t kLastPlayerId = 480;
const LinkFaults kBusyNetwork{0.1, 0.1, 0.1, 2};
const LinkFaults kServerGone{1.0, 0, 0, 0};

// --- What the client itself holds on the heap ---
//
// Every allocation of this test program carries a note of whether the client's
// code was running when it was made (the frame timer's steps, a typed line),
// and what is still held of those is counted. The simulator, the zone server and
// the test's own bookkeeping hold memory too, and their record-keeping grows
// with the busiest moment so far; this count leaves them out.
bool g_clientRunning = false;
size_t g_clientHeap = 0;

struct alignas(alignof(std::max_align_t)) AllocationNote {
    size_t size;
    bool client;
};

// While it lives, what is allocated is the client's.
class ClientRunning {
public:
    ClientRunning() : was_(g_clientRunning) { g_clientRunning = true; }
    ~ClientRunning() { g_clientRunning = was_; }
    ClientRunning(const ClientRunning&) = delete;
    ClientRunning& operator=(const ClientRunning&) = delete;

private:
    bool was_;
};

// Heap in use: the sanitizer's own count under AddressSanitizer (it replaces malloc).
size_t HeapInUse()
{
#ifdef QUILLON_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// One direction of reliable traffic. Messages carry increasing numbers; each must
// arrive once, in order, and within a connection none may be skipped. Those
// still on their way when their connection ends are lost with it.
class DeliveryCheck {
public:
    explicit DeliveryCheck(std::string name) : name_(std::move(name)) {}

    void ConnectionIs(uint64_t connection)
    {
        if (connection == connection_)
            return;
        lost_ += pending_.size();
        pending_.clear();
        connection_ = connection;
    }
    void Sent(uint32_t number, uint64_t connection)
    {
        ConnectionIs(connection);
        pending_.push_back(number);
        ++sent_;
    }
    void Arrived(uint32_t number)
    {
        ++delivered_;
        if (!pending_.empty() && pending_.front() == number) {
            pending_.pop_front();
            return;
        }
        if (problems_.size() < 10)
            problems_.push_back(name_ + ": message " + std::to_string(number) + " arrived, expected " +
                                (pending_.empty() ? std::string("none") : std::to_string(pending_.front())));
    }

    const std::vector<std::string>& Problems() const { return problems_; }
    uint64_t Sent() const { return sent_; }
    uint64_t Delivered() const { return delivered_; }
    uint64_t Lost() const { return lost_; }
    size_t InFlight() const { return pending_.size(); }

private:
    std::string name_;
    std::deque<uint32_t> pending_;
    uint64_t connection_ = 0;
    uint64_t sent_ = 0, delivered_ = 0, lost_ = 0;
    std::vector<std::string> problems_;
};

// The output area: reads the numbers of the messages shown and keeps no text
// (a day of chat would be megabytes, and the heap check leaves it out).
class ReadingView final : public OutputView {
public:
    explicit ReadingView(std::function<void(uint32_t)> onMessage) : onMessage_(std::move(onMessage)) {}

    void AppendStyled(const std::string& text, Rgb) override
    {
        ++pieces;
        const size_t at = !text.empty() && text[0] == '\n' ? 1 : 0;
        if (text.compare(at, 4, "msg ") == 0)
            onMessage_(uint32_t(std::strtoul(text.c_str() + at + 4, nullptr, 10)));
    }
    bool IsAtEnd() const override { return true; }
    std::string ShownText() const override { return {}; }

    uint64_t pieces = 0;

private:
    std::function<void(uint32_t)> onMessage_;
};

// The client's UDP socket, watched: what the client sends, when, and from which
// step of the frame timer. The encryption request (0x00 0x01) and the core
// disconnect (0x00 0x07) go out with their two bytes in the clear.
class WatchedSocket final : public DatagramSocket {
public:
    std::function<void(const Packet&)> onSend;

    bool Open(const std::string& host, uint16_t port) override { return socket_.Open(host, port); }
    void Send(const Packet& packet) override
    {
        ++sent;
        if (onSend)
            onSend(packet);
        socket_.Send(packet);
    }
    uint32_t Receive(Packet& packet) override
    {
        ++received;
        return socket_.Receive(packet);
    }
    bool Readable() override { return socket_.Readable(); }

    uint64_t sent = 0;
    uint64_t received = 0;

private:
    UdpSocket socket_;
};

// How much of everything one run has.
struct DayPlan {
    uint32_t hours;
    uint32_t serverDisconnects;
    uint32_t outages; // the server gone for outageTicks, then back
    uint32_t outageTicks;
    uint32_t mapChanges;
    uint32_t fileRounds; // a file pushed, and later asked back
};

struct Figures {
    double seconds = 0;
    uint64_t ticks = 0;
    size_t heapAfterWarmUp = 0;
    size_t heapAtEnd = 0;
    size_t clientHeapAfterWarmUp = 0;
    size_t clientHeapAtEnd = 0;
    uint32_t disconnects = 0;
    uint32_t reconnectAttempts = 0;
    uint32_t arenaEntries = 0;
    uint32_t mapsLoaded = 0;
    uint32_t filesBack = 0;
};

class SimulatedDay {
public:
    explicit SimulatedDay(const DayPlan& plan)
        : plan_(plan), random_(20240601), fromServer_("server to client"), fromClient_("client to server")
    {
        Connection::ResetProcessStateForTests();
        ZoneSimOptions options;
        options.seed = 7;
        sim_ = std::make_unique<ZoneSim>(clock_, options);
        server_ = std::make_unique<ZoneServer>(*sim_, Script());

        SettingsStore settings;
        settings.WriteString("User", "Name", "Day Tripper");
        settings.WriteString("Server", "IP", "127.0.0.1");
        settings.WriteString("Server", "Port", std::to_string(sim_->Port()));

        auto socket = std::make_unique<WatchedSocket>();
        socket_ = socket.get();
        socket_->onSend = [this](const Packet& p) { ClientSent(p); };
        connection_ = std::make_unique<Connection>(output_, std::move(socket), clock_);
        StartZone(*connection_, program_);
        ScheduleEvents();
    }
    ~SimulatedDay()
    {
        socket_->onSend = nullptr;
        connection_.reset();
        Connection::ResetProcessStateForTests();
    }

    Figures Run()
    {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(sim_->Listening());
        {
            ClientRunning client;
            EXPECT_TRUE(connection_->OpenSocket());
            // The user's Connect is not repeated by the client; the trouble starts once it is in.
            connection_->BeginConnection();
        }
        while (!connection_->InArena() && ticks_ < kTicksPerMinute)
            Step();
        EXPECT_TRUE(connection_->InArena()) << "the first connection failed";
        sim_->SetFaults(kBusyNetwork, kBusyNetwork);

        const uint64_t end = uint64_t(plan_.hours) * kTicksPerHour;
        const uint64_t warmUpEnd = std::min<uint64_t>(end / 8, kTicksPerHour);
        bool measured = false;
        while (ticks_ < end) {
            Step();
            RunDueEvents();
            if (!measured && ticks_ >= warmUpEnd && connection_->InArena() && Quiet()) {
                Housekeeping();
                figures_.heapAfterWarmUp = HeapInUse();
                figures_.clientHeapAfterWarmUp = g_clientHeap;
                measured = true;
            }
        }
        EXPECT_TRUE(measured) << "the client never settled in the arena after the warm-up";
        // The last events get their answers; then a quiet moment to compare with.
        nextChatBurst_ = nextPlayerMove_ = nextUserLine_ = UINT64_MAX;
        const uint64_t grace = ticks_ + 10 * kTicksPerMinute;
        while (ticks_ < grace && !(connection_->InArena() && Quiet()))
            Step();
        Housekeeping();
        figures_.heapAtEnd = HeapInUse();
        figures_.clientHeapAtEnd = g_clientHeap;
        figures_.ticks = ticks_;
        figures_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        CheckTheEnd();
        return figures_;
    }

    const DeliveryCheck& FromServer() const { return fromServer_; }
    const DeliveryCheck& FromClient() const { return fromClient_; }
    const std::vector<std::string>& ReconnectProblems() const { return reconnectProblems_; }
    const ZoneSim& Sim() const { return *sim_; }

private:
    // --- The frame timer, and the simulator polled between ticks ---

    void Step()
    {
        {
            ClientRunning client;
            stamp_ = ticks_; // what the client sends while receiving counts from the last tick
            if (connection_->PollReadable())
                connection_->ReceiveOne();
            ++ticks_;
            stamp_ = ticks_;
            connection_->Tick();
            output_.FlushOneLine();
        }
        if (SimHasWork())
            sim_->Poll();
        clock_.Advance(1);
        AfterStep();
    }

    // A poll with nothing sent to the simulator, nothing on the simulated wires
    // and nothing of its own unacknowledged does nothing; skipping it saves
    // most of a day's system calls.
    bool SimHasWork()
    {
        const bool clientSent = socket_->sent != sentAtLastPoll_;
        sentAtLastPoll_ = socket_->sent;
        const SimSession* peer = sim_->Peer();
        return clientSent || sim_->ToServer().Waiting() != 0 || sim_->ToClient().Waiting() != 0 ||
               (peer != nullptr && peer->Connected() && !peer->AllAcknowledged());
    }

    void AfterStep()
    {
        // A goodbye with no encryption request behind it was a disconnect.
        if (goodbyeAt_ != kNone) {
            anchor_ = goodbyeAt_;
            goodbyeAt_ = kNone;
            ++figures_.disconnects;
        }
        const bool inArena = connection_->InArena();
        if (inArena && !wasInArena_) {
            ++figures_.arenaEntries;
            anchor_ = kNone;
        }
        wasInArena_ = inArena;
        if (!inArena && anchor_ != kNone && ticks_ > anchor_ + kReconnectTicks)
            ReconnectProblem("no new connection " + std::to_string(kReconnectTicks) + " ticks after tick " +
                             std::to_string(anchor_));
        fromServer_.ConnectionIs(sim_->Handshakes());
        ReadServerChats();
        if (ticks_ % kTicksPerSecond == 0)
            Housekeeping();
    }

    void ReadServerChats()
    {
        for (; chatsRead_ < server_->Chats().size(); ++chatsRead_) {
            const std::string& text = server_->Chats()[chatsRead_].text;
            if (text.compare(0, 4, "say ") == 0)
                fromClient_.Arrived(uint32_t(std::strtoul(text.c_str() + 4, nullptr, 10)));
        }
    }

    void ClientSent(const Packet& packet)
    {
        if (packet.Size() < 2 || packet.ReadU8(0) != 0x00)
            return;
        if (packet.ReadU8(1) == 0x07) {
            goodbyeAt_ = stamp_;
        } else if (packet.ReadU8(1) == 0x01) {
            ++keyRequests_;
            fromClient_.ConnectionIs(keyRequests_);
            if (keyRequests_ == 1)
                return; // the user's Connect
            // The countdown's reconnect: a goodbye and a new request in one tick.
            ++figures_.reconnectAttempts;
            if (goodbyeAt_ != stamp_)
                ReconnectProblem("encryption request at tick " + std::to_string(stamp_) + " without the goodbye");
            if (wasInArena_)
                ReconnectProblem("new connection at tick " + std::to_string(stamp_) + " while in the arena");
            else if (anchor_ == kNone || stamp_ != anchor_ + kReconnectTicks)
                ReconnectProblem("new connection at tick " + std::to_string(stamp_) + ", " +
                                 (anchor_ == kNone ? std::string("no disconnect before it")
                                                   : std::to_string(stamp_ - anchor_) + " ticks after the last"));
            goodbyeAt_ = kNone;
            anchor_ = stamp_;
        }
    }

    void ReconnectProblem(const std::string& what)
    {
        if (reconnectProblems_.size() < 10)
            reconnectProblems_.push_back(what);
        anchor_ = kNone;
    }

    // Nothing in flight either way and nothing left to show.
    bool Quiet() const
    {
        const SimSession* peer = sim_->Peer();
        return peer != nullptr && peer->Connected() && peer->AllAcknowledged() &&
               connection_->Reliable().PendingCount() == 0 && connection_->Reliable().Transfers().empty() &&
               output_.QueuedPieces() == 0 && sim_->ToClient().Waiting() == 0 && sim_->ToServer().Waiting() == 0;
    }

    // What the simulator and the zone server record for tests would grow all day.
    void Housekeeping()
    {
        ReadServerChats();
        for (const HeardFile& file : server_->Files()) {
            ++figures_.filesBack;
            EXPECT_EQ(file.name, "echo.txt");
            EXPECT_TRUE(file.contents == news_) << "the file sent back is not the news pushed last";
        }
        server_->ClearHeard();
        chatsRead_ = 0;
        sim_->ClearReceived();
    }

    // --- The arena ---

    ArenaScript Script()
    {
        ArenaScript script;
        script.ownId = kOwnId;
        script.recordsPerPacket = 7;
        for (uint16_t id = kFirstPlayerId; present_.size() < kPlayersPresent; ++id)
            present_[id] = MakePlayer(id);
        script.players = PresentList();
        script.map = SimMap{"day0.lvl", MakeMap(0), std::nullopt, std::nullopt};
        return script;
    }

    SimPlayer MakePlayer(uint16_t id)
    {
        SimPlayer p;
        p.id = id;
        p.name = "Pilot " + std::to_string(id) + "-" + std::to_string(++generation_);
        p.squad = generation_ % 3 == 0 ? "Squad" : "";
        p.ship = uint8_t(random_() % 9);
        p.frequency = uint16_t(random_() % 4);
        return p;
    }

    std::vector<SimPlayer> PresentList() const
    {
        std::vector<SimPlayer> list;
        for (const auto& entry : present_)
            list.push_back(entry.second);
        return list;
    }

    std::string MakeMap(uint32_t seed)
    {
        std::mt19937 random(seed + 1);
        std::string bytes;
        for (int i = 0; i < 3000; ++i) {
            const uint32_t record = (random() % 1024) | (random() % 1024) << 12 | (1 + random() % 190) << 24;
            for (int b = 0; b < 4; ++b)
                bytes += char((record >> (8 * b)) & 0xFF);
        }
        return bytes;
    }

    bool SessionOpen() const { return sim_->Peer() != nullptr && sim_->Peer()->Connected(); }

    // --- Events ---

    static constexpr uint64_t kNone = UINT64_MAX;

    uint64_t Within(uint64_t from, uint64_t span) { return from + (span == 0 ? 0 : random_() % span); }

    // The rare events of the day, spread out with some jitter; the frequent ones
    // (chat, players, the user's lines) are drawn as the day goes.
    void ScheduleEvents()
    {
        const uint64_t end = uint64_t(plan_.hours) * kTicksPerHour;
        auto spread = [&](uint32_t count, std::function<void()> action) {
            for (uint32_t i = 0; i < count; ++i) {
                const uint64_t slot = end / (count + 1);
                events_.emplace(Within(slot * (i + 1) - slot / 4, slot / 2), action);
            }
        };
        spread(plan_.serverDisconnects, [this] {
            if (SessionOpen())
                sim_->Peer()->Disconnect();
        });
        spread(plan_.outages, [this] {
            sim_->SetFaults(kServerGone, kServerGone);
            events_.emplace(ticks_ + plan_.outageTicks, [this] { sim_->SetFaults(kBusyNetwork, kBusyNetwork); });
        });
        spread(plan_.mapChanges, [this] {
            ++mapNumber_;
            server_->Script().map = SimMap{"day" + std::to_string(mapNumber_ % 3) + ".lvl", MakeMap(mapNumber_),
                                           std::nullopt, std::nullopt};
            if (SessionOpen())
                server_->SendMapInformation(*server_->Script().map);
        });
        spread(plan_.fileRounds, [this] {
            if (!SessionOpen())
                return;
            news_ = "News of the hour " + std::to_string(ticks_ / kTicksPerHour) + "\r\n";
            while (news_.size() < 2500 + random_() % 2000)
                news_ += "Line " + std::to_string(random_()) + " of today's news.\r\n";
            server_->PushFile("news.txt", news_);
            // Asked back once it has surely arrived, from the same connection.
            const uint32_t handshakes = sim_->Handshakes();
            events_.emplace(ticks_ + 2 * kTicksPerMinute, [this, handshakes] {
                if (SessionOpen() && sim_->Handshakes() == handshakes)
                    server_->RequestFile("news.txt", "echo.txt");
            });
        });
        nextChatBurst_ = Within(0, 10 * kTicksPerSecond);
        nextPlayerMove_ = Within(0, 20 * kTicksPerSecond);
        nextUserLine_ = Within(0, 2 * kTicksPerMinute);
    }

    void RunDueEvents()
    {
        while (!events_.empty() && events_.begin()->first <= ticks_) {
            const auto action = events_.begin()->second;
            events_.erase(events_.begin());
            action();
        }
        if (ticks_ >= nextChatBurst_) {
            ChatBurst();
            nextChatBurst_ = Within(ticks_ + 2 * kTicksPerSecond, 16 * kTicksPerSecond);
        }
        if (ticks_ >= nextPlayerMove_) {
            PlayersMove();
            nextPlayerMove_ = Within(ticks_ + 5 * kTicksPerSecond, 30 * kTicksPerSecond);
        }
        if (ticks_ >= nextUserLine_) {
            UserSays();
            nextUserLine_ = Within(ticks_ + kTicksPerMinute, 2 * kTicksPerMinute);
        }
    }

    // A few to thirty lines at once, from players present, in the kinds a busy
    // arena has: public mostly, some team, frequency and private, arena notices.
    void ChatBurst()
    {
        if (!SessionOpen())
            return;
        static const uint8_t kinds[] = {kChatPublic, kChatPublic,    kChatPublic,  kChatPublic,
                                        kChatTeam,   kChatFrequency, kChatPrivate, kChatArena};
        const uint32_t lines = 3 + random_() % 28;
        for (uint32_t i = 0; i < lines; ++i) {
            auto speaker = present_.begin();
            std::advance(speaker, random_() % present_.size());
            const uint8_t kind = kinds[random_() % (sizeof kinds)];
            const uint32_t number = ++messageNumber_;
            std::string text = "msg " + std::to_string(number) + " ";
            text.append(random_() % 120, char('a' + number % 26));
            server_->SendChat(kind, kind == kChatArena ? 0 : speaker->first, text);
            fromServer_.Sent(number, sim_->Handshakes());
        }
    }

    // One leaves, one comes; now and then somebody changes ship or frequency.
    void PlayersMove()
    {
        auto leaving = present_.begin();
        std::advance(leaving, random_() % present_.size());
        const uint16_t goneId = leaving->first;
        present_.erase(leaving);
        uint16_t id = goneId;
        while (present_.count(id) != 0 || id == goneId)
            id = uint16_t(kFirstPlayerId + random_() % (kLastPlayerId - kFirstPlayerId + 1));
        present_[id] = MakePlayer(id);
        server_->Script().players = PresentList();
        if (!SessionOpen())
            return;
        server_->SendPlayerLeaving(goneId);
        server_->SendPlayersEntering({present_[id]});
        if (random_() % 3 == 0) {
            auto changing = present_.begin();
            std::advance(changing, random_() % present_.size());
            changing->second.ship = uint8_t(random_() % 9);
            changing->second.frequency = uint16_t(random_() % 4);
            server_->SendShipChange(changing->first, changing->second.ship, changing->second.frequency);
            server_->Script().players = PresentList();
        }
    }

    // The user types a line now and then, as the input line would send it.
    void UserSays()
    {
        if (!connection_->InArena())
            return;
        const uint32_t number = ++userLineNumber_;
        fromClient_.Sent(number, keyRequests_);
        const std::string line = "say " + std::to_string(number) + " from the user";
        ClientRunning client;
        SendChat(*connection_, line, kChatPublic, 0, true);
    }

    // --- At the end ---

    void CheckTheEnd()
    {
        EXPECT_TRUE(connection_->InArena()) << "not back in the arena at the end of the day";
        EXPECT_TRUE(Quiet()) << "still busy at the end of the day";
        EXPECT_EQ(fromServer_.InFlight(), 0u);
        EXPECT_EQ(fromClient_.InFlight(), 0u);
        EXPECT_TRUE(sim_->Violations().empty()) << sim_->Violations().front();

        // The user list shows exactly who is present, and the user.
        std::vector<std::string> expected = {"Day Tripper"};
        for (const auto& entry : present_)
            expected.push_back(entry.second.name);
        std::vector<std::string> shown = users_.Names();
        std::sort(expected.begin(), expected.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, expected);

        // The arena's current map is on disk as the server has it.
        const SimMap& map = *server_->Script().map;
        EXPECT_TRUE(ReadWholeFile(program_ + "Maps/" + map.name) == map.contents) << map.name;
        figures_.mapsLoaded = mapNumber_;
    }

    DayPlan plan_;
    std::mt19937 random_;
    TempHome home_;
    TempDir sandbox_;
    std::string program_ = [this] {
        std::filesystem::create_directories(sandbox_.Path() + "Quillon/");
        return sandbox_.Path() + "Quillon/";
    }();
    DeliveryCheck fromServer_;
    DeliveryCheck fromClient_;
    ReadingView view_{[this](uint32_t number) { fromServer_.Arrived(number); }};
    FakeUserListView users_;
    ChatOutput output_{view_, users_, program_};
    ManualClock clock_;
    std::unique_ptr<ZoneSim> sim_;
    std::unique_ptr<ZoneServer> server_;
    WatchedSocket* socket_ = nullptr;
    std::unique_ptr<Connection> connection_;

    uint64_t ticks_ = 0;
    uint64_t stamp_ = 0;
    uint64_t sentAtLastPoll_ = 0;
    uint64_t goodbyeAt_ = kNone;
    uint64_t anchor_ = kNone;
    bool wasInArena_ = false;
    uint64_t keyRequests_ = 0;
    std::vector<std::string> reconnectProblems_;

    std::multimap<uint64_t, std::function<void()>> events_;
    uint64_t nextChatBurst_ = kNone, nextPlayerMove_ = kNone, nextUserLine_ = kNone;
    std::map<uint16_t, SimPlayer> present_;
    uint32_t generation_ = 0;
    uint32_t messageNumber_ = 0;
    uint32_t userLineNumber_ = 0;
    uint32_t mapNumber_ = 0;
    std::string news_;
    size_t chatsRead_ = 0;
    Figures figures_;
};

void RunDay(const DayPlan& plan)
{
    SimulatedDay day(plan);
    const Figures f = day.Run();
    for (const std::string& problem : day.FromServer().Problems())
        ADD_FAILURE() << problem;
    for (const std::string& problem : day.FromClient().Problems())
        ADD_FAILURE() << problem;
    for (const std::string& problem : day.ReconnectProblems())
        ADD_FAILURE() << problem;

    // A busy day: most of the traffic got through, and every disconnect was
    // followed by the countdown's reconnects until the arena was entered again.
    EXPECT_GT(day.FromServer().Delivered(), day.FromServer().Sent() * 9 / 10);
    EXPECT_GT(day.FromClient().Delivered(), 0u);
    EXPECT_GE(f.disconnects, 1u);
    EXPECT_GE(f.reconnectAttempts, f.disconnects);
    EXPECT_GE(f.arenaEntries, 2u);
    EXPECT_LE(f.arenaEntries, f.disconnects + 1);
    EXPECT_GT(f.filesBack, 0u);

    // The heap, after the warm-up and at the end, both at a quiet moment: what
    // the client holds may not grow at all beyond a few odd bytes (a name that
    // came back longer, a container that met a bigger moment); the whole
    // process, with the simulator's records, a little.
    const long long clientGrowth =
        static_cast<long long>(f.clientHeapAtEnd) - static_cast<long long>(f.clientHeapAfterWarmUp);
    EXPECT_LT(clientGrowth, 4 * 1024) << "client heap " << f.clientHeapAfterWarmUp << " -> " << f.clientHeapAtEnd;
    const long long growth = static_cast<long long>(f.heapAtEnd) - static_cast<long long>(f.heapAfterWarmUp);
    EXPECT_LT(growth, 64 * 1024) << "heap " << f.heapAfterWarmUp << " -> " << f.heapAtEnd << " bytes";

    const auto& toClient = day.Sim().ToClient().Tally();
    const auto& toServer = day.Sim().ToServer().Tally();
    std::printf("simulated %.1f hours (%llu ticks) in %.1f s\n"
                "  server to client: %llu messages sent, %llu shown, %llu lost with their connection\n"
                "  client to server: %llu lines sent, %llu arrived, %llu lost with their connection\n"
                "  datagrams to client %llu (lost %llu, duplicated %llu, reordered %llu), to server %llu "
                "(lost %llu, duplicated %llu, reordered %llu)\n"
                "  disconnects %u, reconnect attempts %u, arena entries %u, maps %u, files sent back %u\n"
                "  client's heap after warm-up %zu bytes, at the end %zu bytes (%+lld)\n"
                "  process heap after warm-up %zu bytes, at the end %zu bytes (%+lld)\n",
                double(f.ticks) / kTicksPerHour, static_cast<unsigned long long>(f.ticks), f.seconds,
                static_cast<unsigned long long>(day.FromServer().Sent()),
                static_cast<unsigned long long>(day.FromServer().Delivered()),
                static_cast<unsigned long long>(day.FromServer().Lost()),
                static_cast<unsigned long long>(day.FromClient().Sent()),
                static_cast<unsigned long long>(day.FromClient().Delivered()),
                static_cast<unsigned long long>(day.FromClient().Lost()),
                static_cast<unsigned long long>(toClient.pushed), static_cast<unsigned long long>(toClient.lost),
                static_cast<unsigned long long>(toClient.duplicated),
                static_cast<unsigned long long>(toClient.reordered), static_cast<unsigned long long>(toServer.pushed),
                static_cast<unsigned long long>(toServer.lost), static_cast<unsigned long long>(toServer.duplicated),
                static_cast<unsigned long long>(toServer.reordered), f.disconnects, f.reconnectAttempts, f.arenaEntries,
                f.mapsLoaded, f.filesBack, f.clientHeapAfterWarmUp, f.clientHeapAtEnd, clientGrowth, f.heapAfterWarmUp,
                f.heapAtEnd, growth);
}

TEST(SimulatedDay, TwoHoursInABusyArena) { RunDay({2, 2, 1, 100 * kTicksPerSecond, 2, 3}); }

// The whole day; registered as the "soak" test.
TEST(SimulatedDay, TwentyFourHoursInABusyArena) { RunDay({24, 8, 2, 100 * kTicksPerSecond, 8, 12}); }

} // namespace

// The replaceable allocation functions, noting the owner of each block in front of it.
void* operator new(size_t size)
{
    void* raw = std::malloc(sizeof(AllocationNote) + size);
    if (raw == nullptr)
        throw std::bad_alloc();
    auto* note = static_cast<AllocationNote*>(raw);
    note->size = size;
    note->client = g_clientRunning;
    if (note->client)
        g_clientHeap += size;
    return note + 1;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void operator delete(void* block) noexcept
{
    if (block == nullptr)
        return;
    auto* note = static_cast<AllocationNote*>(block) - 1;
    if (note->client)
        g_clientHeap -= note->size;
    std::free(note);
}
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete(void* block, size_t) noexcept { operator delete(block); }
void operator delete[](void* block, size_t) noexcept { operator delete(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { operator delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { operator delete(block); }
