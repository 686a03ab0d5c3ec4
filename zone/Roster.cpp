#include "zone/Roster.h"

#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "zone/ZoneSession.h"

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

void PrintWhite(Connection& connection, const std::string& text)
{
    connection.Output().Print(text, ChatOutput::kSlotWhite, true);
}

void ShowCount(Connection& connection, const PlayerTable& players)
{
    connection.Output().SetUserListTitle("Total Players: " + std::to_string(players.Count()));
}

void EnterOne(Connection& connection, ZoneSession& session, const Packet& packet, uint32_t base)
{
    using namespace Entering;
    const uint16_t id = packet.ReadU16(base + kId);
    PlayerTable& players = session.players;
    Player* slot = players.Get(id);
    if (slot == nullptr)
        return;
    // The server reuses an id without a leave in between: the new player replaces the old one.
    if (slot->inUse)
        connection.Output().RemoveUser(slot->name);
    players.Set(id, packet.ReadText(base + kName, Player::kMaxName), packet.ReadText(base + kSquad, Player::kMaxName),
                packet.ReadU16(base + kFrequency), packet.ReadU8(base + kShip),
                packet.ReadU32(base + kPointsA) + packet.ReadU32(base + kPointsB), packet.ReadU16(base + kWins),
                packet.ReadU16(base + kLosses));
    connection.Output().AddUser(slot->name, players.KindOf(*slot, connection.OwnPlayerId()));
    ShowCount(connection, players);
    const bool own = id == connection.OwnPlayerId();
    if (own)
        connection.SetOwnRecordSeen(true);
    // Those already present when we arrive are not news; our own arrival never is.
    if (session.filters.enterNotices && connection.OwnRecordSeen() && !own)
        PrintWhite(connection, "Enter: \"" + slot->name + "\" has entered the arena.");
}

// A new frequency or ship: redraw the player, and everyone when it is us.
void Redraw(Connection& connection, ZoneSession& session, const Player& player)
{
    const uint16_t ownId = connection.OwnPlayerId();
    connection.Output().SetUserKind(player.name, session.players.KindOf(player, ownId));
    if (player.id == ownId)
        session.players.RecolourAll(ownId);
}

} // namespace

void HandleOwnId(Connection& connection, const Packet& packet) { connection.SetOwnPlayerId(packet.ReadU16(1)); }

void HandlePlayerEntering(Connection& connection, const Packet& packet)
{
    ZoneSession* session = SessionOf(connection);
    if (session == nullptr)
        return;
    // More records than the table has slots can only repeat ids; a reassembled
    // packet of many megabytes would otherwise redraw the list for minutes.
    uint32_t records = 0;
    for (uint32_t base = 0; base < packet.Size() && records < PlayerTable::kSlots;
         base += Entering::kRecordSize, ++records)
        EnterOne(connection, *session, packet, base);
    if (connection.OwnRecordSeen())
        session->players.RecolourAll(connection.OwnPlayerId());
}

void HandlePlayerLeaving(Connection& connection, const Packet& packet)
{
    ZoneSession* session = SessionOf(connection);
    const uint16_t id = packet.ReadU16(1);
    const Player* player = session != nullptr ? session->players.Get(id) : nullptr;
    // Nobody there: nothing to take off the list, nothing to announce, nothing to count.
    if (player == nullptr || !player->inUse)
        return;
    connection.Output().RemoveUser(player->name);
    if (session->filters.leaveNotices)
        PrintWhite(connection, "Leave: \"" + player->name + "\" has left the arena.");
    session->players.Remove(id);
    ShowCount(connection, session->players);
}

void HandleDeath(Connection& connection, const Packet& packet)
{
    using namespace DeathPacket;
    ZoneSession* session = SessionOf(connection);
    if (session == nullptr || !session->filters.deathNotices)
        return;
    const PlayerTable& players = session->players;
    PrintWhite(connection, "Death: \"" + players.NameOf(packet.ReadU16(kKilled)) + "\" killed by \"" +
                               players.NameOf(packet.ReadU16(kKiller)) + "\" - Bounty: (" +
                               std::to_string(packet.ReadU16(kBounty)) + ")");
}

void HandleFrequencyChange(Connection& connection, const Packet& packet)
{
    ZoneSession* session = SessionOf(connection);
    Player* player = session != nullptr ? session->players.Get(packet.ReadU16(1)) : nullptr;
    if (player == nullptr || !player->inUse)
        return;
    player->frequency = packet.ReadU16(3);
    Redraw(connection, *session, *player);
}

void HandleShipChange(Connection& connection, const Packet& packet)
{
    ZoneSession* session = SessionOf(connection);
    Player* player = session != nullptr ? session->players.Get(packet.ReadU16(2)) : nullptr;
    if (player == nullptr || !player->inUse)
        return;
    player->ship = packet.ReadU8(1);
    player->frequency = packet.ReadU16(4);
    Redraw(connection, *session, *player);
}
