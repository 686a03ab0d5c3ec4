#pragma once

#include "ZoneServer.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The arena the executable offers: three players, a small map and a greeting.
ArenaScript DemoArena();

// The arena of the demo mode: more players, a busier map list and a greeting.
ArenaScript LivelyArena();

// Keeps the demo arena lively: every few seconds a scripted player enters, leaves,
// dies, changes frequency or ship, or says something in one of the chat kinds. It
// answers the user's private messages and the staff commands, and pushes the news
// file after each arena entry. Call Step() after each poll of the simulator, before
// the server's heard lists are cleared (if they are).
class DemoDirector {
public:
    DemoDirector(ZoneServer& server, const Clock& clock, uint32_t interval = 150);

    void Step();

    // The news file pushed after each arena entry.
    static const char* NewsText();

private:
    struct Event {
        enum Kind { Say, Enter, Leave, Die, Frequency, Ship } kind = Say;
        uint16_t id = 0;    // the acting player
        uint16_t other = 0; // the killer for Die
        uint8_t chatKind = 0;
        std::string text;
        uint16_t value = 0; // frequency, or ship for Ship
    };

    void OnEntered();
    void Answer(const HeardChat& chat);
    void Play(const Event& event);
    std::string NameOf(uint16_t id) const;
    // False while the player answered within the last few seconds, so that the
    // client's away replies and the players' answers cannot ping-pong forever.
    bool MayAnswer(const std::string& name);

    ZoneServer& server_;
    const Clock& clock_;
    uint32_t interval_;
    std::vector<Event> events_;
    size_t next_ = 0;
    bool inArena_ = false;
    uint32_t due_ = 0;
    std::map<std::string, uint32_t> answeredAt_;
    // How much of the server's heard lists was read already.
    size_t entriesSeen_ = 0, leavesSeen_ = 0, chatsSeen_ = 0;
};
