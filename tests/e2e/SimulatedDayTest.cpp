// A day in a busy arena, simulated: the whole client against the zone simulator
// over loopback UDP with 10% loss, duplication and reordering both ways, time
// moved tick by tick on a hand-moved clock. Chat comes in bursts, players come
// and go, the user types now and then, the server drops the client and goes
// away for a while. Checked: every reliable message is delivered once and in
// order, and only what a connection still had in flight when it ended is lost;
// the client finds its way back into the arena after every drop; the player
// list ends as the arena stands; and the heap does not grow.
//
// The normal suite runs two hours; the whole day is the "soak" test.

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
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
size_t HeapInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
#include <malloc.h>
size_t HeapInUse() { return mallinfo2().uordblks; }
#endif

namespace {

constexpr uint64_t kSecond = 100, kMinute = 60 * kSecond, kHour = 60 * kMinute;
const LinkFaults kBusyNetwork{0.1, 0.1, 0.1, 2};
const LinkFaults kServerGone{1.0, 0, 0, 0};

// One direction of reliable traffic. Messages carry consecutive numbers; each must
// arrive once and in order. Those on their way when their connection ends are lost with it.
struct DeliveryCheck {
    const char* name;
    uint64_t connection = 0, sent = 0, delivered = 0;
    uint32_t next = 1, last = 0; // in flight: next to last
    int problems = 0;

    uint32_t InFlight() const { return last + 1 - next; }
    void ConnectionIs(uint64_t now)
    {
        if (now != connection)
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
            ADD_FAILURE() << name << ": message " << number << " arrived, expected " << next;
    }
};

// Reads the numbers of the messages shown and keeps no text.
class ReadingView final : public OutputView {
public:
    explicit ReadingView(std::function<void(uint32_t)> onMessage) : onMessage_(std::move(onMessage)) {}
    void AppendStyled(const std::string& text, Rgb, bool) override
    {
        const size_t at = !text.empty() && text[0] == '\n' ? 1 : 0;
        if (text.compare(at, 4, "msg ") == 0)
            onMessage_(uint32_t(std::strtoul(text.c_str() + at + 4, nullptr, 10)));
    }
    bool IsAtEnd() const override { return true; }
    void RemoveFirst(size_t) override {}

private:
    std::function<void(uint32_t)> onMessage_;
};

// The server drops the client `drops` times and is gone for 100 s `outages` times.
struct DayPlan {
    uint32_t hours, drops, outages;
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
        for (uint16_t id = 2; present_.size() < 100; ++id)
            present_[id] = MakePlayer(id);
        script.players = PresentList();
        server_ = std::make_unique<ZoneServer>(*sim_, script);
        Settings::Write(settings_, Settings::UserName, "Day Tripper");
        Settings::Write(settings_, Settings::ServerIP, "127.0.0.1");
        Settings::Write(settings_, Settings::ServerPort, std::to_string(sim_->Port()));
        // The window's text grows up to its scrollback limit; a small one is reached while warming up.
        Settings::Write(settings_, Settings::WindowScrollback, 500);
        client_ = std::make_unique<ChatClient>(view_, users_, settings_, sandbox_.Path(), std::make_unique<UdpSocket>(),
                                               clock_, Connection::RandomKeys());
    }

