#pragma once

#include <string>

class ChatFrame;

// Moderator and sysop commands, from the Staff menu and the player menu. The
// server decides who may use them; the client only sends their texts.
void StaffGenericBan(ChatFrame& frame);
void StaffServerLog(ChatFrame& frame);
void StaffServerLag(ChatFrame& frame);
void StaffKick(ChatFrame& frame, const std::string& name);
void StaffBan(ChatFrame& frame, const std::string& name);
void StaffSilence(ChatFrame& frame, const std::string& name);
void StaffInfo(ChatFrame& frame, const std::string& name);

// --- The command texts, as the server reads them ---

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
// Private texts: the leading "/" is the marker that send chat leaves out.
std::string KickText(const std::string& minutes);
inline const char* const kSilenceText = "/*shutup";
inline const char* const kInfoText = "/*info";
inline const char* const kServerLogText = "*log";
inline const char* const kServerLagText = "*lag";
