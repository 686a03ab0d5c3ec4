#include "transport/Packet.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <ostream>

void Packet::FillFromBytes(const void* data, uint32_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.assign(p, p + length);
}

void Packet::Append(const Packet& other)
{
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
}

void Packet::Prepend(const Packet& other)
{
    bytes_.insert(bytes_.begin(), other.bytes_.begin(), other.bytes_.end());
}

void Packet::AppendBytes(const std::string& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void Packet::AppendBytes(const void* data, uint32_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + length);
}

void Packet::RangeFor(uint32_t start, uint32_t end, uint32_t& from, uint32_t& to) const
{
    const uint32_t size = Size();
    const uint32_t last = (end == 0 || end > size) ? size : end;
    if (start <= size && last > start) {
        from = start;
        to = last;
    } else {
        from = to = 0;
    }
}

Packet Packet::SubRange(uint32_t start, uint32_t end) const
{
    uint32_t from = 0, to = 0;
    RangeFor(start, end, from, to);
    return Packet(bytes_.data() + from, to - from);
}

std::string Packet::BytesAsString(uint32_t start, uint32_t end) const
{
    uint32_t from = 0, to = 0;
    RangeFor(start, end, from, to);
    return std::string(bytes_.begin() + from, bytes_.begin() + to);
}

uint32_t Packet::ReadLittleEndian(uint32_t offset, int width) const
{
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        const uint64_t at = uint64_t(offset) + i;
        if (at >= bytes_.size())
            break;
        value |= uint32_t(bytes_[at]) << (8 * i);
    }
    return value;
}

void Packet::WriteLittleEndian(uint32_t value, uint32_t offset, int width)
{
    for (int i = 0; i < width; ++i) {
        const uint64_t at = uint64_t(offset) + i;
        if (at < bytes_.size())
            bytes_[at] = uint8_t(value >> (8 * i));
    }
}

uint8_t Packet::ReadU8(uint32_t offset) const { return uint8_t(ReadLittleEndian(offset, 1)); }
uint16_t Packet::ReadU16(uint32_t offset) const { return uint16_t(ReadLittleEndian(offset, 2)); }
uint32_t Packet::ReadU32(uint32_t offset) const { return ReadLittleEndian(offset, 4); }
void Packet::WriteU8(uint8_t value, uint32_t offset) { WriteLittleEndian(value, offset, 1); }
void Packet::WriteU16(uint16_t value, uint32_t offset) { WriteLittleEndian(value, offset, 2); }
void Packet::WriteU32(uint32_t value, uint32_t offset) { WriteLittleEndian(value, offset, 4); }

std::string Packet::ReadText(uint32_t offset, uint32_t maxLength) const
{
    std::string text;
    for (uint64_t at = offset; at < bytes_.size() && bytes_[at] != 0; ++at) {
        if (maxLength != 0 && text.size() >= maxLength)
            break;
        text.push_back(char(bytes_[at]));
    }
    return text;
}

void Packet::WriteText(const std::string& text, uint32_t offset, uint32_t maxLength)
{
    size_t count = text.size();
    if (maxLength != 0 && maxLength <= count)
        count = maxLength;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t at = uint64_t(offset) + i;
        if (at >= bytes_.size())
            break;
        bytes_[at] = uint8_t(text[i]);
    }
}

namespace {

void AppendCharacterColumn(std::string& out, const uint8_t* row, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t c = row[i];
        if (c >= 0x20 && c <= 0x7E) {
            out.push_back(char(c));
            out.push_back(' ');
        } else {
            out += ". ";
        }
    }
}

} // namespace

std::string Packet::HexDump(bool fromServer) const
{
    std::string out = fromServer ? "S2C" : "C2S";
    out += "\r\n---\r\n0000   ";
    char cell[16];
    const uint32_t size = Size();
    for (uint32_t i = 0; i < size; ++i) {
        if (i != 0 && i % 16 == 0) {
            out += "      ";
            AppendCharacterColumn(out, bytes_.data() + i - 16, 16);
            std::snprintf(cell, sizeof cell, "\r\n%04X   ", unsigned(i));
            out += cell;
        }
        std::snprintf(cell, sizeof cell, "%02X ", unsigned(bytes_[i]));
        out += cell;
    }
    // A full last row gets no character column; a short one is padded first.
    const uint32_t inLastRow = size % 16;
    if (size == 0 || inLastRow != 0) {
        for (uint32_t i = inLastRow; i < 16; ++i)
            out += "   ";
        out += "      ";
        AppendCharacterColumn(out, bytes_.data() + (size - inLastRow), inLastRow);
    }
    out += "\r\n\r\n";
    return out;
}

void Packet::Log(bool fromServer, const std::string& path) const
{
    // The server decides how often and how much we log; the file stops growing
    // short of this size. A row of 16 bytes takes at most 100 characters.
    // A file not there yet counts as empty: the first block is capped as well.
    std::error_code missing;
    uint64_t size = std::filesystem::file_size(path, missing);
    if (missing)
        size = 0;
    const uint64_t blockAtMost = (uint64_t(Size()) / 16 + 1) * 100 + 20;
    if (size + blockAtMost > kMaxPacketLogBytes)
        return;
    FILE* file = std::fopen(path.c_str(), "ab");
    if (!file)
        return;
    const std::string block = HexDump(fromServer);
    std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
}

std::string ToHex(const Packet& packet)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t i = 0; i < packet.Size(); ++i) {
        hex.push_back(digits[packet.ReadU8(i) >> 4]);
        hex.push_back(digits[packet.ReadU8(i) & 15]);
    }
    return hex;
}

void PrintTo(const Packet& packet, std::ostream* os) { *os << "Packet[" << packet.Size() << "]{" << ToHex(packet) << "}"; }