    void Run()
    {
        client_->Connect();
        while (!InArena() && ticks_ < kMinute)
            Step();
        ASSERT_TRUE(InArena()) << "the first connection failed";
        sim_->SetFaults(kBusyNetwork, kBusyNetwork);
        Schedule();

        const uint64_t end = plan_.hours * kHour;
        size_t heapAfterWarmUp = 0;
        while (ticks_ < end || !(InArena() && Quiet())) {
            Step();
            if (heapAfterWarmUp == 0 && ticks_ >= std::min(end / 8, kHour) && InArena() && Quiet()) {
                Housekeeping();
                heapAfterWarmUp = HeapInUse();
            }
            ASSERT_LT(ticks_, end + 10 * kMinute) << "not back in a quiet arena at the end of the day";
        }
        Housekeeping();
        const long long growth = (long long)HeapInUse() - (long long)heapAfterWarmUp;

        EXPECT_EQ(fromServer_.InFlight() + fromClient_.InFlight(), 0u);
        EXPECT_TRUE(sim_->Violations().empty()) << sim_->Violations().front();
        std::vector<std::string> expected = {"Day Tripper"}, shown = users_.Names();
        for (const auto& entry : present_)
            expected.push_back(entry.second.name);
        std::sort(expected.begin(), expected.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, expected);
        // Most of the traffic got through a bad line, and every drop was followed by a way back in.
        for (const FaultyLink* link : {&sim_->ToClient(), &sim_->ToServer()})
            EXPECT_TRUE(link->Tally().lost > 0 && link->Tally().duplicated > 0 && link->Tally().reordered > 0);
        EXPECT_GT(fromServer_.delivered, fromServer_.sent * 9 / 10);
        EXPECT_GT(fromClient_.delivered, 0u);
        EXPECT_GE(arenaEntries_, 1 + plan_.drops);
        // Measured at two quiet moments; the simulator's own records may grow a little.
        EXPECT_LT(growth, 64 * 1024) << "heap " << heapAfterWarmUp << " bytes, then " << growth << " more";
        std::printf("%u hours: %llu of %llu messages shown, %llu of %llu lines sent arrived, %u arena entries, "
                    "heap %+lld bytes\n",
                    plan_.hours, (unsigned long long)fromServer_.delivered, (unsigned long long)fromServer_.sent,
                    (unsigned long long)fromClient_.delivered, (unsigned long long)fromClient_.sent, arenaEntries_,
                    growth);
    }

private:
    bool InArena() { return client_->GetZone().InArena(); }
    bool SessionOpen() const { return sim_->Peer() != nullptr && sim_->Peer()->Connected(); }
    // Nothing in flight either way and nothing left to show.
    bool Quiet()
    {
        const Connection& link = client_->Link();
        return SessionOpen() && sim_->Peer()->AllAcknowledged() && link.Reliable().PendingCount() == 0 &&
               link.Reliable().Transfers().empty() && client_->Output().QueuedPieces() == 0 &&
               sim_->ToClient().Waiting() == 0 && sim_->ToServer().Waiting() == 0;
    }

    // The frame timer, the simulator polled between ticks, and what is due.
    void Step()
    {
        ++ticks_;
        client_->Step();
        sim_->Poll();
        clock_.Advance(1);
        if (InArena() && !wasInArena_)
            ++arenaEntries_;
        wasInArena_ = InArena();
        fromServer_.ConnectionIs(sim_->Handshakes());
        fromClient_.ConnectionIs(sim_->Handshakes());
        ReadServerChats();
        if (ticks_ % kSecond == 0)
            Housekeeping();
        while (!events_.empty() && events_.begin()->first <= ticks_) {
            const auto action = events_.begin()->second;
            events_.erase(events_.begin());
            action();
        }
    }
    void ReadServerChats()
    {
        for (; chatsRead_ < server_->Chats().size(); ++chatsRead_) {
            const std::string& text = server_->Chats()[chatsRead_].text;
            if (text.compare(0, 4, "say ") == 0)
                fromClient_.Arrived(uint32_t(std::strtoul(text.c_str() + 4, nullptr, 10)));
        }
    }
    // What the simulator and the zone server record for tests would grow all day.
    void Housekeeping()
    {
        ReadServerChats();
        server_->ClearHeard();
        chatsRead_ = 0;
        sim_->ClearReceived();
    }

    SimPlayer MakePlayer(uint16_t id)
    {
        return SimPlayer{id, "Pilot " + std::to_string(id) + "-" + std::to_string(++generation_), "",
                         uint8_t(random_() % 9), uint16_t(random_() % 4)};
    }
    std::vector<SimPlayer> PresentList() const
    {
        std::vector<SimPlayer> list;
        for (const auto& entry : present_)
            list.push_back(entry.second);
        return list;
    }

