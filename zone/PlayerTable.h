#pragma once

#include <array>
#include <cstdint>
#include <string>

class ZoneConsole;

// One slot of the player table. A free slot is all zeros with the empty name.
struct Player {
    static constexpr size_t kMaxName = 20;

    uint16_t id = 0;
    std::string name;  // at most kMaxName characters
    std::string squad; // at most kMaxName characters
    uint16_t frequency = 0;
    uint16_t ship = 0; // 0-based; 8 is spectating
    uint32_t points = 0;
    uint32_t wins = 0;
    uint32_t losses = 0;
    bool inUse = false;
};

// The players of the current arena by the id the server gave them, mirrored in
// the user list.
class PlayerTable {
public:
    static constexpr uint16_t kSlots = 512;
    static constexpr uint16_t kNoPlayer = 512; // no id given yet
    static constexpr uint16_t kNotFound = 513; // a failed search by name
    static constexpr uint16_t kSpectatorShip = 8;

    explicit PlayerTable(ZoneConsole& console);

    static bool ValidId(uint32_t id) { return id < kSlots; }

    // Fills the slot. A slot already in use is replaced, not counted twice; the
    // caller takes the old name off the user list first.
    void Set(uint16_t id, const std::string& name, const std::string& squad, uint16_t frequency, uint16_t ship,
             uint32_t points, uint32_t wins, uint32_t losses);
    // Frees the slot; a free slot stays free and the count is untouched.
    void Remove(uint16_t id);
    // The slot (possibly free), or null for an id outside the table.
    const Player* Get(uint32_t id) const { return ValidId(id) ? &players_[id] : nullptr; }
    Player* Get(uint32_t id) { return ValidId(id) ? &players_[id] : nullptr; }
    // The name in that slot; "" for a free slot or an id outside the table.
    const std::string& NameOf(uint32_t id) const;
    // Empties every slot; unless silent, takes every name off the user list first.
    void Clear(bool silent);
    // The id of the first present player of that name, without regard to case, or
    // kNotFound; a name from the player list, with its control characters made visible, finds them too.
    uint16_t FindByName(const std::string& name) const;

    // The user-list kind of a player, judged against the client's own player.
    int KindOf(const Player& player, uint16_t ownId) const;
    // Redraws every present player's user-list entry against the own player.
    void RecolourAll(uint16_t ownId);

    uint32_t Count() const { return count_; }

private:
    ZoneConsole& console_;
    std::array<Player, kSlots> players_;
    uint32_t count_ = 0;
};
