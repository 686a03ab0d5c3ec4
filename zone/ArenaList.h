#pragma once

#include <string>

class Zone;
class Packet;

// The zone's arenas: the list the server sends in answer to its "?arena"
// command, and the move to another arena that "?go" asks for.

// 0x2F: logged to Packet.log, then shown as one green line.
void HandleArenaList(Zone& zone, const Packet& packet);

// Leaves the arena, forgets its players and asks to enter `arena` (empty: any
// public arena; all digits: a numbered one; anything else: a name).
void ChangeArena(Zone& zone, const std::string& arena);
