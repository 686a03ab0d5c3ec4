#pragma once

// A command named a player who is not (or no longer) in the arena; nothing is sent.
inline constexpr const char* kPlayerNotInArena = "ERROR: Player Not in Arena: ";

class ChatOutput;
class IgnoreLists;
class Zone;

// What the user's commands work on: the zone they go to, the output they print
// into and the ignore lists.
struct Console {
    Zone& zone;
    ChatOutput& output;
    IgnoreLists& ignores;
};
