#pragma once

#include "transport/Packet.h"

#include <cstdint>
#include <string>
#include <vector>

// The zone's side of the integrity check, written from the zone's description
// of it and kept apart from the client's code: what a client must answer.
namespace SimIntegrity {

// The settings block's words, each XOR the key, summed.
uint32_t Settings(const Packet& block, uint32_t key);
// A map file's cells as the zone builds them: 1024 x 1024 tile numbers, row by row.
std::vector<uint8_t> Grid(const std::string& mapFile);
// Over the cells the key picks out, each counted tile's number XOR the key, added to the key.
uint32_t Map(const std::vector<uint8_t>& grid, uint32_t key);
// What a protocol version 1 client must give for its program.
uint32_t Program(uint32_t key);

} // namespace SimIntegrity
