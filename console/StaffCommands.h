#pragma once

#include <string>

struct Console;

// Moderator and sysop commands, from the Staff menu and the player menu. The
// server decides who may use them; the client only sends their texts.

// What the ban dialog holds, each field as the user typed it (Windows-1252 bytes).
struct BanOptions {
    std::string level = "4";
    std::string days = "7";
    std::string ip;
    std::string ipRange;
    std::string id;
    std::string name;
    bool allAccounts = false;
    bool dontKick = false;
};

// "?ban -a<level> -e<days> -i<ip> -m<range> -n<id> " with the flags and the name
// field; an empty field leaves its option letter bare.
std::string GenericBanText(const BanOptions& options);
// "?ban -a<level> -e<days> " with the flags and the player; the address fields
// and the name field play no part.
std::string PlayerBanText(const BanOptions& options, const std::string& player);

// A kick time is a whole number of minutes with an optional sign.
bool ValidKickTime(const std::string& text);

// Each sends only in an arena; the generic ban and the server commands silently,
// the player ban with its echo.
void SendGenericBan(Console& console, const BanOptions& options);
void SendPlayerBan(Console& console, const BanOptions& options, const std::string& player);
void SendServerLog(Console& console);
void SendServerLag(Console& console);
// Say what they do, then send a private command to the player, looked up now:
// the player may have left since the menu opened, and then nothing is sent.
void KickPlayer(Console& console, const std::string& player, const std::string& minutes);
void SilencePlayer(Console& console, const std::string& player);
void InfoOnPlayer(Console& console, const std::string& player);
