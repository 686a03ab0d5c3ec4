#pragma once

#include <string>

class Connection;
class Packet;

// The zone's arenas: the list the server sends in answer to its "?arena"
// command, and the move to another arena that "?go" asks for.

// 0x2F: logged to Packet.log, then shown as one green line.
void HandleArenaList(Connection& connection, const Packet& packet);
// The line HandleArenaList prints for a packet, pieces joined.
std::string ArenaListText(const Packet& packet);

// Leaves the arena, forgets its players and asks to enter `arena` (empty: any
// public arena; all digits: a numbered one; anything else: a name).
void ChangeArena(Connection& connection, const std::string& arena);

// The leave-arena packet (0x02), reliably.
void SendLeaveArena(Connection& connection);

// Empty, or digits after at most one leading "+" or "-": shown as "Public ...".
bool ArenaNameIsNumber(const std::string& name);
