#pragma once

#include <cstdint>
#include <string>

class Packet;
class TileGrid;
class Zone;

// The zone's integrity check: the server sends a key (0x18) and the client
// answers (0x1A) with three checksums made with it, over the arena settings, the
// arena map and the program. A strict zone removes a client whose answer is
// wrong or missing.

// The 1,428-byte settings block as 357 words, each XOR the key, summed.
uint32_t SettingsChecksum(const Packet& settings, uint32_t key);

// The tile grid as the server builds it for the check: empty to start with, the
// extended map's TILE chunks, then the ordinary records, where tiles 217, 219
// and 220 cover squares of 2, 6 and 5 cells a side.
void BuildCheckGrid(const std::string& mapBytes, TileGrid& grid);
// Over the cells the key picks out, what the counted tiles add; the key alone for none.
uint32_t MapChecksum(const TileGrid& grid, uint32_t key);

// The checksum a protocol version 1 client gives for its program.
uint32_t ProgramChecksum(uint32_t key);

// The round trips of the connection the answer reports, in hundredths.
struct PingFigures {
    uint16_t last = 0, average = 0, lowest = 0, highest = 0;
};
// The 40-byte answer (0x1A): the three checksums and the pings; a chat client
// counts no weapons and classes no packets as slow or fast, so those are 0.
Packet IntegrityAnswer(const Packet& settings, const TileGrid& grid, uint32_t key, const PingFigures& pings);

// 0x18: answered at once, or when the map the zone is downloading is in.
void HandleIntegrityRequest(Zone& zone, const Packet& packet);
// The map is in: a request that waited for it is answered, when it is not too old.
void AnswerWaitingIntegrityRequest(Zone& zone);
