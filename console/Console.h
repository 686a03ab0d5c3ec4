#pragma once

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
