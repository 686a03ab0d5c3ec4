#include "zone/PlayerTable.h"

#include "zone/Names.h"
#include "zone/ZoneConsole.h"

namespace {

const std::string& EmptyName()
{
    static const std::string empty;
    return empty;
}

} // namespace

PlayerTable::PlayerTable(ZoneConsole& console) : console_(console) { Clear(true); }

void PlayerTable::Set(uint16_t id, const std::string& name, const std::string& squad, uint16_t frequency, uint16_t ship,
                      uint32_t points, uint32_t wins, uint32_t losses)
{
    if (!ValidId(id))
        return;
    Player& player = players_[id];
    if (!player.inUse)
        ++count_;
    player.id = id;
    player.name = name.substr(0, Player::kMaxName);
    player.squad = squad.substr(0, Player::kMaxName);
    player.frequency = frequency;
    player.ship = ship;
    player.points = points;
    player.wins = wins;
    player.losses = losses;
    player.inUse = true;
}

void PlayerTable::Remove(uint16_t id)
{
    if (!ValidId(id) || !players_[id].inUse)
        return;
    players_[id] = Player();
    --count_;
}

const std::string& PlayerTable::NameOf(uint32_t id) const
{
    const Player* player = Get(id);
    return player != nullptr ? player->name : EmptyName();
}

void PlayerTable::Clear(bool silent)
{
    for (Player& player : players_) {
        if (!silent && player.inUse)
            console_.RemoveUser(player.name);
        player = Player();
    }
    count_ = 0;
}

uint16_t PlayerTable::FindByName(const std::string& name) const
{
    for (const Player& player : players_)
        if (player.inUse && SameNameNoCase(Visible(player.name), Visible(name)))
            return player.id;
    return kNotFound;
}

int PlayerTable::KindOf(const Player& player, uint16_t ownId) const
{
    const Player* own = Get(ownId);
    const bool sameFrequency = own != nullptr && own->inUse && own->frequency == player.frequency;
    const bool spectating = player.ship == kSpectatorShip;
    if (sameFrequency)
        return spectating ? kOwnFreqSpec : kOwnFreq;
    return spectating ? kOtherFreqSpec : kOtherFreq;
}

void PlayerTable::RecolourAll(uint16_t ownId)
{
    for (const Player& player : players_)
        if (player.inUse)
            console_.SetUserKind(player.name, KindOf(player, ownId));
}
