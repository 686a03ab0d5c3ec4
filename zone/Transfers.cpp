#include "zone/Transfers.h"

#include "console/ChatOutput.h"
#include "console/ProgramFolder.h"
#include "console/TextFile.h"
#include "transport/Connection.h"
#include "transport/Packet.h"
#include "zone/MapFile.h"

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

void PrintWhite(Connection& connection, const std::string& text)
{
    connection.Output().Print(text, ChatOutput::kSlotWhite, true);
}

void FailAndDisconnect(Connection& connection, const std::string& text)
{
    PrintWhite(connection, text);
    connection.Disconnect(false, false);
}

void LoadOrDisconnect(Connection& connection, const std::string& path, TileGrid& grid)
{
    if (path.empty() || !LoadMap(path, grid))
        FailAndDisconnect(connection, kMapCorrupted);
}

std::string ProgramFolderPath(const Connection& connection)
{
    return connection.Folder() ? connection.Folder()->Path() : connection.Output().ProgramFolder();
}

} // namespace

std::string MapPath(const Connection& connection, const std::string& name)
{
    if (!IsSafeServerFileName(name))
        return "";
    return ProgramFolderPath(connection) + "Maps" + kPathSeparator + name;
}

void HandleMapInformation(Connection& connection, const Packet& packet, TileGrid& grid)
{
    const std::string path = MapPath(connection, packet.ReadText(kNameOffset, kNameWidth));
    // A refused name counts as a missing file.
    const uint32_t local = path.empty() ? 0 : FileChecksum(path);
    if (local != packet.ReadU32(kMapChecksumOffset)) {
        PrintWhite(connection, "Map File Checksums are Incorrect, attempting to download a new map from the Server.");
        Packet request(1);
        request.WriteU8(kMapRequestType, 0);
        connection.SendReliable(request);
        return;
    }
    PrintWhite(connection, "Local Map File found, Checksums Match, Loading...");
    LoadOrDisconnect(connection, path, grid);
}

void HandleMapFile(Connection& connection, const Packet& packet, TileGrid& grid)
{
    const std::string path = MapPath(connection, packet.ReadText(kNameOffset, kNameWidth));
    File file(path.empty() ? nullptr : std::fopen(path.c_str(), "wb"));
    if (!file) {
        FailAndDisconnect(connection, "Fatal Error: Could not create Local Map File.");
        return;
    }
    std::string map;
    const uint32_t size = packet.Size();
    const bool inflated = size > kMapDataOffset &&
                          InflateZlib(packet.ByteAt(kMapDataOffset), size - kMapDataOffset, map, kMaxMapBytes);
    if (!inflated) {
        file.reset(); // the file just created stays empty
        FailAndDisconnect(connection, "Unable to Decompress Server Map File.");
        return;
    }
    std::fwrite(map.data(), 1, map.size(), file.get());
    file.reset();
    PrintWhite(connection, "Map File Download Complete. Loading Map File...");
    LoadOrDisconnect(connection, path, grid);
}

void HandleIncomingFile(Connection& connection, const Packet& packet)
{
    std::string name = packet.ReadText(kNameOffset, kNameWidth);
    if (name.empty())
        name = kDefaultFileName;
    const bool written = IsSafeServerFileName(name) && !IsReservedFileName(name) &&
                         WriteTextFile(ProgramFolderPath(connection), name, packet.BytesAsString(kFileDataOffset, 0),
                                       false);
    if (written)
        connection.Output().Print("File recieved: " + name, ChatOutput::kSlotGreen, true);
    else
        PrintWhite(connection, "Unable to open local file for Writing. File recieve failed for: " + name);
}

void HandleFileRequest(Connection& connection, const Packet& packet)
{
    SendFile(connection, packet.ReadText(kRequestLocalOffset, kRequestLocalWidth),
             packet.ReadText(kRequestSendAsOffset, kNameWidth));
}

void SendFile(Connection& connection, const std::string& localName, const std::string& sendAs)
{
    std::string contents;
    if (IsSafeServerFileName(localName)) {
        // Opened for reading and writing, as for every file the client owns: a
        // read-only file is not sent.
        File file(std::fopen((ProgramFolderPath(connection) + localName).c_str(), "r+b"));
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
        connection.Output().Print("Failed to open file for sending: " + localName, ChatOutput::kSlotGreen, true);
        return;
    }
    Packet out(kFileDataOffset);
    out.WriteU8(kSendFileType, 0);
    out.WriteText(sendAs, kNameOffset, kNameWidth);
    out.AppendBytes(contents);
    // Reliably; one too big for a datagram goes out as reliable pieces.
    connection.SendReliable(std::move(out));
    connection.Output().Print("File Sent: " + sendAs, ChatOutput::kSlotGreen, true);
}
