#pragma once

#include "ZoneSim.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A player as the zone announces it in an entering record.
struct SimPlayer {
    uint16_t id = 0;
    std::string name; // the first 20 characters go on the wire
    std::string squad;
    uint8_t ship = 0; // 0-based; 8 spectates
    uint16_t frequency = 0;
    uint32_t flagPoints = 0;
    uint32_t killPoints = 0;
    uint16_t wins = 0;
    uint16_t losses = 0;
};

// The arena's map as the zone offers it.
struct SimMap {
    std::string name;     // the first 16 characters go on the wire
    std::string contents; // the file the client should end up with
    // Announced in the map information instead of the contents' CRC-32.
    std::optional<uint32_t> announcedChecksum;
    // Sent as the map file's data instead of the compressed contents.
    std::optional<std::string> compressedData;
};

// An arena of the zone's arena list and the players it holds.
struct SimArena {
    std::string name; // digits for a public arena
    uint16_t players = 0;
};

// What the zone does when a client logs in and enters an arena.
struct ArenaScript {
    uint8_t loginCode = 0;
    uint16_t ownId = 1;
    uint16_t ownFrequency = 0;
    std::string ownSquad;
    // Arena settings: the position interval and whether chat should be sent reliably.
    uint16_t positionInterval = 25;
    uint8_t reliableChat = 1;
    // The others present. The client's own record comes after the first `ownRecordAt` of them.
    std::vector<SimPlayer> players;
    size_t ownRecordAt = 0;
    size_t recordsPerPacket = 8;
    std::optional<SimMap> map;
    // Sent right after the arena-entered packet.
    std::vector<Packet> afterEntry;
    // A frequency request is granted with a frequency change of the client's own id.
    bool grantFrequencyRequests = true;
    // Listed in answer to the public chat "?arena", the client's own arena marked;
    // an arena the client entered that is not listed is added.
    std::vector<SimArena> arenas;
    // The integrity check: a request with key 0 on every arena entry, and a round
    // every `integrityInterval` hundredths (0: none) for a client that has sent a
    // position since it entered. Strict: a wrong answer, or none within 15 s, and
    // the client is disconnected.
    uint32_t integrityInterval = 0;
    bool strictIntegrity = false;
    // For tests: the check is made as if the settings block sent had one byte changed.
    bool corruptSettingsCheck = false;
};

// One integrity round: its key and what was wrong with the answer ("" when all was right).
struct IntegrityRound {
    uint32_t key = 0;
    std::string problem;
};

// The zone messages on the wire, server to client. Each returns the whole zone packet.
namespace ZonePackets {
Packet LoginResponse(uint8_t code);
Packet OwnId(uint16_t id);
// 1,428 bytes: a filler pattern, with the two values the client reads put in place.
Packet ArenaSettings(uint16_t positionInterval, uint8_t reliableChat);
// 17 bytes: the seeds, when they took effect, and the key (0: no answer wanted).
Packet IntegrityRequest(uint32_t key);
Packet ArenaEntered();
// 64 bytes per player.
Packet PlayersEntering(const std::vector<SimPlayer>& players);
Packet PlayerLeaving(uint16_t id);
Packet Death(uint16_t killer, uint16_t killed, uint16_t bounty);
Packet FrequencyChange(uint16_t id, uint16_t frequency);
Packet ShipChange(uint16_t id, uint8_t ship, uint16_t frequency);
Packet Chat(uint8_t kind, uint16_t senderId, const std::string& text);
Packet MapInformation(const std::string& name, uint32_t checksum, uint32_t compressedSize);
Packet MapFile(const std::string& name, const std::string& compressed);
Packet File(const std::string& name, const std::string& contents);
Packet FileRequest(const std::string& localName, const std::string& sendAs);
// Each arena's name and count; the count of `current` is sent as 65536 minus it.
Packet ArenaList(const std::vector<SimArena>& arenas, const std::string& current);

// zlib's compress2 at its best level, and its CRC-32.
std::string Compress(const std::string& bytes);
uint32_t Crc32(const std::string& bytes);
} // namespace ZonePackets

// What the client sent, as the zone read it.
struct Heard {
    Packet packet;
    Arrival via;
    uint32_t at = 0; // the simulator's clock
};
struct HeardLogin : Heard {
    std::string name, password;
};
enum class ArenaForm { AnyPublic, Numbered, Named };
struct HeardArenaEntry : Heard {
    ArenaForm form = ArenaForm::AnyPublic;
    uint16_t selector = 0;
    std::string name;
};
struct HeardPosition : Heard {
    uint32_t clientTime = 0;
    uint8_t check = 0;
    bool checkValid = false;
    uint16_t x = 0, y = 0;
};
struct HeardChat : Heard {
    uint8_t kind = 0;
    uint16_t target = 0;
    std::string text;
};
struct HeardFrequencyRequest : Heard {
    uint16_t frequency = 0;
};
struct HeardFile : Heard {
    std::string name, contents;
};

