#pragma once

#include <string>

class Zone;
class Packet;

// From the finished handshake to a seat in an arena: the login, the server's
// verdict, the arena entry, the arena settings and the arena-entered packet;
// and the position report the client keeps sending while it sits there.

// The login packet (0x09), reliably; name and password come from the settings.
void SendLogin(Zone& zone);
// 0x0A: prints the verdict, then enters the configured arena or disconnects.
void HandleLoginResponse(Zone& zone, const Packet& packet);

// The arena-entry packet (0x01) for the `Arena`/`Name` setting, or for the given
// text: empty for any public arena, all digits for a numbered one, else a name.
void SendArenaEntry(Zone& zone);
void SendArenaEntry(Zone& zone, const std::string& arena);

// 0x0F: keeps a copy of the arena settings.
void HandleArenaSettings(Zone& zone, const Packet& packet);
// 0x02: periodic work on, the zone entry automation, then in arena.
void HandleArenaEntered(Zone& zone, const Packet& packet);

// The position packet (0x03), unreliably.
void SendPosition(Zone& zone);
