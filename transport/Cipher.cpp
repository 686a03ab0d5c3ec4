#include "transport/Cipher.h"

namespace {

uint32_t StartOffset(const Packet& packet) { return packet.ReadU8(0) == 0x00 ? 2 : 1; }

} // namespace

Cipher::Table Cipher::MakeTable(uint32_t key)
{
    Table table{};
    uint32_t s = key;
    for (uint32_t i = 0; i < kTableBytes / 2; ++i) {
        s = 16807u * (s % 127773u) - 2836u * (s / 127773u) + 123u;
        if (int32_t(s) < 0)
            s += 0x7FFFFFFFu;
        table[2 * i] = uint8_t(s);
        table[2 * i + 1] = uint8_t(s >> 8);
    }
    return table;
}

void Cipher::Start(uint32_t key)
{
    key_ = key;
    table_ = MakeTable(key);
    active_ = true;
}

uint32_t Cipher::Word(uint32_t k) const
{
    const uint32_t at = 4 * k;
    if (at + 3 >= kTableBytes)
        return 0; // never reached: datagrams are at most 520 bytes
    return uint32_t(table_[at]) | uint32_t(table_[at + 1]) << 8 | uint32_t(table_[at + 2]) << 16 |
           uint32_t(table_[at + 3]) << 24;
}

void Cipher::Encrypt(Packet& packet) const
{
    if (!active_)
        return;
    uint32_t state = key_;
    const uint32_t size = packet.Size();
    for (uint32_t i = StartOffset(packet), k = 0; i < size; i += 4, ++k) {
        state ^= packet.ReadU32(i) ^ Word(k);
        packet.WriteU32(state, i);
    }
}

void Cipher::Decrypt(Packet& packet) const
{
    if (!active_)
        return;
    uint32_t state = key_;
    const uint32_t size = packet.Size();
    for (uint32_t i = StartOffset(packet), k = 0; i < size; i += 4, ++k) {
        const uint32_t c = packet.ReadU32(i);
        packet.WriteU32(Word(k) ^ c ^ state, i);
        state = c;
    }
}