    uint64_t Within(uint64_t from, uint64_t span) { return from + random_() % span; }
    // The drops and outages spread over the day; chat, players and the user's lines again and again.
    void Schedule()
    {
        const uint64_t end = plan_.hours * kHour;
        for (uint32_t i = 0; i < plan_.drops; ++i)
            events_.emplace(Within(end * (2 * i + 1) / (2 * plan_.drops), kMinute), [this] {
                if (SessionOpen())
                    sim_->Peer()->Disconnect();
            });
        for (uint32_t i = 0; i < plan_.outages; ++i)
            events_.emplace(Within(end * (3 * i + 1) / (3 * plan_.outages), kMinute), [this] {
                sim_->SetFaults(kServerGone, kServerGone);
                events_.emplace(ticks_ + 100 * kSecond, [this] { sim_->SetFaults(kBusyNetwork, kBusyNetwork); });
            });
        Repeat(2 * kSecond, 16 * kSecond, [this] { ChatBurst(); });
        Repeat(5 * kSecond, 30 * kSecond, [this] { PlayersMove(); });
        Repeat(kMinute, 2 * kMinute, [this] { UserSays(); });
    }
    void Repeat(uint64_t gap, uint64_t span, std::function<void()> action)
    {
        events_.emplace(Within(ticks_ + gap, span), [=] {
            if (ticks_ >= plan_.hours * kHour)
                return;
            action();
            Repeat(gap, span, action);
        });
    }

    // A few to thirty lines at once from players present, mostly public.
    void ChatBurst()
    {
        if (!SessionOpen())
            return;
        static const uint8_t kinds[] = {kChatPublic, kChatPublic, kChatPublic, kChatTeam,
                                        kChatFrequency, kChatPrivate, kChatArena};
        for (uint32_t i = 0, lines = 3 + random_() % 28; i < lines; ++i) {
            const uint16_t speaker = std::next(present_.begin(), long(random_() % present_.size()))->first;
            const uint8_t kind = kinds[random_() % sizeof kinds];
            const uint32_t number = ++messageNumber_;
            server_->SendChat(kind, kind == kChatArena ? 0 : speaker,
                              "msg " + std::to_string(number) + " " + std::string(random_() % 120, 'x'));
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
            id = uint16_t(2 + random_() % 479);
        present_[id] = MakePlayer(id);
        server_->Script().players = PresentList();
        if (!SessionOpen())
            return;
        server_->SendPlayerLeaving(goneId);
        server_->SendPlayersEntering({present_[id]});
        if (random_() % 3 == 0) {
            SimPlayer& changing = std::next(present_.begin(), long(random_() % present_.size()))->second;
            changing.ship = uint8_t(random_() % 9);
            server_->SendShipChange(changing.id, changing.ship, changing.frequency);
            server_->Script().players = PresentList();
        }
    }
    // The user types a line now and then.
    void UserSays()
    {
        if (!InArena())
            return;
        fromClient_.Sent(++userLineNumber_, sim_->Handshakes());
        client_->Submit("say " + std::to_string(userLineNumber_) + " from the user", std::nullopt);
    }

    DayPlan plan_;
    std::mt19937 random_{20240601};
    TempDir sandbox_;
    DeliveryCheck fromServer_{"server to client"}, fromClient_{"client to server"};
    ReadingView view_{[this](uint32_t number) { fromServer_.Arrived(number); }};
    FakeUserListView users_;
    MemorySettings settings_;
    ManualClock clock_;
    std::unique_ptr<ZoneSim> sim_;
    std::unique_ptr<ZoneServer> server_;
    std::unique_ptr<ChatClient> client_;

    uint64_t ticks_ = 0;
    bool wasInArena_ = false;
    uint32_t arenaEntries_ = 0, generation_ = 0, messageNumber_ = 0, userLineNumber_ = 0;
    std::multimap<uint64_t, std::function<void()>> events_;
    std::map<uint16_t, SimPlayer> present_;
    size_t chatsRead_ = 0;
};

TEST(SimulatedDay, TwoHoursInABusyArena) { SimulatedDay({2, 2, 1}).Run(); }

// The whole day; registered as the "soak" test.
TEST(SimulatedDay, TwentyFourHoursInABusyArena) { SimulatedDay({24, 8, 2}).Run(); }

} // namespace
