#include "console/PlayerMenu.h"

#include "transport/Connection.h"
#include "zone/ZoneSession.h"

#include <string>

std::string PlayerToolTip(const Player& player)
{
    return "----------------------------------------\n(Name)>  " + player.name + "\n(Sqaud)> " + player.squad +
           "\n(Freq)>    " + std::to_string(player.frequency) + "\n(Ship)>     " +
           std::to_string(uint32_t(player.ship) + 1) + "\n(Points)>  " + std::to_string(player.points) +
           "\n(Wins)>    " + std::to_string(player.wins) + "\n(Losses)> " + std::to_string(player.losses);
}

std::string PlayerToolTipFor(const Connection& connection, const std::string& name)
{
    const Player* player = FindPlayer(connection, name);
    return player != nullptr ? PlayerToolTip(*player) : std::string();
}
