#include "zone/MapFile.h"

#include <cstring>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

uint32_t ReadU32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
        value |= uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

bool ReadWholeInto(const std::string& path, std::string& out)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    // Room for the whole file at once: grown 64 KiB at a time, a 4 MiB map was
    // copied over and over on its way in.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0)
            out.reserve(size_t(size));
        std::rewind(file.get());
    }
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        out.append(buffer, n);
    return true;
}

} // namespace

bool IsSafeServerFileName(const std::string& name)
{
    // Windows' rules too, whatever the platform: a name is kept as it came, so
    // the same folder works on both.
    if (name.empty() || name.back() == '.' || name.back() == ' ' || name.find("..") != std::string::npos)
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || std::strchr("/\\:*?\"<>|", c) != nullptr)
            return false;
    // CON, NUL, COM1, LPT9 and the like, with or without an extension.
    std::string stem;
    for (unsigned char c : name.substr(0, name.find('.')))
        stem += char(std::tolower(c));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
        if (stem == device)
            return false;
    // The digit may be a superscript one, two or three (Windows-1252 B9, B2, B3): Windows reserves those too.
    const unsigned char digit = stem.size() == 4 ? static_cast<unsigned char>(stem[3]) : 0;
    const bool deviceDigit = (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    return !(deviceDigit && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0));
}

bool IsReservedFileName(const std::string& name)
{
    std::string lower;
    for (unsigned char c : name)
        lower += char(std::tolower(c));
    for (const char* own : {"ignore.txt", "event.txt", "packet.log", "quillon", "quillon.exe"})
        if (lower == own)
            return true;
    const size_t dot = lower.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = lower.substr(dot + 1);
    // What Windows runs or opens as a program or a link when the user double-clicks it.
    for (const char* runnable : {"exe",        "dll",
                                 "com",        "bat",
                                 "cmd",        "scr",
                                 "lnk",        "pif",
                                 "ps1",        "vbs",
                                 "vbe",        "msi",
                                 "url",        "hta",
                                 "js",         "jse",
                                 "wsf",        "wsh",
                                 "cpl",        "reg",
                                 "scf",        "msc",
                                 "jar",        "appref-ms",
                                 "library-ms", "settingcontent-ms"})
        if (extension == runnable)
            return true;
    return false;
}

uint32_t Checksum(const std::string& bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    size_t done = 0;
    while (done < bytes.size()) {
        const uInt chunk = uInt(std::min<size_t>(bytes.size() - done, 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), chunk);
        done += chunk;
    }
    return uint32_t(crc);
}

uint32_t FileChecksum(const std::string& path)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return 0;
    uLong crc = crc32(0L, Z_NULL, 0);
    unsigned char buffer[65536];
    size_t n = 0;
    bool any = false;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        crc = crc32(crc, buffer, uInt(n));
        any = true;
    }
    return any ? uint32_t(crc) : 0;
}

bool InflateZlib(const uint8_t* data, size_t length, std::string& out, size_t cap)
{
    out.clear();
    if (length == 0)
        return false;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(length);
    unsigned char buffer[65536];
    int result = Z_OK;
    bool ok = false;
    for (;;) {
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        const size_t produced = sizeof buffer - stream.avail_out;
        if (out.size() + produced > cap)
            break;
        out.append(reinterpret_cast<const char*>(buffer), produced);
        if (result == Z_STREAM_END) {
            ok = true;
            break;
        }
        // No progress possible: corrupt data, or the input ended inside the stream.
        if (result != Z_OK)
            break;
        if (stream.avail_in == 0 && produced == 0)
            break;
    }
    inflateEnd(&stream);
    if (!ok)
        out.clear();
    return ok;
}

void LoadTiles(const std::string& fileBytes, TileGrid& grid)
{
    size_t start = 0;
    if (fileBytes.size() >= 2 && fileBytes[0] == 'B' && fileBytes[1] == 'M')
        start = ReadU32(fileBytes, 2);
    // Whole records only: a short last record is ignored.
    for (size_t at = start; at < fileBytes.size() && fileBytes.size() - at >= 4; at += 4) {
        const uint32_t record = ReadU32(fileBytes, at);
        const uint32_t x = record & 0xFFF;
        const uint32_t y = (record >> 12) & 0xFFF;
        if (x < TileGrid::kSide && y < TileGrid::kSide)
            grid.Set(x, y, uint8_t(record >> 24));
    }
}

bool ReadMapBytes(const std::string& path, std::string& bytes) { return ReadWholeInto(path, bytes); }

bool LoadMap(const std::string& path, TileGrid& grid)
{
    std::string bytes;
    if (!ReadWholeInto(path, bytes))
        return false;
    LoadTiles(bytes, grid);
    return true;
}
