#pragma once

#include "transport/Packet.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A chat packet as the zone sends it (0x07), or as the client sends it (0x06) with the target's id.
inline Packet ChatPacket(int kind, uint16_t id, const std::string& text, uint8_t type = 0x07)
{
    Packet p(5);
    p.WriteU8(type, 0);
    p.WriteU8(uint8_t(kind), 1);
    p.WriteU16(id, 3);
    p.AppendBytes(text + std::string(1, '\0'));
    return p;
}

// A map file's tile record: x in bits 0-11, y in bits 12-23, the tile number above, little-endian.
inline std::string TileRecord(uint32_t x, uint32_t y, uint32_t tile)
{
    const uint32_t v = x | y << 12 | tile << 24;
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// A packet too big for one datagram, as the big-chunk pieces (0x000A) the zone sends it in.
inline std::vector<Packet> BigChunkPieces(const Packet& whole)
{
    std::vector<Packet> pieces;
    for (uint32_t at = 0; at < whole.Size(); at += 500) {
        Packet piece(6);
        piece.WriteU8(0x00, 0);
        piece.WriteU8(0x0A, 1);
        piece.WriteU32(whole.Size(), 2);
        piece.Append(whole.SubRange(at, std::min(at + 500, whole.Size())));
        pieces.push_back(piece);
    }
    return pieces;
}
