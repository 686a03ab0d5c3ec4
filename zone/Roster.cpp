#include "zone/Roster.h"

#include "zone/ZoneConsole.h"
#include "zone/Zone.h"

namespace {

namespace Entering {
constexpr uint32_t kRecordSize = 64;
constexpr uint32_t kShip = 1;
constexpr uint32_t kName = 3;
constexpr uint32_t kSquad = 23;
constexpr uint32_t kPointsA = 43;
constexpr uint32_t kPointsB = 47;
constexpr uint32_t kId = 51;
constexpr uint32_t kFrequency = 53;
constexpr uint32_t kWins = 55;
constexpr uint32_t kLosses = 57;
} // namespace Entering

namespace DeathPacket {
constexpr uint32_t kKiller = 2;
constexpr uint32_t kKilled = 4;
constexpr uint32_t kBounty = 6;
} // namespace DeathPacket

void PrintWhite(Zone& zone, const std::string& text)
{
    zone.Console().Print(text, kSlotWhite, true);
}

void ShowCount(Zone& zone, const PlayerTable& players)
{
    zone.Console().SetUserListTitle("Total Players: " + std::to_string(players.Count()));
}

void EnterOne(Zone& zone, const Packet& packet, uint32_t base)
{
    using namespace Entering;
    const uint16_t id = packet.ReadU16(base + kId);
    PlayerTable& players = zone.players;
    Player* slot = players.Get(id);
    if (slot == nullptr)
        return;
    // The server reuses an id without a leave in between: the new player replaces the old one.
    if (slot->inUse)
        zone.Console().RemoveUser(slot->name);
    players.Set(id, packet.ReadText(base + kName, Player::kMaxName), packet.ReadText(base + kSquad, Player::kMaxName),
                packet.ReadU16(base + kFrequency), packet.ReadU8(base + kShip),
                packet.ReadU32(base + kPointsA) + packet.ReadU32(base + kPointsB), packet.ReadU16(base + kWins),
                packet.ReadU16(base + kLosses));
    zone.Console().AddUser(slot->name, players.KindOf(*slot, zone.OwnPlayerId()));
    ShowCount(zone, players);
    const bool own = id == zone.OwnPlayerId();
    if (own)
        zone.SetOwnRecordSeen(true);
    // Those already present when we arrive are not news; our own arrival never is.
    if (zone.filters.enterNotices && zone.OwnRecordSeen() && !own)
        PrintWhite(zone, "Enter: \"" + slot->name + "\" has entered the arena.");
}

// A new frequency or ship: redraw the player, and everyone when it is us.
void Redraw(Zone& zone, const Player& player)
{
    const uint16_t ownId = zone.OwnPlayerId();
    zone.Console().SetUserKind(player.name, zone.players.KindOf(player, ownId));
    if (player.id == ownId)
        zone.RecolourSoon();
}

} // namespace

void HandleOwnId(Zone& zone, const Packet& packet) { zone.SetOwnPlayerId(packet.ReadU16(1)); }

void HandlePlayerEntering(Zone& zone, const Packet& packet)
{
    // More records than the table has slots can only repeat ids; a reassembled
    // packet of many megabytes would otherwise redraw the list for minutes.
    uint32_t records = 0;
    for (uint32_t base = 0; base < packet.Size() && records < PlayerTable::kSlots;
         base += Entering::kRecordSize, ++records)
        EnterOne(zone, packet, base);
    if (zone.OwnRecordSeen())
        zone.RecolourSoon();
}

void HandlePlayerLeaving(Zone& zone, const Packet& packet)
{
    const uint16_t id = packet.ReadU16(1);
    const Player* player = zone.players.Get(id);
    // Nobody there: nothing to take off the list, nothing to announce, nothing to count.
    if (player == nullptr || !player->inUse)
        return;
    zone.Console().RemoveUser(player->name);
    if (zone.filters.leaveNotices)
        PrintWhite(zone, "Leave: \"" + player->name + "\" has left the arena.");
    zone.players.Remove(id);
    ShowCount(zone, zone.players);
}

void HandleDeath(Zone& zone, const Packet& packet)
{
    using namespace DeathPacket;
    if (!zone.filters.deathNotices)
        return;
    const PlayerTable& players = zone.players;
    PrintWhite(zone, "Death: \"" + players.NameOf(packet.ReadU16(kKilled)) + "\" killed by \"" +
                               players.NameOf(packet.ReadU16(kKiller)) + "\" - Bounty: (" +
                               std::to_string(packet.ReadU16(kBounty)) + ")");
}

void HandleFrequencyChange(Zone& zone, const Packet& packet)
{
    Player* player = zone.players.Get(packet.ReadU16(1));
    if (player == nullptr || !player->inUse)
        return;
    player->frequency = packet.ReadU16(3);
    Redraw(zone, *player);
}

void HandleShipChange(Zone& zone, const Packet& packet)
{
    Player* player = zone.players.Get(packet.ReadU16(2));
    if (player == nullptr || !player->inUse)
        return;
    player->ship = packet.ReadU8(1);
    player->frequency = packet.ReadU16(4);
    Redraw(zone, *player);
}
