#include "console/StaffCommands.h"

#include "console/Console.h"
#include "zone/Chat.h"
#include "zone/Zone.h"

namespace {

constexpr const char* kInvalidKickTime = "Invalid Value for Kick Time";
// Private texts: the leading "/" is the marker that SendChat leaves out.
constexpr const char* kKickText = "/*kill ";
constexpr const char* kSilenceText = "/*shutup";
constexpr const char* kInfoText = "/*info";
constexpr const char* kServerLogText = "*log";
constexpr const char* kServerLagText = "*lag";

std::string BanFlags(const BanOptions& options)
{
    std::string flags;
    if (options.allAccounts)
        flags += "-! ";
    if (options.dontKick)
        flags += "-k ";
    return flags;
}

void SendInArena(Console& console, const std::string& text, bool echo)
{
    // Out of the arena the command would go out mid-login or to no one.
    if (console.zone.InArena())
        SendChat(console.zone, text, kChatPublic, 0, echo);
}

// Says what the command does and sends it, when the player is still here.
void CommandPlayer(Console& console, const std::string& saying, const std::string& text, const std::string& player)
{
    Zone& zone = console.zone;
    const uint16_t id = zone.players.FindByName(player);
    if (id == PlayerTable::kNotFound) {
        zone.White(kPlayerNotInArena + player);
        return;
    }
    zone.White(saying + player);
    SendChat(zone, text, kChatPrivate, id, false);
}

} // namespace

std::string GenericBanText(const BanOptions& options)
{
    return "?ban -a" + options.level + " -e" + options.days + " -i" + options.ip + " -m" + options.ipRange + " -n" +
           options.id + " " + BanFlags(options) + options.name;
}

std::string PlayerBanText(const BanOptions& options, const std::string& player)
{
    return "?ban -a" + options.level + " -e" + options.days + " " + BanFlags(options) + player;
}

bool ValidKickTime(const std::string& text)
{
    const size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    // A sign alone is no number of minutes.
    if (digits == text.size())
        return false;
    for (size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

void SendGenericBan(Console& console, const BanOptions& options)
{
    SendInArena(console, GenericBanText(options), false);
}

void SendPlayerBan(Console& console, const BanOptions& options, const std::string& player)
{
    SendChat(console.zone, PlayerBanText(options, player), kChatPublic, 0, true);
}

void SendServerLog(Console& console) { SendInArena(console, kServerLogText, false); }

void SendServerLag(Console& console) { SendInArena(console, kServerLagText, false); }

void KickPlayer(Console& console, const std::string& player, const std::string& minutes)
{
    if (!ValidKickTime(minutes)) {
        console.zone.White(kInvalidKickTime);
        return;
    }
    CommandPlayer(console, "Kicking: ", kKickText + minutes, player);
}

void SilencePlayer(Console& console, const std::string& player) { CommandPlayer(console, "Silencing: ", kSilenceText, player); }

void InfoOnPlayer(Console& console, const std::string& player) { CommandPlayer(console, "Info On: ", kInfoText, player); }
