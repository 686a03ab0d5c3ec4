#include "ZoneServer.h"

#include "Integrity.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace {

// Zone packets from the client.
enum ClientType : uint8_t {
    kArenaEntryType = 0x01,
    kLeaveArenaType = 0x02,
    kPositionType = 0x03,
    kChatType = 0x06,
    kLoginType = 0x09,
    kMapRequestType = 0x0C,
    kFrequencyRequestType = 0x0F,
    kFileType = 0x16,
    kIntegrityAnswerType = 0x1A,
};

// Zone packets to the client.
enum ServerType : uint8_t {
    kOwnIdType = 0x01,
    kArenaEnteredType = 0x02,
    kEnteringType = 0x03,
    kLeavingType = 0x04,
    kDeathType = 0x06,
    kServerChatType = 0x07,
    kLoginResponseType = 0x0A,
    kFrequencyChangeType = 0x0D,
    kArenaSettingsType = 0x0F,
    kPushedFileType = 0x10,
    kIntegrityRequestType = 0x18,
    kFileRequestType = 0x19,
    kShipChangeType = 0x1D,
    kMapInformationType = 0x29,
    kMapFileType = 0x2A,
    kArenaListType = 0x2F,
};

namespace Login {
constexpr uint32_t kSize = 101;
constexpr uint32_t kName = 2;
constexpr uint32_t kPassword = 34;
constexpr uint32_t kTextWidth = 32;
// Fixed values the client sends: offset, width, value. Everything else is zero.
struct Fixed {
    uint32_t offset, width, value;
};
constexpr Fixed kFixed[] = {{66, 4, 0x12345678}, {71, 2, 240}, {75, 2, 134},
                            {77, 4, 444},        {81, 4, 555}, {85, 4, 0x12345678}};
constexpr uint32_t kResponseSize = 36;
constexpr uint32_t kResponseCode = 1;
constexpr uint32_t kResponseVersion = 2;
} // namespace Login

namespace ArenaEntry {
constexpr uint32_t kSize = 26;
constexpr uint32_t kShip = 1;
constexpr uint32_t kOne = 2;
constexpr uint32_t kWidth = 4;
constexpr uint32_t kHeight = 6;
constexpr uint32_t kSelector = 8;
constexpr uint32_t kName = 10;
constexpr uint32_t kNameWidth = 16;
constexpr uint16_t kAnyPublic = 0xFFFF;
constexpr uint16_t kNamed = 0xFFFD;
} // namespace ArenaEntry

namespace SettingsLayout {
constexpr uint32_t kSize = 1428;
constexpr uint32_t kPositionInterval = 1256;
constexpr uint32_t kReliableChat = 1378;
} // namespace SettingsLayout

namespace Entering {
constexpr uint32_t kRecordSize = 64;
constexpr uint32_t kShip = 1;
constexpr uint32_t kName = 3;
constexpr uint32_t kSquad = 23;
constexpr uint32_t kTextWidth = 20;
constexpr uint32_t kFlagPoints = 43;
constexpr uint32_t kKillPoints = 47;
constexpr uint32_t kId = 51;
constexpr uint32_t kFrequency = 53;
constexpr uint32_t kWins = 55;
constexpr uint32_t kLosses = 57;
} // namespace Entering

namespace Position {
constexpr uint32_t kSize = 22;
constexpr uint32_t kTime = 2;
constexpr uint32_t kY = 8;
constexpr uint32_t kCheck = 10;
constexpr uint32_t kX = 12;
} // namespace Position

namespace ChatLayout {
constexpr uint32_t kKind = 1;
constexpr uint32_t kSender = 3; // the target, from the client
constexpr uint32_t kText = 5;
constexpr uint32_t kOverhead = 6; // header and the closing zero
} // namespace ChatLayout

