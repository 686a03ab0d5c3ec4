#include "DemoZone.h"

namespace {

SimPlayer DemoPlayer(uint16_t id, const std::string& name, uint16_t frequency, uint8_t ship)
{
    SimPlayer player;
    player.id = id;
    player.name = name;
    player.squad = "Demo";
    player.frequency = frequency;
    player.ship = ship;
    return player;
}

// A 64 x 64 square of wall tiles with a gap in each side.
std::string DemoMap()
{
    std::string bytes;
    auto tile = [&bytes](uint32_t x, uint32_t y, uint32_t number) {
        const uint32_t record = x | (y << 12) | (number << 24);
        for (int i = 0; i < 4; ++i)
            bytes += char((record >> (8 * i)) & 0xFF);
    };
    for (uint32_t i = 480; i < 544; ++i) {
        if (i >= 508 && i < 516)
            continue;
        tile(i, 480, 1);
        tile(i, 543, 1);
        tile(480, i, 1);
        tile(543, i, 1);
    }
    return bytes;
}

} // namespace

ArenaScript DemoArena()
{
    ArenaScript script;
    script.ownId = 1;
    script.positionInterval = 25;
    script.reliableChat = 1;
    script.players = {DemoPlayer(2, "Alice", 0, 0), DemoPlayer(3, "Bob", 1, 8), DemoPlayer(4, "Carol", 1, 3)};
    script.map = SimMap{"demo.lvl", DemoMap(), {}, {}};
    script.arenas = {{"0", 0}, {"1", 2}, {"duel", 2}, {"league", 7}};
    // As a strict zone does: a round a minute, and a client that answers wrongly or not at all is dropped.
    script.integrityInterval = 6000;
    script.strictIntegrity = true;
    script.afterEntry = {ZonePackets::Chat(0, 0, "Welcome to the Quillon zone simulator."),
                         ZonePackets::Chat(2, 2, "hi there")};
    return script;
}

ArenaScript LivelyArena()
{
    ArenaScript script = DemoArena();
    script.players = {DemoPlayer(2, "Alice", 0, 0), DemoPlayer(3, "Bob", 1, 8), DemoPlayer(4, "Carol", 1, 3),
                      DemoPlayer(5, "Dmitri", 0, 1), DemoPlayer(6, "Eve", 0, 2)};
    script.arenas = {{"0", 0}, {"1", 3}, {"duel", 2}, {"league", 7}};
    script.afterEntry = {ZonePackets::Chat(0, 0, "Welcome to the Quillon demo zone. Everyone here is a script."),
                         ZonePackets::Chat(2, 2, "hi there")};
    return script;
}

namespace {

// Chat kinds as the zone sends them.
enum : uint8_t {
    kArena = 0,
    kPublic = 2,
    kTeam = 3,
    kFrequency = 4,
    kPrivate = 5,
    kRemotePrivate = 7,
    kSysop = 8,
    kChannel = 9,
};

constexpr uint16_t kAlice = 2, kBob = 3, kCarol = 4, kDmitri = 5, kEve = 6, kFrank = 7, kGrace = 8;

} // namespace

const char* DemoDirector::NewsText()
{
    return "Quillon demo zone news\r\n"
           "\r\n"
           "* Everyone in this arena is a script; say hello to them in private.\r\n"
           "* Try ?arena, ?go duel, ?log and ?away.\r\n";
}

DemoDirector::DemoDirector(ZoneServer& server, const Clock& clock, uint32_t interval)
    : server_(server), clock_(clock), interval_(interval)
{
    using E = Event;
    auto say = [](uint16_t id, uint8_t kind, const std::string& text) {
        E event;
        event.kind = E::Say;
        event.id = id;
        event.chatKind = kind;
        event.text = text;
        return event;
    };
    auto act = [](E::Kind kind, uint16_t id, uint16_t value, uint16_t other = 0) {
        E event;
        event.kind = kind;
        event.id = id;
        event.value = value;
        event.other = other;
        return event;
    };
    // One round; the players present at its end are those present at its start.
    events_ = {
        say(kAlice, kPublic, "anyone seen the new map? the centre is wide open now"),
        say(kBob, kPublic, "gg last round"),
        act(E::Die, kDmitri, 40, kCarol),
        act(E::Enter, kFrank, 1),
        say(kFrank, kPublic, "hello all"),
        say(kAlice, kTeam, "base is clear, come help on the left"),
        say(0, kChannel, "1:Hank> duel in ?go duel, anyone?"),
        act(E::Frequency, kBob, 0),
        say(kCarol, kPrivate, "hey, spectating today? send me a private message"),
        say(0, kArena, "The flag game starts in 2 minutes."),
        act(E::Ship, kEve, 5),
        say(kDmitri, kFrequency, "need a terrier on our freq"),
        act(E::Die, kAlice, 25, kFrank),
        say(0, kRemotePrivate, "(Zoltan)>are you coming to the league match tonight?"),
        say(0, kChannel, "2:Ivy> new season rankings are up at https://driftwake.example/league"),
        act(E::Enter, kGrace, 0),
        say(0, kSysop, "Sysop warning: please keep public chat friendly."),
        act(E::Leave, kFrank, 0),
        say(0, kChannel, "3:Jo> lag is fine from here"),
        act(E::Frequency, kBob, 1),
        act(E::Ship, kEve, 2),
        say(kGrace, kPublic, "brb"),
        act(E::Leave, kGrace, 0),
        say(kDmitri, kPublic, "nice shot Frank"),
    };
}

