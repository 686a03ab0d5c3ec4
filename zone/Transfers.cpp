#include "zone/Transfers.h"

#include "transport/Packet.h"
#include "zone/MapFile.h"
#include "zone/ProgramFolder.h"
#include "zone/TextFile.h"
#include "zone/Zone.h"
#include "zone/ZoneConsole.h"

#include <cstdio>
#include <memory>

namespace {

// Wire layouts.
constexpr uint32_t kNameOffset = 1;
constexpr uint32_t kNameWidth = 16;
constexpr uint32_t kMapChecksumOffset = 17;
constexpr uint32_t kMapDataOffset = 17;
constexpr uint32_t kFileDataOffset = 17;
constexpr uint32_t kRequestLocalOffset = 1;
constexpr uint32_t kRequestLocalWidth = 256;
constexpr uint32_t kRequestSendAsOffset = 257;
constexpr uint8_t kMapRequestType = 0x0C;
constexpr uint8_t kSendFileType = 0x16;
constexpr const char* kDefaultFileName = "news.txt";

constexpr const char* kMapCorrupted = "Local Map File exists, but is Corrupted. (Try deleting and redownloading it.)";

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

void FailAndDisconnect(Zone& zone, const std::string& text)
{
    zone.White(text);
    zone.Link().Disconnect(false, false);
}

void LoadOrDisconnect(Zone& zone, const std::string& path, TileGrid& grid)
{
    if (path.empty() || !LoadMap(path, grid))
        FailAndDisconnect(zone, kMapCorrupted);
}

// The local path of a map the server names, or "" when the name is refused.
std::string MapPath(const Zone& zone, const std::string& name)
{
    if (!IsSafeServerFileName(name))
        return "";
    return zone.Folder().Path() + "Maps" + kPathSeparator + name;
}

// Whole file back as 0x16, reliably, in pieces when big.
void SendFile(Zone& zone, const std::string& localName, const std::string& sendAs)
{
    std::string contents;
    if (IsSafeServerFileName(localName)) {
        // Opened for reading and writing, as for every file the client owns: a
        // read-only file is not sent.
        File file(std::fopen((zone.Folder().Path() + localName).c_str(), "r+b"));
        if (file) {
            char buffer[65536];
            size_t n = 0;
            // Nothing larger than one transfer may be: stop reading past it.
            while (contents.size() <= Connection::kMaxTransferSize &&
                   (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
                contents.append(buffer, n);
        }
    }
    if (contents.empty() || contents.size() + kFileDataOffset > Connection::kMaxTransferSize) {
        zone.Console().Print("Failed to open file for sending: " + localName, kSlotGreen, true);
        return;
    }
    Packet out(kFileDataOffset);
    out.WriteU8(kSendFileType, 0);
    out.WriteText(sendAs, kNameOffset, kNameWidth);
    out.AppendBytes(contents);
    // Reliably; one too big for a datagram goes out as reliable pieces.
    zone.Link().SendReliable(std::move(out));
    zone.Console().Print("File Sent: " + sendAs, kSlotGreen, true);
}

} // namespace

void HandleMapInformation(Zone& zone, const Packet& packet)
{
    const std::string path = MapPath(zone, packet.ReadText(kNameOffset, kNameWidth));
    // A refused name counts as a missing file.
    const uint32_t local = path.empty() ? 0 : FileChecksum(path);
    if (local != packet.ReadU32(kMapChecksumOffset)) {
        zone.White("Map File Checksums are Incorrect, attempting to download a new map from the Server.");
        Packet request(1);
        request.WriteU8(kMapRequestType, 0);
        zone.Link().SendReliable(request);
        return;
    }
    zone.White("Local Map File found, Checksums Match, Loading...");
    LoadOrDisconnect(zone, path, zone.tiles);
}

void HandleMapFile(Zone& zone, const Packet& packet)
{
    const std::string path = MapPath(zone, packet.ReadText(kNameOffset, kNameWidth));
    File file(path.empty() ? nullptr : std::fopen(path.c_str(), "wb"));
    if (!file) {
        FailAndDisconnect(zone, "Fatal Error: Could not create Local Map File.");
        return;
    }
    std::string map;
    const uint32_t size = packet.Size();
    const bool inflated = size > kMapDataOffset &&
                          InflateZlib(packet.ByteAt(kMapDataOffset), size - kMapDataOffset, map, kMaxMapBytes);
    if (!inflated) {
        file.reset(); // the file just created stays empty
        FailAndDisconnect(zone, "Unable to Decompress Server Map File.");
        return;
    }
    std::fwrite(map.data(), 1, map.size(), file.get());
    file.reset();
    zone.White("Map File Download Complete. Loading Map File...");
    LoadOrDisconnect(zone, path, zone.tiles);
}

void HandleIncomingFile(Zone& zone, const Packet& packet)
{
    std::string name = packet.ReadText(kNameOffset, kNameWidth);
    if (name.empty())
        name = kDefaultFileName;
    const bool written = IsSafeServerFileName(name) && !IsReservedFileName(name) &&
                         WriteTextFile(zone.Folder().Path(), name, packet.BytesAsString(kFileDataOffset, 0),
                                       false);
    if (written)
        zone.Console().Print("File recieved: " + name, kSlotGreen, true);
    else
        zone.White("Unable to open local file for Writing. File recieve failed for: " + name);
}

void HandleFileRequest(Zone& zone, const Packet& packet)
{
    SendFile(zone, packet.ReadText(kRequestLocalOffset, kRequestLocalWidth),
             packet.ReadText(kRequestSendAsOffset, kNameWidth));
}