namespace Files {
constexpr uint32_t kName = 1;
constexpr uint32_t kNameWidth = 16;
constexpr uint32_t kData = 17;
constexpr uint32_t kMapChecksum = 17;
constexpr uint32_t kMapCompressedSize = 21;
constexpr uint32_t kMapInformationSize = 25;
constexpr uint32_t kRequestLocal = 1;
constexpr uint32_t kRequestLocalWidth = 256;
constexpr uint32_t kRequestSendAs = 257;
constexpr uint32_t kRequestSize = 273;
} // namespace Files

constexpr uint8_t kSpectatorShip = 8;
constexpr uint8_t kPublicChat = 2;

Packet Typed(uint8_t type, uint32_t size)
{
    Packet packet(size);
    packet.WriteU8(type, 0);
    return packet;
}

uint32_t ReadWidth(const Packet& packet, uint32_t offset, uint32_t width)
{
    return width == 4 ? packet.ReadU32(offset) : width == 2 ? packet.ReadU16(offset) : packet.ReadU8(offset);
}

bool AllZero(const Packet& packet, uint32_t from, uint32_t to)
{
    for (uint32_t i = from; i < to; ++i)
        if (packet.ReadU8(i) != 0)
            return false;
    return true;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

} // namespace

// --- Wire layouts, server to client ---

