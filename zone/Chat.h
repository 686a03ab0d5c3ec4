#pragma once

#include <cstdint>
#include <string>

class Zone;
class Packet;

// Chat kinds, the same in both directions; each kind is also its colour slot.
enum ChatKind : int {
    kChatArena = 0,
    kChatPublicMacro = 1,
    kChatPublic = 2,
    kChatTeam = 3,
    kChatFrequency = 4,
    kChatPrivate = 5,
    kChatServerNotice = 6,
    kChatRemotePrivate = 7,
    kChatSysopWarning = 8,
    kChatChannel = 9,
};

// 0x07: shows the message as its kind says, unless its sender is ignored or the
// user has muted the kind; answers private messages while away.
void HandleChat(Zone& zone, const Packet& packet);

// Sends one chat line. For team, frequency and private messages the first
// character is the marker the user typed and is not sent. A remote private
// message (":name:text") to a player in the arena goes out as a private one.
// With `echo`, the line is also shown as the server would show it.
void SendChat(Zone& zone, const std::string& text, int kind, uint16_t target, bool echo);

// Asks the server to move the user to another frequency (0x0F), reliably.
void SendFrequencyChange(Zone& zone, uint16_t frequency);
