#include "zone/Chat.h"

#include "zone/Names.h"
#include "zone/Zone.h"
#include "zone/ZoneConsole.h"

#include <algorithm>

namespace {

namespace ChatIn {
constexpr uint32_t kKind = 1;
constexpr uint32_t kSender = 3;
constexpr uint32_t kText = 5;
} // namespace ChatIn

namespace ChatOut {
constexpr uint8_t kType = 0x06;
constexpr uint32_t kKind = 1;
constexpr uint32_t kTarget = 3;
constexpr uint32_t kText = 5;
constexpr uint32_t kOverhead = 6; // header and at least one zero after the text
constexpr size_t kMaxText = 250;
} // namespace ChatOut

constexpr uint8_t kFrequencyChangeType = 0x0F;
// In the arena settings: whether the zone wants chat sent reliably.
constexpr uint32_t kReliableChatOffset = 1378;
// Names end in this column.
constexpr size_t kNameColumn = 20;

std::string Padding(const std::string& name)
{
    return std::string(name.size() < kNameColumn ? kNameColumn - name.size() : 0, ' ');
}

// Padded name, "> ", text: how the server's lines from a player look.
void PrintFromPlayer(ZoneConsole& output, const std::string& name, const std::string& text, int kind)
{
    output.Print(Padding(name), kind, false);
    output.Print(name, kind, false);
    output.Print("> ", kind, false);
    output.Print(text, kind, true);
}

void PrintWhole(ZoneConsole& output, const std::string& text, int kind) { output.Print(text, kind, true); }

bool SwitchedOn(const ReceptionFilters& filters, int kind)
{
    switch (kind) {
    case kChatPublicMacro:
    case kChatPublic:
        return filters.publicChat;
    case kChatTeam:
        return filters.teamChat;
    default:
        return true;
    }
}

// Answers a private sender while away, at most once a minute each; nobody is
// there to answer when the sender has no name.
bool MayAnswer(Zone& zone, const std::string& sender)
{
    return zone.away.Away() && !sender.empty() && zone.away.TakeReplyTurn(sender, zone.Now());
}

const std::string& OwnName(Zone& zone) { return zone.players.NameOf(zone.OwnPlayerId()); }

// A line from somebody else that names the user.
bool NamesUser(Zone& zone, const std::string& sender, const std::string& text)
{
    const std::string& own = OwnName(zone);
    return !SameNameNoCase(sender, own) && NamesPlayer(text, own);
}

void OnPlayerChat(Zone& zone, const Packet& packet, int kind, const std::string& text)
{
    const uint16_t id = packet.ReadU16(ChatIn::kSender);
    const std::string& name = zone.players.NameOf(id);
    if (zone.Console().IsIgnored(name) || !SwitchedOn(zone.filters, kind))
        return;
    if (kind == kChatPrivate || NamesUser(zone, name, text))
        zone.Console().Mention(name, text);
    PrintFromPlayer(zone.Console(), name, text, kind);
    if (kind != kChatPrivate)
        return;
    const std::string sender = name; // the table may change while we answer
    if (MayAnswer(zone, sender))
        SendChat(zone, "/" + zone.away.ReplyText(), kChatPrivate, id, true);
    zone.recentSenders.Note(sender);
}

// "(name)text": the name is what stands in the brackets.
void OnRemotePrivate(Zone& zone, const std::string& text)
{
    const bool named = !text.empty() && text[0] == '(';
    std::string sender;
    if (named) {
        const size_t close = text.find(')', 1);
        sender = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (zone.Console().IsIgnored(sender))
            return;
    }
    zone.Console().Mention(sender, named ? text.substr(std::min(text.size(), sender.size() + 2)) : text);
    PrintWhole(zone.Console(), text, kChatRemotePrivate);
    if (!named)
        return;
    if (MayAnswer(zone, sender))
        SendChat(zone, ":" + sender + ":" + zone.away.ReplyText(), kChatRemotePrivate, 0, true);
    zone.recentSenders.Note(sender);
}

// "n:name> text": a non-digit start reads as channel 0.
int ChannelNumber(const std::string& text)
{
    auto digit = [&](size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    if (!digit(0))
        return 0;
    int number = text[0] - '0';
    if (digit(1))
        number = number * 10 + (text[1] - '0');
    return number;
}

void OnChannelChat(Zone& zone, const std::string& text)
{
    std::string sender;
    if (text.size() > 2) {
        const size_t end = text.find('>', 2);
        sender = text.substr(2, end == std::string::npos ? std::string::npos : end - 2);
    }
    if (zone.Console().IsIgnored(sender))
        return;
    if (!zone.filters.ChannelShown(ChannelNumber(text)))
        return;
    const size_t said = text.find("> ");
    if (said != std::string::npos && NamesUser(zone, sender, text.substr(said + 2)))
        zone.Console().Mention(sender, text.substr(said + 2));
    PrintWhole(zone.Console(), text, kChatChannel);
}

void Echo(Zone& zone, int kind, const std::string& sent)
{
    ZoneConsole& output = zone.Console();
    const std::string& ownName = zone.players.NameOf(zone.OwnPlayerId());
    if (kind >= kChatPublicMacro && kind <= kChatPrivate) {
        PrintFromPlayer(output, ownName, sent, kind);
    } else if (kind == kChatChannel) {
        // ";2;hi" shows as "2:name> hi".
        output.Print(sent.substr(sent.empty() ? 0 : 1, 1) + ":", kind, false);
        output.Print(ownName, kind, false);
        output.Print("> ", kind, false);
        output.Print(sent.size() > 3 ? sent.substr(3) : std::string(), kind, true);
    } else {
        PrintWhole(output, sent, kind);
    }
}

bool HasMarker(int kind) { return kind == kChatTeam || kind == kChatFrequency || kind == kChatPrivate; }

} // namespace

void HandleChat(Zone& zone, const Packet& packet)
{
    const int kind = packet.ReadU8(ChatIn::kKind);
    if (kind > kChatChannel)
        return;
    std::string text = packet.ReadText(ChatIn::kText, 0);
    // One line of chat is shown and logged up to 4 KiB; the user is told what was left out.
    constexpr size_t kMostShown = 4096;
    if (text.size() > kMostShown)
        text = text.substr(0, kMostShown) + " (" + std::to_string(text.size() - kMostShown) + " more bytes not shown)";
    const ReceptionFilters& filters = zone.filters;
    switch (kind) {
    case kChatArena:
        if (filters.arenaChat)
            PrintWhole(zone.Console(), text, kind);
        break;
    case kChatServerNotice:
        PrintWhole(zone.Console(), text, kind);
        break;
    case kChatRemotePrivate:
        OnRemotePrivate(zone, text);
        break;
    case kChatSysopWarning:
        if (filters.sysopWarnings)
            PrintWhole(zone.Console(), text, kind);
        break;
    case kChatChannel:
        OnChannelChat(zone, text);
        break;
    default:
        OnPlayerChat(zone, packet, kind, text);
        break;
    }
}

void SendChat(Zone& zone, const std::string& text, int kind, uint16_t target, bool echo)
{
    // ":name:text" to someone in the arena is an ordinary private message.
    size_t skip = HasMarker(kind) ? 1 : 0;
    if (kind == kChatRemotePrivate && !text.empty() && text[0] == ':') {
        const size_t second = text.find(':', 1);
        if (second != std::string::npos) {
            const uint16_t id = zone.players.FindByName(text.substr(1, second - 1));
            if (id != PlayerTable::kNotFound) {
                kind = kChatPrivate;
                target = id;
                skip = second + 1;
            }
        }
    }
    std::string sent = text.substr(0, ChatOut::kMaxText);
    sent.erase(0, skip);

    Packet packet(uint32_t(sent.size()) + ChatOut::kOverhead);
    packet.WriteU8(ChatOut::kType, 0);
    packet.WriteU8(uint8_t(kind), ChatOut::kKind);
    packet.WriteU16(target, ChatOut::kTarget);
    packet.WriteText(sent, ChatOut::kText, 0);

    if (echo)
        Echo(zone, kind, sent);
    if (zone.ArenaSettings().ReadU8(kReliableChatOffset) != 0)
        zone.Link().SendReliable(std::move(packet));
    else
        zone.Link().Send(packet);
}

void SendFrequencyChange(Zone& zone, uint16_t frequency)
{
    Packet packet(3);
    packet.WriteU8(kFrequencyChangeType, 0);
    packet.WriteU16(frequency, 1);
    zone.Link().SendReliable(std::move(packet));
}
