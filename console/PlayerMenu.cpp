#include "console/PlayerMenu.h"

#include "zone/Names.h"

#include "zone/Zone.h"

#include <string>

namespace {

// The player's details as the user list's tool tip shows them (ship counted from 1).
std::string PlayerToolTip(const Player& player)
{
    return "----------------------------------------\n(Name)>  " + Visible(player.name) + "\n(Sqaud)> " + Visible(player.squad) +
           "\n(Freq)>    " + std::to_string(player.frequency) + "\n(Ship)>     " +
           std::to_string(uint32_t(player.ship) + 1) + "\n(Points)>  " + std::to_string(player.points) +
           "\n(Wins)>    " + std::to_string(player.wins) + "\n(Losses)> " + std::to_string(player.losses);
}

} // namespace

std::string PlayerToolTipFor(const Zone& zone, const std::string& name)
{
    const Player* player = zone.players.Get(zone.players.FindByName(name));
    return player != nullptr ? PlayerToolTip(*player) : std::string();
}
