#pragma once

#include <string>

class ChatFrame;

// Moderator and sysop commands, from the Staff menu and the player menu.
void StaffGenericBan(ChatFrame& frame);
void StaffServerLog(ChatFrame& frame);
void StaffServerLag(ChatFrame& frame);
void StaffKick(ChatFrame& frame, const std::string& name);
void StaffBan(ChatFrame& frame, const std::string& name);
void StaffSilence(ChatFrame& frame, const std::string& name);
void StaffInfo(ChatFrame& frame, const std::string& name);
