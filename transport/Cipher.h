#pragma once

#include "transport/Packet.h"

#include <array>
#include <cstdint>

// The zone protocol's stream cipher. The key table is 130 little-endian words
// made from the server's key; a core packet keeps its two header bytes in the
// clear, a zone packet its type byte.
class Cipher {
public:
    static constexpr uint32_t kTableBytes = 520;
    using Table = std::array<uint8_t, kTableBytes>;

    static Table MakeTable(uint32_t key);

    void Start(uint32_t key);
    void Stop() { active_ = false; }
    bool Active() const { return active_; }
    uint32_t Key() const { return key_; }
    const Table& KeyTable() const { return table_; }

    void Encrypt(Packet& packet) const;
    void Decrypt(Packet& packet) const;

private:
    uint32_t Word(uint32_t k) const;

    uint32_t key_ = 0;
    Table table_{};
    bool active_ = false;
};
