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
#include "client/ChatClient.h"
#include "transport/UdpSocket.h"
#include "zone/Chat.h"

#include "support/FakeViews.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
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

constexpr uint64_t kSecond = 100, kMinute = 60 * kSecond, kHour = 60 * kMinute;
constexpr uint64_t kReconnectTicks = 3001;
constexpr uint64_t kNone = UINT64_MAX;
constexpr uint16_t kFirstPlayerId = 2, kLastPlayerId = 480;
const LinkFaults kBusyNetwork{0.1, 0.1, 0.1, 2};
const LinkFaults kServerGone{1.0, 0, 0, 0};

// Heap in use: the sanitizer's own count under AddressSanitizer (it replaces malloc).
size_t HeapInUse()
{
#ifdef QUILLON_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

unsigned long long U(uint64_t n) { return n; }

// One direction of reliable traffic. Messages carry consecutive numbers; each must
// arrive once, in order, and within a connection none may be skipped. Those
// still on their way when their connection ends are lost with it.
struct DeliveryCheck {
    const char* name;
    uint64_t connection = 0, sent = 0, delivered = 0, lost = 0;
    uint32_t next = 1, last = 0; // in flight: next to last
    int problems = 0;

    uint32_t InFlight() const { return last + 1 - next; }
    void ConnectionIs(uint64_t now)
    {
        if (now == connection)
            return;
        lost += InFlight();
        next = last + 1;
        connection = now;
    }
    void Sent(uint32_t number, uint64_t now)
    {
        ConnectionIs(now);
        last = number;
        ++sent;
    }
    void Arrived(uint32_t number)
    {
        ++delivered;
        if (number == next && next <= last)
            ++next;
        else if (++problems <= 10)
            ADD_FAILURE() << name << ": message " << number << " arrived, expected "
                          << (next <= last ? std::to_string(next) : std::string("none"));
    }
};

// The output area: reads the numbers of the messages shown and keeps no text
// (a day of chat would be megabytes, and the heap check leaves it out).
class ReadingView final : public OutputView {
public:
    explicit ReadingView(std::function<void(uint32_t)> onMessage) : onMessage_(std::move(onMessage)) {}

    void AppendStyled(const std::string& text, Rgb) override
    {
        const size_t at = !text.empty() && text[0] == '\n' ? 1 : 0;
        if (text.compare(at, 4, "msg ") == 0)
            onMessage_(uint32_t(std::strtoul(text.c_str() + at + 4, nullptr, 10)));
    }
    bool IsAtEnd() const override { return true; }
    std::string ShownText() const override { return {}; }

private:
    std::function<void(uint32_t)> onMessage_;
};

// The client's UDP socket, watched for what the client sends. The encryption
// request (0x00 0x01) and the core disconnect (0x00 0x07) go out with their two
// bytes in the clear.
class WatchedSocket final : public DatagramSocket {
public:
    std::function<void(const Packet&)> onSend;
    uint64_t sent = 0;

    bool Open(const std::string& host, uint16_t port) override { return socket_.Open(host, port); }
    void Send(const Packet& packet) override
    {
        ++sent;
        if (onSend)
            onSend(packet);
        socket_.Send(packet);
    }
    uint32_t Receive(Packet& packet) override { return socket_.Receive(packet); }
    bool Readable() override { return socket_.Readable(); }

private:
    UdpSocket socket_;
};

// How much of everything one run has: the server drops the client serverDisconnects
// times and is gone for outageTicks `outages` times; fileRounds files are pushed,
// each asked back later.
struct DayPlan {
    uint32_t hours, serverDisconnects, outages, outageTicks, mapChanges, fileRounds;
};

class SimulatedDay {
public:
    explicit SimulatedDay(const DayPlan& plan) : plan_(plan)
    {
        ZoneSimOptions options;
        options.seed = 7;
        sim_ = std::make_unique<ZoneSim>(clock_, options);
        ArenaScript script;
        script.recordsPerPacket = 7;
        for (uint16_t id = kFirstPlayerId; present_.size() < 100; ++id)
            present_[id] = MakePlayer(id);
        script.players = PresentList();
        script.map = SimMap{"day0.lvl", MakeMap(0), std::nullopt, std::nullopt};
        server_ = std::make_unique<ZoneServer>(*sim_, script);

        Settings::Write(settings_, Settings::UserName, "Day Tripper");
        Settings::Write(settings_, Settings::ServerIP, "127.0.0.1");
        Settings::Write(settings_, Settings::ServerPort, std::to_string(sim_->Port()));
        auto socket = std::make_unique<WatchedSocket>();
        socket_ = socket.get();
        socket_->onSend = [this](const Packet& p) { ClientSent(p); };
        client_ = std::make_unique<ChatClient>(view_, users_, settings_, program_, std::move(socket), clock_,
                                               Connection::RandomKeys());
        ScheduleEvents();
    }
    ~SimulatedDay()
    {
        socket_->onSend = nullptr;
        client_.reset();
    }

    void Run()
    {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(sim_->Listening());
        // The user's Connect is not repeated by the client; the trouble starts once it is in.
        client_->Connect();
        ASSERT_TRUE(client_->Link().Connected());
        while (!client_->GetZone().InArena() && ticks_ < kMinute)
            Step();
        ASSERT_TRUE(client_->GetZone().InArena()) << "the first connection failed";
        sim_->SetFaults(kBusyNetwork, kBusyNetwork);

        const uint64_t end = plan_.hours * kHour;
        const uint64_t warmUpEnd = std::min(end / 8, kHour);
        size_t heapAfterWarmUp = 0;
        bool measured = false;
        while (ticks_ < end) {
            Step();
            RunDueEvents();
            if (!measured && ticks_ >= warmUpEnd && client_->GetZone().InArena() && Quiet()) {
                Housekeeping();
                heapAfterWarmUp = HeapInUse();
                measured = true;
            }
        }
        EXPECT_TRUE(measured) << "the client never settled in the arena after the warm-up";
        // The last events get their answers; then a quiet moment to compare with.
        stopped_ = true;
        for (const uint64_t grace = ticks_ + 10 * kMinute; ticks_ < grace && !(client_->GetZone().InArena() && Quiet());) {
            Step();
            RunDueEvents();
        }
        Housekeeping();
        const size_t heapAtEnd = HeapInUse();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        EXPECT_TRUE(client_->GetZone().InArena()) << "not back in the arena at the end of the day";
        EXPECT_TRUE(Quiet()) << "still busy at the end of the day";
        EXPECT_EQ(fromServer_.InFlight(), 0u);
        EXPECT_EQ(fromClient_.InFlight(), 0u);
        EXPECT_TRUE(sim_->Violations().empty()) << sim_->Violations().front();
        // The user list shows exactly who is present, and the user.
        std::vector<std::string> expected = {"Day Tripper"}, shown = users_.Names();
        for (const auto& entry : present_)
            expected.push_back(entry.second.name);
        std::sort(expected.begin(), expected.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, expected);
        // The arena's current map is on disk as the server has it.
        const SimMap& map = *server_->Script().map;
        EXPECT_TRUE(ReadWholeFile(program_ + "Maps/" + map.name) == map.contents) << map.name;

        // A busy day on a bad line: most of the traffic got through, and every
        // disconnect was followed by the countdown's reconnects until the arena
        // was entered again.
        const FaultyLink::Counts& toClient = sim_->ToClient().Tally();
        const FaultyLink::Counts& toServer = sim_->ToServer().Tally();
        for (const FaultyLink::Counts* link : {&toClient, &toServer})
            EXPECT_TRUE(link->lost > 0 && link->duplicated > 0 && link->reordered > 0);
        EXPECT_GT(fromServer_.delivered, fromServer_.sent * 9 / 10);
        EXPECT_GT(fromClient_.delivered, 0u);
        EXPECT_GE(disconnects_, 1u);
        EXPECT_GE(reconnectAttempts_, disconnects_);
        EXPECT_GE(arenaEntries_, 2u);
        EXPECT_LE(arenaEntries_, disconnects_ + 1);
        EXPECT_GT(filesBack_, 0u);

        // The heap, after the warm-up and at the end, both at a quiet moment: the
        // whole process, with the simulator's records, may grow a little.
        const long long growth = (long long)heapAtEnd - (long long)heapAfterWarmUp;
        EXPECT_LT(growth, 64 * 1024) << "heap " << heapAfterWarmUp << " -> " << heapAtEnd << " bytes";

        std::printf("simulated %.1f hours (%llu ticks) in %.1f s\n"
                    "  server to client: %llu messages sent, %llu shown, %llu lost with their connection\n"
                    "  client to server: %llu lines sent, %llu arrived, %llu lost with their connection\n"
                    "  datagrams to client %llu (lost %llu, duplicated %llu, reordered %llu), to server %llu "
                    "(lost %llu, duplicated %llu, reordered %llu)\n"
                    "  disconnects %u, reconnect attempts %u, arena entries %u, maps %u, files sent back %u\n"
                    "  process heap after warm-up %zu bytes, at the end %zu bytes (%+lld)\n",
                    double(ticks_) / kHour, U(ticks_), seconds, U(fromServer_.sent), U(fromServer_.delivered),
                    U(fromServer_.lost), U(fromClient_.sent), U(fromClient_.delivered), U(fromClient_.lost),
                    U(toClient.pushed), U(toClient.lost), U(toClient.duplicated), U(toClient.reordered),
                    U(toServer.pushed), U(toServer.lost), U(toServer.duplicated), U(toServer.reordered), disconnects_,
                    reconnectAttempts_, arenaEntries_, mapNumber_, filesBack_, heapAfterWarmUp, heapAtEnd, growth);
    }

private:
    // --- The frame timer, and the simulator polled between ticks ---

    void Step()
    {
        stamp_ = ++ticks_;
        client_->Step();
        // A poll with nothing sent to the simulator, nothing on the simulated wires
        // and nothing of its own unacknowledged does nothing; skipping it saves
        // most of a day's system calls.
        const SimSession* peer = sim_->Peer();
        if (socket_->sent != sentAtLastPoll_ || sim_->ToServer().Waiting() != 0 || sim_->ToClient().Waiting() != 0 ||
            (peer != nullptr && peer->Connected() && !peer->AllAcknowledged()))
            sim_->Poll();
        sentAtLastPoll_ = socket_->sent;
        clock_.Advance(1);

        // A goodbye with no encryption request behind it was a disconnect.
        if (goodbyeAt_ != kNone) {
            anchor_ = goodbyeAt_;
            goodbyeAt_ = kNone;
            ++disconnects_;
        }
        const bool inArena = client_->GetZone().InArena();
        if (inArena && !wasInArena_) {
            ++arenaEntries_;
            anchor_ = kNone;
        }
        wasInArena_ = inArena;
        if (!inArena && anchor_ != kNone && ticks_ > anchor_ + kReconnectTicks)
            ReconnectProblem("no new connection " + std::to_string(kReconnectTicks) + " ticks after tick " +
                             std::to_string(anchor_));
        fromServer_.ConnectionIs(sim_->Handshakes());
        ReadServerChats();
        if (ticks_ % kSecond == 0)
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
            fromClient_.ConnectionIs(++keyRequests_);
            if (keyRequests_ == 1)
                return; // the user's Connect
            // The countdown's reconnect: a goodbye and a new request in one tick.
            ++reconnectAttempts_;
            const std::string at = "new connection at tick " + std::to_string(stamp_);
            if (goodbyeAt_ != stamp_)
                ReconnectProblem(at + " without the goodbye");
            if (wasInArena_)
                ReconnectProblem(at + " while in the arena");
            // A disconnect received in a tick was marked with that tick, one the
            // countdown does not count yet: the new connection comes 3000 or 3001 after.
            else if (anchor_ == kNone || stamp_ > anchor_ + kReconnectTicks || stamp_ + 1 < anchor_ + kReconnectTicks)
                ReconnectProblem(at + ", " +
                                 (anchor_ == kNone ? std::string("no disconnect before it")
                                                   : std::to_string(stamp_ - anchor_) + " ticks after the last"));
            goodbyeAt_ = kNone;
            anchor_ = stamp_;
        }
    }

    void ReconnectProblem(const std::string& what)
    {
        if (++reconnectProblems_ <= 10)
            ADD_FAILURE() << what;
        anchor_ = kNone;
    }

    // Nothing in flight either way and nothing left to show.
    bool Quiet() const
    {
        const SimSession* peer = sim_->Peer();
        return peer != nullptr && peer->Connected() && peer->AllAcknowledged() &&
               client_->Link().Reliable().PendingCount() == 0 && client_->Link().Reliable().Transfers().empty() &&
               client_->Output().QueuedPieces() == 0 && sim_->ToClient().Waiting() == 0 && sim_->ToServer().Waiting() == 0;
    }

    // What the simulator and the zone server record for tests would grow all day.
    void Housekeeping()
    {
        ReadServerChats();
        for (const HeardFile& file : server_->Files()) {
            ++filesBack_;
            EXPECT_EQ(file.name, "echo.txt");
            EXPECT_TRUE(file.contents == news_) << "the file sent back is not the news pushed last";
        }
        server_->ClearHeard();
        chatsRead_ = 0;
        sim_->ClearReceived();
    }

    // --- The arena ---

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
    static std::string MakeMap(uint32_t seed)
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

    uint64_t Within(uint64_t from, uint64_t span) { return from + (span == 0 ? 0 : random_() % span); }

    // The rare events of the day are spread out with some jitter; the frequent
    // ones (chat, players, the user's lines) come again and again until the day ends.
    void ScheduleEvents()
    {
        const uint64_t end = plan_.hours * kHour;
        auto spread = [&](uint32_t count, std::function<void()> action) {
            const uint64_t slot = end / (count + 1);
            for (uint32_t i = 0; i < count; ++i)
                events_.emplace(Within(slot * (i + 1) - slot / 4, slot / 2), action);
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
            news_ = "News of the hour " + std::to_string(ticks_ / kHour) + "\r\n";
            while (news_.size() < 2500 + random_() % 2000)
                news_ += "Line " + std::to_string(random_()) + " of today's news.\r\n";
            server_->PushFile("news.txt", news_);
            // Asked back once it has surely arrived, from the same connection.
            events_.emplace(ticks_ + 2 * kMinute, [this, handshakes = sim_->Handshakes()] {
                if (SessionOpen() && sim_->Handshakes() == handshakes)
                    server_->RequestFile("news.txt", "echo.txt");
            });
        });
        Repeat(Within(0, 10 * kSecond), 2 * kSecond, 16 * kSecond, [this] { ChatBurst(); });
        Repeat(Within(0, 20 * kSecond), 5 * kSecond, 30 * kSecond, [this] { PlayersMove(); });
        Repeat(Within(0, 2 * kMinute), kMinute, 2 * kMinute, [this] { UserSays(); });
    }
    void Repeat(uint64_t at, uint64_t gap, uint64_t span, std::function<void()> action)
    {
        events_.emplace(at, [=] {
            if (stopped_)
                return;
            action();
            Repeat(Within(ticks_ + gap, span), gap, span, action);
        });
    }
    void RunDueEvents()
    {
        while (!events_.empty() && events_.begin()->first <= ticks_) {
            const auto action = events_.begin()->second;
            events_.erase(events_.begin());
            action();
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
        for (uint32_t i = 0, lines = 3 + random_() % 28; i < lines; ++i) {
            auto speaker = std::next(present_.begin(), long(random_() % present_.size()));
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
        auto leaving = std::next(present_.begin(), long(random_() % present_.size()));
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
            SimPlayer& changing = std::next(present_.begin(), long(random_() % present_.size()))->second;
            changing.ship = uint8_t(random_() % 9);
            changing.frequency = uint16_t(random_() % 4);
            server_->SendShipChange(changing.id, changing.ship, changing.frequency);
            server_->Script().players = PresentList();
        }
    }

    // The user types a line now and then, as the input line would send it.
    void UserSays()
    {
        if (!client_->GetZone().InArena())
            return;
        fromClient_.Sent(++userLineNumber_, keyRequests_);
        SendChat(client_->GetZone(), "say " + std::to_string(userLineNumber_) + " from the user", kChatPublic, 0, true);
    }

    DayPlan plan_;
    std::mt19937 random_{20240601};
    TempDir sandbox_;
    std::string program_ = [this] {
        std::filesystem::create_directories(sandbox_.Path() + "Quillon/");
        return sandbox_.Path() + "Quillon/";
    }();
    DeliveryCheck fromServer_{"server to client"}, fromClient_{"client to server"};
    ReadingView view_{[this](uint32_t number) { fromServer_.Arrived(number); }};
    FakeUserListView users_;
    MemorySettings settings_;
    ManualClock clock_;
    std::unique_ptr<ZoneSim> sim_;
    std::unique_ptr<ZoneServer> server_;
    WatchedSocket* socket_ = nullptr;
    std::unique_ptr<ChatClient> client_;

    uint64_t ticks_ = 0, stamp_ = 0, sentAtLastPoll_ = 0, goodbyeAt_ = kNone, anchor_ = kNone, keyRequests_ = 0;
    bool wasInArena_ = false, stopped_ = false;
    int reconnectProblems_ = 0;
    uint32_t disconnects_ = 0, reconnectAttempts_ = 0, arenaEntries_ = 0, filesBack_ = 0;

    std::multimap<uint64_t, std::function<void()>> events_;
    std::map<uint16_t, SimPlayer> present_;
    uint32_t generation_ = 0, messageNumber_ = 0, userLineNumber_ = 0, mapNumber_ = 0;
    std::string news_;
    size_t chatsRead_ = 0;
};

TEST(SimulatedDay, TwoHoursInABusyArena) { SimulatedDay({2, 2, 1, 100 * kSecond, 2, 3}).Run(); }

// The whole day; registered as the "soak" test.
TEST(SimulatedDay, TwentyFourHoursInABusyArena) { SimulatedDay({24, 8, 2, 100 * kSecond, 8, 12}).Run(); }

} // namespace