namespace {

// The items of a heard list not read yet; a list cleared since counts from its start.
template <typename T> std::vector<T> Unread(const std::vector<T>& list, size_t& seen)
{
    if (list.size() < seen)
        seen = 0;
    std::vector<T> unread(list.begin() + std::ptrdiff_t(seen), list.end());
    seen = list.size();
    return unread;
}

} // namespace

void DemoDirector::Step()
{
    const bool left = !Unread(server_.ArenaLeaves(), leavesSeen_).empty();
    const bool entered = !Unread(server_.ArenaEntries(), entriesSeen_).empty();
    if (entered)
        OnEntered();
    else if (left)
        inArena_ = false;
    for (const HeardChat& chat : Unread(server_.Chats(), chatsSeen_))
        Answer(chat);
    const SimSession* peer = server_.Sim().Peer();
    if (peer == nullptr || !peer->Connected())
        inArena_ = false;
    if (!inArena_ || int32_t(clock_.Now() - due_) < 0)
        return;
    Play(events_[next_]);
    next_ = (next_ + 1) % events_.size();
    due_ = clock_.Now() + interval_;
}

void DemoDirector::OnEntered()
{
    inArena_ = true;
    next_ = 0;
    due_ = clock_.Now() + 100;
    server_.PushFile("news.txt", NewsText());
}

std::string DemoDirector::NameOf(uint16_t id) const
{
    const auto& present = server_.Present();
    const auto found = present.find(id);
    return found == present.end() ? std::string() : found->second.name;
}

void DemoDirector::Answer(const HeardChat& chat)
{
    const uint16_t own = server_.Script().ownId;
    if (chat.kind == kPrivate && chat.text == "*info") {
        const auto found = server_.Present().find(chat.target);
        const uint16_t frequency = found == server_.Present().end() ? 0 : found->second.frequency;
        server_.SendChat(kArena, 0,
                         "IP:127.0.0.1  TimeZoneBias:0  Freq:" + std::to_string(frequency) +
                             "  TypedName:" + NameOf(chat.target) + "  Demo:0  MachineId:20261206");
        server_.SendChat(kArena, 0, "Ping:20ms  LowPing:10ms  HighPing:40ms  AvePing:20ms");
        server_.SendChat(kArena, 0, "LOSS: S2C:0.0%  C2S:0.0%  S2CWeapons:0.0%  S2C_RelOut:0(12)");
        server_.SendChat(kArena, 0, "TIME: Session:    0:12:00  Total:   41:03:00  Created: 6-1-2026 20:15:00");
    } else if (chat.kind == kPrivate && chat.target != own && !NameOf(chat.target).empty() &&
               MayAnswer(NameOf(chat.target))) {
        server_.SendChat(kPrivate, chat.target,
                         "I'm only a script in the demo zone, but thanks for \"" + chat.text + "\"!");
    } else if (chat.kind == kPublic && chat.text == "*log") {
        server_.SendChat(kArena, 0, "Dec 6 10:01:12  Alice> hi there");
        server_.SendChat(kArena, 0, "Dec 6 10:02:40  Ext: Frank entered arena 0");
        server_.SendChat(kArena, 0, "Dec 6 10:03:05  Ext: Grace left arena 0");
    } else if (chat.kind == kPublic && chat.text == "*lag") {
        server_.SendChat(kArena, 0, "PING Current:20 ms  Average:20 ms  Low:10 ms  High:40 ms  S2C:0.0%  C2S:0.0%");
    } else if (chat.kind == kRemotePrivate && chat.text.size() > 1 && chat.text[0] == ':') {
        const size_t end = chat.text.find(':', 1);
        if (end != std::string::npos && MayAnswer(chat.text.substr(1, end - 1)))
            server_.SendChat(kRemotePrivate, 0,
                             "(" + chat.text.substr(1, end - 1) + ")>got your message, I'm in another arena");
    }
}

bool DemoDirector::MayAnswer(const std::string& name)
{
    constexpr uint32_t kQuiet = 500;
    const uint32_t now = clock_.Now();
    const auto found = answeredAt_.find(name);
    if (found != answeredAt_.end() && now - found->second < kQuiet)
        return false;
    answeredAt_[name] = now;
    return true;
}

void DemoDirector::Play(const Event& event)
{
    switch (event.kind) {
    case Event::Say:
        server_.SendChat(event.chatKind, event.id, event.text);
        break;
    case Event::Enter: {
        const std::string name = event.id == kFrank ? "Frank" : "Grace";
        server_.SendPlayersEntering({DemoPlayer(event.id, name, event.value, event.id == kFrank ? 4 : 8)});
        break;
    }
    case Event::Leave:
        server_.SendPlayerLeaving(event.id);
        break;
    case Event::Die:
        server_.SendDeath(event.other, event.id, event.value);
        break;
    case Event::Frequency:
        server_.SendFrequencyChange(event.id, event.value);
        break;
    case Event::Ship: {
        const auto& present = server_.Present();
        const auto found = present.find(event.id);
        server_.SendShipChange(event.id, uint8_t(event.value), found == present.end() ? 0 : found->second.frequency);
        break;
    }
    }
}