namespace ZonePackets {

Packet LoginResponse(uint8_t code)
{
    Packet packet = Typed(kLoginResponseType, Login::kResponseSize);
    packet.WriteU8(code, Login::kResponseCode);
    packet.WriteU32(134, Login::kResponseVersion);
    return packet;
}

Packet OwnId(uint16_t id)
{
    Packet packet = Typed(kOwnIdType, 3);
    packet.WriteU16(id, 1);
    return packet;
}

Packet IntegrityRequest(uint32_t key)
{
    Packet packet(17);
    packet.WriteU8(kIntegrityRequestType, 0);
    packet.WriteU32(0x5EED0001, 1); // the prize seed
    packet.WriteU32(0x5EED0002, 5); // the door seed
    packet.WriteU32(0x00001234, 9); // when they took effect
    packet.WriteU32(key, 13);
    return packet;
}

Packet ArenaSettings(uint16_t positionInterval, uint8_t reliableChat)
{
    Packet packet(SettingsLayout::kSize);
    // Nothing but the two values means anything to the client; the filler makes a
    // misplaced read show.
    for (uint32_t i = 0; i < SettingsLayout::kSize; ++i)
        packet.WriteU8(uint8_t(i * 37 + 11), i);
    packet.WriteU8(kArenaSettingsType, 0);
    packet.WriteU16(positionInterval, SettingsLayout::kPositionInterval);
    packet.WriteU8(reliableChat, SettingsLayout::kReliableChat);
    return packet;
}

Packet ArenaEntered() { return Typed(kArenaEnteredType, 1); }

Packet PlayersEntering(const std::vector<SimPlayer>& players)
{
    using namespace Entering;
    Packet packet(uint32_t(players.size()) * kRecordSize);
    uint32_t base = 0;
    for (const SimPlayer& player : players) {
        packet.WriteU8(kEnteringType, base);
        packet.WriteU8(player.ship, base + kShip);
        packet.WriteText(player.name, base + kName, kTextWidth);
        packet.WriteText(player.squad, base + kSquad, kTextWidth);
        packet.WriteU32(player.flagPoints, base + kFlagPoints);
        packet.WriteU32(player.killPoints, base + kKillPoints);
        packet.WriteU16(player.id, base + kId);
        packet.WriteU16(player.frequency, base + kFrequency);
        packet.WriteU16(player.wins, base + kWins);
        packet.WriteU16(player.losses, base + kLosses);
        base += kRecordSize;
    }
    return packet;
}

Packet PlayerLeaving(uint16_t id)
{
    Packet packet = Typed(kLeavingType, 3);
    packet.WriteU16(id, 1);
    return packet;
}

Packet Death(uint16_t killer, uint16_t killed, uint16_t bounty)
{
    Packet packet = Typed(kDeathType, 10);
    packet.WriteU16(killer, 2);
    packet.WriteU16(killed, 4);
    packet.WriteU16(bounty, 6);
    return packet;
}

Packet FrequencyChange(uint16_t id, uint16_t frequency)
{
    Packet packet = Typed(kFrequencyChangeType, 6);
    packet.WriteU16(id, 1);
    packet.WriteU16(frequency, 3);
    return packet;
}

Packet ShipChange(uint16_t id, uint8_t ship, uint16_t frequency)
{
    Packet packet = Typed(kShipChangeType, 6);
    packet.WriteU8(ship, 1);
    packet.WriteU16(id, 2);
    packet.WriteU16(frequency, 4);
    return packet;
}

Packet Chat(uint8_t kind, uint16_t senderId, const std::string& text)
{
    using namespace ChatLayout;
    Packet packet = Typed(kServerChatType, uint32_t(text.size()) + kOverhead);
    packet.WriteU8(kind, kKind);
    packet.WriteU16(senderId, kSender);
    packet.WriteText(text, kText, 0);
    return packet;
}

Packet MapInformation(const std::string& name, uint32_t checksum, uint32_t compressedSize)
{
    Packet packet = Typed(kMapInformationType, Files::kMapInformationSize);
    packet.WriteText(name, Files::kName, Files::kNameWidth);
    packet.WriteU32(checksum, Files::kMapChecksum);
    packet.WriteU32(compressedSize, Files::kMapCompressedSize);
    return packet;
}

Packet MapFile(const std::string& name, const std::string& compressed)
{
    Packet packet = Typed(kMapFileType, Files::kData);
    packet.WriteText(name, Files::kName, Files::kNameWidth);
    packet.AppendBytes(compressed);
    return packet;
}

Packet File(const std::string& name, const std::string& contents)
{
    Packet packet = Typed(kPushedFileType, Files::kData);
    packet.WriteText(name, Files::kName, Files::kNameWidth);
    packet.AppendBytes(contents);
    return packet;
}

Packet FileRequest(const std::string& localName, const std::string& sendAs)
{
    Packet packet = Typed(kFileRequestType, Files::kRequestSize);
    packet.WriteText(localName, Files::kRequestLocal, Files::kRequestLocalWidth);
    packet.WriteText(sendAs, Files::kRequestSendAs, Files::kNameWidth);
    return packet;
}

Packet ArenaList(const std::vector<SimArena>& arenas, const std::string& current)
{
    Packet packet = Typed(kArenaListType, 1);
    for (const SimArena& arena : arenas) {
        packet.AppendBytes(arena.name);
        Packet count(3); // the name's terminating zero, then the count
        count.WriteU16(arena.name == current ? uint16_t(65536 - arena.players) : arena.players, 1);
        packet.Append(count);
    }
    return packet;
}

std::string Compress(const std::string& bytes)
{
    uLongf size = compressBound(uLong(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                  uLong(bytes.size()), Z_BEST_COMPRESSION) != Z_OK)
        return std::string();
    out.resize(size);
    return out;
}

uint32_t Crc32(const std::string& bytes)
{
    return uint32_t(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

} // namespace ZonePackets

// --- The server ---

ZoneServer::ZoneServer(ZoneSim& sim, ArenaScript script)
    : sim_(sim), script_(std::move(script)), keySource_(sim.Options().seed * 2654435761u + 1)
{
    nextRound_ = sim_.Now() + script_.integrityInterval;
    sim_.SetPollHook([this] { RunIntegrityTimers(); });
    auto bind = [this](void (ZoneServer::*handler)(SimSession&, const Packet&)) {
        return [this, handler](SimSession& session, const Packet& packet) { (this->*handler)(session, packet); };
    };
    sim_.Handle(kLoginType, bind(&ZoneServer::OnLogin));
    sim_.Handle(kArenaEntryType, bind(&ZoneServer::OnArenaEntry));
    sim_.Handle(kLeaveArenaType, bind(&ZoneServer::OnLeaveArena));
    sim_.Handle(kPositionType, bind(&ZoneServer::OnPosition));
    sim_.Handle(kChatType, bind(&ZoneServer::OnChat));
    sim_.Handle(kFrequencyRequestType, bind(&ZoneServer::OnFrequencyRequest));
    sim_.Handle(kMapRequestType, bind(&ZoneServer::OnMapRequest));
    sim_.Handle(kFileType, bind(&ZoneServer::OnFile));
    sim_.Handle(kIntegrityAnswerType, bind(&ZoneServer::OnIntegrityAnswer));
}

ZoneServer::~ZoneServer() { sim_.SetPollHook(nullptr); }

bool ZoneServer::Send(const Packet& packet, bool reliable) { return sim_.SendZone(packet, reliable); }

bool ZoneServer::SendChat(uint8_t kind, uint16_t senderId, const std::string& text)
{
    return Send(ZonePackets::Chat(kind, senderId, text));
}

bool ZoneServer::SendPlayerLeaving(uint16_t id)
{
    present_.erase(id);
    return Send(ZonePackets::PlayerLeaving(id));
}

bool ZoneServer::SendDeath(uint16_t killer, uint16_t killed, uint16_t bounty)
{
    return Send(ZonePackets::Death(killer, killed, bounty));
}

bool ZoneServer::SendFrequencyChange(uint16_t id, uint16_t frequency)
{
    if (auto found = present_.find(id); found != present_.end())
        found->second.frequency = frequency;
    return Send(ZonePackets::FrequencyChange(id, frequency));
}

bool ZoneServer::SendShipChange(uint16_t id, uint8_t ship, uint16_t frequency)
{
    if (auto found = present_.find(id); found != present_.end()) {
        found->second.ship = ship;
        found->second.frequency = frequency;
    }
    return Send(ZonePackets::ShipChange(id, ship, frequency));
}

bool ZoneServer::SendPlayersEntering(const std::vector<SimPlayer>& players)
{
    for (const SimPlayer& player : players)
        present_[player.id] = player;
    return Send(ZonePackets::PlayersEntering(players));
}

bool ZoneServer::SendMapInformation(const SimMap& map)
{
    if (sim_.Peer() == nullptr)
        return false;
    SendMap(*sim_.Peer(), map, true);
    return true;
}

bool ZoneServer::SendMapFile(const SimMap& map)
{
    if (sim_.Peer() == nullptr)
        return false;
    SendMap(*sim_.Peer(), map, false);
    return true;
}

bool ZoneServer::PushFile(const std::string& name, const std::string& contents)
{
    return Send(ZonePackets::File(name, contents));
}

bool ZoneServer::RequestFile(const std::string& localName, const std::string& sendAs)
{
    return Send(ZonePackets::FileRequest(localName, sendAs));
}

void ZoneServer::ClearHeard()
{
    logins_.clear();
    arenaEntries_.clear();
    positions_.clear();
    chats_.clear();
    frequencyRequests_.clear();
    mapRequests_.clear();
    files_.clear();
    arenaLeaves_.clear();
}

Heard ZoneServer::Note(const Packet& packet) const
{
    Heard heard;
    heard.packet = packet;
    heard.via = sim_.CurrentArrival();
    heard.at = sim_.Now();
    return heard;
}

void ZoneServer::OnLogin(SimSession& session, const Packet& packet)
{
    HeardLogin login;
    static_cast<Heard&>(login) = Note(packet);
    login.name = packet.ReadText(Login::kName, Login::kTextWidth);
    login.password = packet.ReadText(Login::kPassword, Login::kTextWidth);
    logins_.push_back(login);

    if (packet.Size() != Login::kSize)
        Complain("login of " + std::to_string(packet.Size()) + " bytes");
    if (!login.via.reliable)
        Complain("login sent unreliably");
    bool fixedRight = AllZero(packet, 1, 2) && AllZero(packet, 70, 71) && AllZero(packet, 73, 75) &&
                      AllZero(packet, 89, Login::kSize);
    for (const Login::Fixed& fixed : Login::kFixed)
        fixedRight = fixedRight && ReadWidth(packet, fixed.offset, fixed.width) == fixed.value;
    if (!fixedRight)
        Complain("login with wrong fixed values: " + ToHex(packet));

    ownName_ = login.name.substr(0, Entering::kTextWidth);
    sim_.Log("login from " + Quoted(login.name) + ", answered with code " + std::to_string(script_.loginCode));
    session.SendZone(ZonePackets::LoginResponse(script_.loginCode), true);
}

void ZoneServer::OnArenaEntry(SimSession& session, const Packet& packet)
{
    using namespace ArenaEntry;
    HeardArenaEntry entry;
    static_cast<Heard&>(entry) = Note(packet);
    entry.selector = packet.ReadU16(kSelector);
    entry.name = packet.ReadText(kName, kNameWidth);
    entry.form = entry.selector == kAnyPublic ? ArenaForm::AnyPublic
                 : entry.selector == kNamed   ? ArenaForm::Named
                                              : ArenaForm::Numbered;
    arenaEntries_.push_back(entry);
    currentArena_ = entry.form == ArenaForm::Named      ? entry.name
                    : entry.form == ArenaForm::Numbered ? std::to_string(entry.selector)
                                                        : std::string("0");

    if (packet.Size() != kSize)
        Complain("arena entry of " + std::to_string(packet.Size()) + " bytes");
    if (!entry.via.reliable)
        Complain("arena entry sent unreliably");
    if (packet.ReadU8(kShip) != kSpectatorShip || packet.ReadU16(kOne) != 1 || packet.ReadU16(kWidth) != 640 ||
        packet.ReadU16(kHeight) != 480)
        Complain("arena entry with wrong fixed values: " + ToHex(packet));
    if (entry.form != ArenaForm::Named && !AllZero(packet, kName, kName + kNameWidth))
        Complain("arena entry by selector with a name: " + ToHex(packet));

    sim_.Log("arena entry: " + (entry.form == ArenaForm::Named      ? "arena " + Quoted(entry.name)
                                : entry.form == ArenaForm::Numbered ? "public arena " + std::to_string(entry.selector)
                                                                    : std::string("any public arena")));
    EnterArena(session);
}

void ZoneServer::EnterArena(SimSession& session)
{
    session.SendZone(ZonePackets::OwnId(script_.ownId), true);
    session.SendZone(ZonePackets::ArenaSettings(script_.positionInterval, script_.reliableChat), true);

    SimPlayer own;
    own.id = script_.ownId;
    own.name = ownName_;
    own.squad = script_.ownSquad;
    own.ship = kSpectatorShip;
    own.frequency = script_.ownFrequency;
    std::vector<SimPlayer> records = script_.players;
    records.insert(records.begin() + std::ptrdiff_t(std::min(script_.ownRecordAt, records.size())), own);
    present_.clear();
    const size_t perPacket = std::max<size_t>(script_.recordsPerPacket, 1);
    for (size_t at = 0; at < records.size(); at += perPacket) {
        const std::vector<SimPlayer> some(records.begin() + std::ptrdiff_t(at),
                                          records.begin() + std::ptrdiff_t(std::min(at + perPacket, records.size())));
        for (const SimPlayer& player : some)
            present_[player.id] = player;
        session.SendZone(ZonePackets::PlayersEntering(some), true);
    }
    if (script_.map)
        SendMap(session, *script_.map, true);
    session.SendZone(ZonePackets::ArenaEntered(), true);
    // The seeds of the arena, with key 0: no answer wanted.
    session.SendZone(ZonePackets::IntegrityRequest(0), true);
    positionSinceEntry_ = false;
    asked_ = false;
    for (const Packet& packet : script_.afterEntry)
        session.SendZone(packet, true);
}

void ZoneServer::SendMap(SimSession& session, const SimMap& map, bool information)
{
    const std::string compressed = map.compressedData ? *map.compressedData : ZonePackets::Compress(map.contents);
    if (information) {
        const uint32_t checksum = map.announcedChecksum ? *map.announcedChecksum : ZonePackets::Crc32(map.contents);
        session.SendZone(ZonePackets::MapInformation(map.name, checksum, uint32_t(compressed.size())), true);
    } else {
        session.SendZone(ZonePackets::MapFile(map.name, compressed), true);
    }
}

void ZoneServer::OnLeaveArena(SimSession&, const Packet& packet)
{
    arenaLeaves_.push_back(Note(packet));
    if (packet.Size() != 1)
        Complain("leave arena of " + std::to_string(packet.Size()) + " bytes");
    if (!arenaLeaves_.back().via.reliable)
        Complain("leave arena sent unreliably");
    sim_.Log("left arena " + Quoted(currentArena_));
    currentArena_.clear();
    asked_ = false;
    present_.clear();
}

void ZoneServer::OnPosition(SimSession&, const Packet& packet)
{
    using namespace Position;
    HeardPosition position;
    static_cast<Heard&>(position) = Note(packet);
    position.clientTime = packet.ReadU32(kTime);
    position.check = packet.ReadU8(kCheck);
    position.x = packet.ReadU16(kX);
    position.y = packet.ReadU16(kY);
    uint8_t check = 0;
    for (uint32_t i = 0; i < packet.Size(); ++i)
        if (i != kCheck)
            check ^= packet.ReadU8(i);
    position.checkValid = check == position.check;
    positions_.push_back(position);
    positionSinceEntry_ = true;

    if (packet.Size() != kSize)
        Complain("position of " + std::to_string(packet.Size()) + " bytes");
    if (!position.checkValid)
        Complain("position with a wrong check byte: " + ToHex(packet));
    if (position.via.reliable)
        Complain("position sent reliably");
}

void ZoneServer::OnChat(SimSession& session, const Packet& packet)
{
    using namespace ChatLayout;
    HeardChat chat;
    static_cast<Heard&>(chat) = Note(packet);
    chat.kind = packet.ReadU8(kKind);
    chat.target = packet.ReadU16(kSender);
    chat.text = packet.ReadText(kText, 0);
    chats_.push_back(chat);

    if (packet.Size() != chat.text.size() + kOverhead || packet.ReadU8(2) != 0)
        Complain("chat packet laid out wrongly: " + ToHex(packet));
    sim_.Log("chat kind " + std::to_string(chat.kind) + " to " + std::to_string(chat.target) + ": " +
             Quoted(chat.text));
    if (chat.kind == kPublicChat && chat.text == "?arena")
        session.SendZone(ArenaListNow(), true);
}

Packet ZoneServer::ArenaListNow() const
{
    std::vector<SimArena> arenas = script_.arenas;
    const bool listed = std::any_of(arenas.begin(), arenas.end(),
                                    [this](const SimArena& arena) { return arena.name == currentArena_; });
    if (!listed && !currentArena_.empty())
        arenas.push_back({currentArena_, 0});
    for (SimArena& arena : arenas)
        if (arena.name == currentArena_)
            arena.players = uint16_t(present_.size());
    return ZonePackets::ArenaList(arenas, currentArena_);
}

void ZoneServer::OnFrequencyRequest(SimSession& session, const Packet& packet)
{
    HeardFrequencyRequest request;
    static_cast<Heard&>(request) = Note(packet);
    request.frequency = packet.ReadU16(1);
    frequencyRequests_.push_back(request);
    if (packet.Size() != 3)
        Complain("frequency request of " + std::to_string(packet.Size()) + " bytes");
    if (!request.via.reliable)
        Complain("frequency request sent unreliably");
    if (!script_.grantFrequencyRequests)
        return;
    if (auto own = present_.find(script_.ownId); own != present_.end())
        own->second.frequency = request.frequency;
    session.SendZone(ZonePackets::FrequencyChange(script_.ownId, request.frequency), true);
}

void ZoneServer::OnMapRequest(SimSession& session, const Packet& packet)
{
    const Heard request = Note(packet);
    mapRequests_.push_back(request);
    if (packet.Size() != 1)
        Complain("map request of " + std::to_string(packet.Size()) + " bytes");
    if (!request.via.reliable)
        Complain("map request sent unreliably");
    if (!script_.map) {
        Complain("map requested, none offered");
        return;
    }
    sim_.Log("map " + Quoted(script_.map->name) + " requested");
    SendMap(session, *script_.map, false);
}

void ZoneServer::OnFile(SimSession&, const Packet& packet)
{
    HeardFile file;
    static_cast<Heard&>(file) = Note(packet);
    file.name = packet.ReadText(Files::kName, Files::kNameWidth);
    file.contents = packet.BytesAsString(Files::kData, 0);
    files_.push_back(file);
    if (packet.Size() <= Files::kData)
        Complain("file packet without contents");
    sim_.Log("file " + Quoted(file.name) + " of " + std::to_string(file.contents.size()) + " bytes");
}

// --- The integrity check --------------------------------------------------------

void ZoneServer::RunIntegrityTimers()
{
    const uint32_t now = sim_.Now();
    if (asked_ && int32_t(now - answerDue_) >= 0)
        IntegrityDecided("no answer within 15 s");
    if (script_.integrityInterval == 0 || int32_t(now - nextRound_) < 0)
        return;
    nextRound_ = now + script_.integrityInterval;
    StartIntegrityRound();
}

void ZoneServer::StartIntegrityRound()
{
    SimSession* peer = sim_.Peer();
    if (peer == nullptr || !peer->Connected() || currentArena_.empty() || !positionSinceEntry_)
        return;
    do { // any key but 0, which asks for no answer
        keySource_ = keySource_ * 1664525u + 1013904223u;
        roundKey_ = keySource_;
    } while (roundKey_ == 0);
    Packet settings = ZonePackets::ArenaSettings(script_.positionInterval, script_.reliableChat);
    if (script_.corruptSettingsCheck)
        settings.WriteU8(uint8_t(settings.ReadU8(100) ^ 0x40), 100);
    expected_.settings = SimIntegrity::Settings(settings, roundKey_);
    expected_.map = SimIntegrity::Map(SimIntegrity::Grid(script_.map ? script_.map->contents : ""), roundKey_);
    expected_.program = SimIntegrity::Program(roundKey_);
    roundStarted_ = true;
    asked_ = true;
    answerDue_ = sim_.Now() + 1500;
    peer->SendZone(ZonePackets::IntegrityRequest(roundKey_), true);
    sim_.Log("integrity round with key " + std::to_string(roundKey_));
}

void ZoneServer::OnIntegrityAnswer(SimSession&, const Packet& packet)
{
    if (packet.Size() < 40) {
        Complain("integrity answer of " + std::to_string(packet.Size()) + " bytes");
        return;
    }
    if (!sim_.CurrentArrival().reliable)
        Complain("integrity answer sent unreliably");
    if (currentArena_.empty())
        return;
    if (!roundStarted_) {
        IntegrityDecided("an answer to no request (the key-0 packet wants none)");
        return;
    }
    if (expected_.settings != 0 && packet.ReadU32(5) != expected_.settings)
        IntegrityDecided("settings checksum mismatch");
    else if (packet.ReadU32(13) != expected_.map)
        IntegrityDecided("map checksum mismatch");
    else if (packet.ReadU32(9) != expected_.program)
        IntegrityDecided("exe checksum mismatch");
    else
        IntegrityDecided("");
}

void ZoneServer::IntegrityDecided(const std::string& problem)
{
    asked_ = false;
    integrityRounds_.push_back({roundKey_, problem});
    if (problem.empty())
        return;
    sim_.Log("integrity: " + problem);
    if (script_.strictIntegrity && sim_.Peer() != nullptr && sim_.Peer()->Connected())
        sim_.Peer()->Disconnect();
}