// The zone server on top of the simulator's core protocol: it answers the login
// and the arena entry as the script says, offers the map, and records everything
// the client sends. Packets the client gets wrong are reported as violations.
// Answers go to the client that asked; the Send helpers go to the latest client.
class ZoneServer {
public:
    explicit ZoneServer(ZoneSim& sim, ArenaScript script = {});
    ~ZoneServer();
    ZoneServer(const ZoneServer&) = delete;
    ZoneServer& operator=(const ZoneServer&) = delete;

    ArenaScript& Script() { return script_; }
    ZoneSim& Sim() { return sim_; }

    // --- Sending to the latest client; false when there is none ---
    bool Send(const Packet& packet, bool reliable = true);
    bool SendChat(uint8_t kind, uint16_t senderId, const std::string& text);
    bool SendPlayerLeaving(uint16_t id);
    bool SendDeath(uint16_t killer, uint16_t killed, uint16_t bounty);
    bool SendFrequencyChange(uint16_t id, uint16_t frequency);
    bool SendShipChange(uint16_t id, uint8_t ship, uint16_t frequency);
    bool SendPlayersEntering(const std::vector<SimPlayer>& players);
    bool SendMapInformation(const SimMap& map);
    bool SendMapFile(const SimMap& map);
    bool PushFile(const std::string& name, const std::string& contents);
    bool RequestFile(const std::string& localName, const std::string& sendAs);

    // --- What the client sent ---
    const std::vector<HeardLogin>& Logins() const { return logins_; }
    const std::vector<HeardArenaEntry>& ArenaEntries() const { return arenaEntries_; }
    const std::vector<HeardPosition>& Positions() const { return positions_; }
    const std::vector<HeardChat>& Chats() const { return chats_; }
    const std::vector<HeardFrequencyRequest>& FrequencyRequests() const { return frequencyRequests_; }
    const std::vector<Heard>& MapRequests() const { return mapRequests_; }
    const std::vector<HeardFile>& Files() const { return files_; }
    const std::vector<Heard>& ArenaLeaves() const { return arenaLeaves_; }
    // The integrity rounds so far, each once it was decided.
    const std::vector<IntegrityRound>& IntegrityRounds() const { return integrityRounds_; }
    void ClearHeard();

    // The players the latest client was shown, by id, as the zone keeps them.
    const std::map<uint16_t, SimPlayer>& Present() const { return present_; }
    // The arena the latest client entered ("0" for any public one); empty once it left.
    const std::string& CurrentArena() const { return currentArena_; }
    // The arena list as "?arena" answers it now.
    Packet ArenaListNow() const;

private:
    Heard Note(const Packet& packet) const;
    void Complain(const std::string& what) { sim_.Violation("zone: " + what); }

    void OnLogin(SimSession& session, const Packet& packet);
    void OnArenaEntry(SimSession& session, const Packet& packet);
    void OnLeaveArena(SimSession& session, const Packet& packet);
    void OnPosition(SimSession& session, const Packet& packet);
    void OnChat(SimSession& session, const Packet& packet);
    void OnFrequencyRequest(SimSession& session, const Packet& packet);
    void OnMapRequest(SimSession& session, const Packet& packet);
    void OnFile(SimSession& session, const Packet& packet);
    void OnIntegrityAnswer(SimSession& session, const Packet& packet);

    void RunIntegrityTimers();
    void StartIntegrityRound();
    void IntegrityDecided(const std::string& problem);

    void EnterArena(SimSession& session);
    static void SendMap(SimSession& session, const SimMap& map, bool information);

    ZoneSim& sim_;
    ArenaScript script_;
    std::string ownName_; // as the latest login gave it
    std::map<uint16_t, SimPlayer> present_;
    std::string currentArena_;

    std::vector<HeardLogin> logins_;
    std::vector<HeardArenaEntry> arenaEntries_;
    std::vector<HeardPosition> positions_;
    std::vector<HeardChat> chats_;
    std::vector<HeardFrequencyRequest> frequencyRequests_;
    std::vector<Heard> mapRequests_;
    std::vector<HeardFile> files_;
    std::vector<Heard> arenaLeaves_;

    struct Expected {
        uint32_t settings = 0, map = 0, program = 0;
    };
    uint32_t nextRound_ = 0;
    bool roundStarted_ = false;
    uint32_t roundKey_ = 0;
    Expected expected_;
    bool asked_ = false;
    uint32_t answerDue_ = 0;
    bool positionSinceEntry_ = false;
    uint32_t keySource_;
    std::vector<IntegrityRound> integrityRounds_;
};
