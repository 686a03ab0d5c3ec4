#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A sized run of bytes with bounds-tolerant little-endian accessors. Reads past
// the end give zeros, writes past the end are dropped; nothing here ever fails.
class Packet {
public:
    Packet() = default;
    explicit Packet(uint32_t size) : bytes_(size, 0) {}
    Packet(const void* data, uint32_t length) { FillFromBytes(data, length); }
    static Packet FromString(const std::string& bytes)
    {
        return Packet(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
    bool Empty() const { return bytes_.empty(); }
    const uint8_t* Data() const { return bytes_.data(); }
    uint8_t* Data() { return bytes_.data(); }
    // The caller guarantees offset < Size().
    uint8_t* ByteAt(uint32_t offset) { return &bytes_[offset]; }
    const uint8_t* ByteAt(uint32_t offset) const { return &bytes_[offset]; }

    void Clear() { bytes_.clear(); }
    void FillFromBytes(const void* data, uint32_t length);
    void Append(const Packet& other);
    void Prepend(const Packet& other);
    void AppendBytes(const std::string& bytes);
    void AppendBytes(const void* data, uint32_t length);

    // Bytes [start, end); an end of 0 or past the size means "to the end".
    Packet SubRange(uint32_t start, uint32_t end) const;
    std::string BytesAsString(uint32_t start, uint32_t end) const;
    std::string ToString() const { return std::string(bytes_.begin(), bytes_.end()); }

    uint8_t ReadU8(uint32_t offset) const;
    uint16_t ReadU16(uint32_t offset) const;
    uint32_t ReadU32(uint32_t offset) const;
    // Up to the first zero byte, the end, or maxLength characters (0 = no maximum).
    std::string ReadText(uint32_t offset, uint32_t maxLength) const;

    void WriteU8(uint8_t value, uint32_t offset);
    void WriteU16(uint16_t value, uint32_t offset);
    void WriteU32(uint32_t value, uint32_t offset);
    // Writes no terminator; maxLength 0 means the whole text.
    void WriteText(const std::string& text, uint32_t offset, uint32_t maxLength);

    // Appends a hex dump of the packet to a file (by default Packet.log in the
    // working directory), unless the file has reached kMaxPacketLogBytes.
    static constexpr uintmax_t kMaxPacketLogBytes = uintmax_t(64) << 20;
    void Log(bool fromServer, const std::string& path = "Packet.log") const;
    // The same block as text, for anything that wants it without the file.
    std::string HexDump(bool fromServer) const;

    bool operator==(const Packet& other) const { return bytes_ == other.bytes_; }
    bool operator!=(const Packet& other) const { return !(*this == other); }

private:
    uint32_t ReadLittleEndian(uint32_t offset, int width) const;
    void WriteLittleEndian(uint32_t value, uint32_t offset, int width);
    void RangeFor(uint32_t start, uint32_t end, uint32_t& from, uint32_t& to) const;

    std::vector<uint8_t> bytes_;
};

// Hex of the bytes, for test failure messages.
std::string ToHex(const Packet& packet);
void PrintTo(const Packet& packet, std::ostream* os);
