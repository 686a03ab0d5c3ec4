#pragma once

#include "transport/Connection.h"
#include "zone/MapFile.h"
#include "zone/PlayerTable.h"
#include "zone/PrivateReplies.h"
#include "zone/ReceptionFilters.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

class ProgramFolder;
class SettingsSource;
class ZoneConsole;

// The zone's side of one client: the game's messages in and out, and the
// zone's state in one place (own id, arena, arena settings, players, the tile
// grid, the user's reception choices, away and the recent private senders).
// It listens to the connection and speaks to the user through the console.
class Zone final : public ConnectionListener {
public:
    static constexpr uint32_t kArenaSettingsSize = 1428;
    static constexpr uint16_t kStartPosition = 8192;

    Zone(Connection& link, ZoneConsole& console, const SettingsSource& settings, const ProgramFolder& folder);
    ~Zone() override;
    Zone(const Zone&) = delete;
    Zone& operator=(const Zone&) = delete;

    Connection& Link() const { return link_; }
    ZoneConsole& Console() const { return console_; }
    const SettingsSource& Settings() const { return settings_; }
    const ProgramFolder& Folder() const { return folder_; }
    uint32_t Now() const { return link_.Now(); }

    // A whole line in the client's own colours.
    void White(const std::string& text) const;
    void Green(const std::string& text) const;

    PlayerTable players;
    ReceptionFilters filters;
    AwayState away;
    RecentSenders recentSenders;
    TileGrid tiles;

    // A map file as it was when it was read: its path, size and time.
    struct MapFileState {
        std::string path;
        uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool operator==(const MapFileState& o) const { return path == o.path && size == o.size && time == o.time; }
    };
    // The arena map: the one asked for in this arena, until it arrives; the local
    // copy whose checksum was last read, and the one the tile grid holds.
    struct MapState {
        std::string requested;
        MapFileState checked;
        uint32_t checkedSum = 0;
        MapFileState loaded;
        bool unsavedSaid = false;
        // The map this arena uses from memory, when it could not be saved.
        std::string inMemory;
        uint32_t inMemorySum = 0;
    } map;
    // A downloaded map on its way through a thread of its own: inflated, saved and
    // read there; what it gives is taken in by FinishMapDownload.
    struct MapJob {
        std::string packed, name, path;
        uint64_t budgetLeft = 0;
        uint64_t arena = 0;
        TileGrid tiles, check;
        std::string map;
        bool inflated = false, withinBudget = false, saved = false;
        size_t size = 0;
        uint32_t sum = 0;
        MapFileState stamp;
        std::atomic<bool> done{false};
    };
    std::shared_ptr<MapJob> mapJob;
    uint64_t mapArena = 0; // counts the arenas left: a map for one left behind is dropped
    // The arena map as the integrity check sees it, and a check that waits for the map.
    TileGrid checkGrid;
    struct WaitingCheck {
        uint32_t key = 0;
        uint32_t arrived = 0;
    } waitingCheck;
    // Files the server asked for that wait in the transfer queue, by local name;
    // and the reliable number of the last answer sent whole, by local name.
    std::map<std::string, uint64_t> queuedUploads;
    std::map<std::string, uint32_t> answeredUploads;
    // A login is answered once and an arena entry entered once: a server that sends
    // either again gets nothing more for it.
    bool awaitingLoginAnswer = false;
    bool awaitingArenaEntered = false;
    // One map is downloaded per arena entry the user makes, and Maps/ gains at most
    // this much a run; past it a map is used from memory only.
    bool mapAskedThisEntry = false;
    uint64_t mapBytesSaved = 0;
    uint64_t mapSaveBudget = uint64_t(256) << 20;
    bool mapBudgetSaid = false;
    // Where the arena list's hex dump goes; each zone of a window has its own.
    std::string packetLog = "Packet.log";

    uint16_t OwnPlayerId() const { return ownPlayerId_; }
    void SetOwnPlayerId(uint16_t id) { ownPlayerId_ = id; }
    bool OwnRecordSeen() const { return ownRecordSeen_; }
    void SetOwnRecordSeen(bool seen) { ownRecordSeen_ = seen; }
    bool InArena() const { return inArena_; }
    void SetInArena(bool inArena) { inArena_ = inArena; }
    uint16_t PositionX() const { return kStartPosition; }
    uint16_t PositionY() const { return kStartPosition; }

    // A copy of the first 1,428 bytes of the arena settings packet (the rest zero).
    void StoreArenaSettings(const Packet& packet);
    const Packet& ArenaSettings() const { return arenaSettings_; }

    // The arena is being left: not in it, own record not seen, no own id.
    void LeaveArenaState();
    void ForgetArenaMap();

    // --- ConnectionListener ---
    void OnConnecting() override;
    void OnHandshakeDone() override;
    bool OnZonePacket(const Packet& packet) override;
    void OnPositionDue() override;
    void OnSessionEnded() override;
    void OnTickHandled() override;

    // The player list is judged again against the own player once this tick's packets are handled.
    void RecolourSoon() { recolourDue_ = true; }
    bool ExpectsTraffic() const override { return inArena_; }
    void OnNotice(const std::string& text) override;
    void OnEvent(const std::string& text) override;

private:
    Connection& link_;
    ZoneConsole& console_;
    const SettingsSource& settings_;
    const ProgramFolder& folder_;

    uint16_t ownPlayerId_ = PlayerTable::kNoPlayer;
    bool ownRecordSeen_ = false;
    bool inArena_ = false;
    bool recolourDue_ = false;
    bool eventsLogged_ = true; // Event.txt could be written so far
    Packet arenaSettings_;
};
