#pragma once

#include <string>

class Connection;
class Packet;

// From the finished handshake to a seat in an arena: the login, the server's
// verdict, the arena entry, the arena settings and the arena-entered packet;
// and the position report the client keeps sending while it sits there.

// The login packet (0x09), reliably; name and password come from the settings.
void SendLogin(Connection& connection);
// 0x0A: prints the verdict, then enters the configured arena or disconnects.
void HandleLoginResponse(Connection& connection, const Packet& packet);

// The arena-entry packet (0x01) for the `Arena`/`Name` setting, or for the given
// text: empty for any public arena, all digits for a numbered one, else a name.
void SendArenaEntry(Connection& connection);
void SendArenaEntry(Connection& connection, const std::string& arena);

// 0x0F: keeps a copy of the arena settings.
void HandleArenaSettings(Connection& connection, const Packet& packet);
// 0x02: periodic work on, the zone entry automation, then in arena.
void HandleArenaEntered(Connection& connection, const Packet& packet);

// The position packet (0x03), unreliably.
void SendPosition(Connection& connection);
