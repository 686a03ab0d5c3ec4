#include "zone/Transfers.h"

#include "transport/Packet.h"
#include "zone/Integrity.h"
#include "zone/MapFile.h"
#include "zone/Names.h"
#include "zone/ProgramFolder.h"
#include "zone/TextFile.h"
#include "zone/Zone.h"
#include "zone/ZoneConsole.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

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

// The path with the size and time the file has now; an empty path when it is not there.
Zone::MapFileState MapFileNow(const std::string& path)
{
    std::error_code error;
    Zone::MapFileState state{path, std::filesystem::file_size(path, error), {}};
    if (!error)
        state.time = std::filesystem::last_write_time(path, error);
    return error ? Zone::MapFileState{} : state;
}

// The tile grid holds the file already when it has not changed since it was loaded.
void LoadOrDisconnect(Zone& zone, const std::string& path)
{
    const Zone::MapFileState now = MapFileNow(path);
    if (!now.path.empty() && now == zone.map.loaded)
        return;
    std::string bytes;
    if (path.empty() || !ReadMapBytes(path, bytes)) {
        FailAndDisconnect(zone, kMapCorrupted);
        return;
    }
    LoadTiles(bytes, zone.tiles);
    BuildCheckGrid(bytes, zone.checkGrid);
    zone.map.loaded = now;
    AnswerWaitingIntegrityRequest(zone);
}

// The local path of a map the server names, or "" when the name is refused: maps
// follow the rules of pushed files.
std::string MapPath(const Zone& zone, const std::string& name)
{
    if (!IsSafeServerFileName(name) || IsReservedFileName(name))
        return "";
    return zone.Folder().PathOf("Maps") + kPathSeparator + name;
}

// Files the server pushes or asks for live in a folder that holds nothing else.
std::string FilesFolder(const Zone& zone) { return zone.Folder().PathOf("Files") + kPathSeparator; }

// The checksum of the local map, read again only when its size or time changed:
// a server may name the same large map over and over.
uint32_t LocalMapChecksum(Zone& zone, const std::string& path)
{
    const Zone::MapFileState now = MapFileNow(path);
    if (now.path.empty())
        return 0;
    if (!(now == zone.map.checked)) {
        zone.map.checkedSum = FileChecksum(path);
        zone.map.checked = now;
    }
    return zone.map.checkedSum;
}

// Into a file of its own first, then over the old copy: a failed write leaves
// the map that was there.
bool SaveMap(const std::string& path, const std::string& bytes)
{
    const std::string part = path + ".part";
    File file(std::fopen(part.c_str(), "wb"));
    bool saved = file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    saved = file && std::fclose(file.release()) == 0 && saved;
    std::error_code error;
    if (saved)
        std::filesystem::rename(part, path, error);
    if (!saved || error)
        std::filesystem::remove(part, error);
    return saved && !error;
}

// Whole file back as 0x16, reliably, in pieces when big. A file already waiting
// to go is not read again, and the queue holds no more than one transfer's worth.
void SendFile(Zone& zone, const std::string& localName, const std::string& sendAs)
{
    Connection& link = zone.Link();
    if (link.Reliable().Transfers().empty())
        zone.queuedUploads.clear();
    if (zone.queuedUploads.count(localName) != 0)
        return;
    // Its answer is still on its way: asked again, it goes once.
    const auto answered = zone.answeredUploads.find(localName);
    if (answered != zone.answeredUploads.end() && link.Reliable().IsPending(answered->second))
        return;
    std::string contents;
    if (IsSafeServerFileName(localName)) {
        // Opened for reading and writing, as for every file the client owns: a
        // read-only file is not sent.
        File file(std::fopen((FilesFolder(zone) + localName).c_str(), "r+b"));
        if (file) {
            char buffer[65536];
            size_t n = 0;
            // Nothing larger than one transfer may be: stop reading past it.
            while (contents.size() <= Connection::kMaxTransferSize &&
                   (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
                contents.append(buffer, n);
        }
    }
    const uint64_t size = contents.size() + kFileDataOffset;
    if (contents.empty() || size > Connection::kMaxTransferSize ||
        link.Reliable().QueuedTransferBytes() + size > Connection::kMaxTransferSize) {
        zone.Console().Print("Failed to open file for sending: " + localName, kSlotGreen, true);
        return;
    }
    Packet out(kFileDataOffset);
    out.WriteU8(kSendFileType, 0);
    out.WriteText(sendAs, kNameOffset, kNameWidth);
    out.AppendBytes(contents);
    // Reliably; one too big for a datagram goes out as reliable pieces.
    const uint32_t number = link.Reliable().NextOutgoing();
    link.SendReliable(std::move(out));
    if (!link.Reliable().Transfers().empty())
        zone.queuedUploads[localName] = size;
    else
        zone.answeredUploads[localName] = number;
    zone.Console().Print("File Sent: " + sendAs, kSlotGreen, true);
}

} // namespace

void HandleMapInformation(Zone& zone, const Packet& packet)
{
    const std::string name = packet.ReadText(kNameOffset, kNameWidth);
    const std::string path = MapPath(zone, name);
    // A refused name counts as a missing file.
    const uint32_t local = path.empty() ? 0 : LocalMapChecksum(zone, path);
    if (local != packet.ReadU32(kMapChecksumOffset)) {
        // Asked for once in an arena, however often the server names it; and one map
        // an arena entry: a server naming map after map does not fill the disk.
        if (zone.map.requested == name)
            return;
        // The map in use came from memory: named again, it is the one in use.
        if (name == zone.map.inMemory && packet.ReadU32(kMapChecksumOffset) == zone.map.inMemorySum)
            return;
        if (zone.mapAskedThisEntry) {
            zone.White("Map File " + Visible(name) + " not downloaded: one map per arena entry.");
            return;
        }
        zone.White("Map File Checksums are Incorrect, attempting to download a new map from the Server.");
        zone.map.requested = name;
        zone.mapAskedThisEntry = true;
        Packet request(1);
        request.WriteU8(kMapRequestType, 0);
        zone.Link().SendReliable(request);
        return;
    }
    zone.White("Local Map File found, Checksums Match, Loading...");
    LoadOrDisconnect(zone, path);
}

void HandleMapFile(Zone& zone, const Packet& packet)
{
    // Only the map asked for, and only once: nobody else's maps fill the disk.
    const std::string name = packet.ReadText(kNameOffset, kNameWidth);
    if (name.empty() || name != zone.map.requested)
        return;
    zone.map.requested.clear();
    const std::string path = MapPath(zone, name);
    if (path.empty()) {
        FailAndDisconnect(zone, "Fatal Error: Could not create Local Map File.");
        return;
    }
    // Inflated, saved and read on a thread of its own: a map of 64 MiB held the
    // window for over half a second. FinishMapDownload takes the result in.
    auto job = std::make_shared<Zone::MapJob>();
    const uint32_t size = packet.Size();
    if (size > kMapDataOffset)
        job->packed.assign(reinterpret_cast<const char*>(packet.ByteAt(kMapDataOffset)), size - kMapDataOffset);
    job->name = name;
    job->path = path;
    job->budgetLeft = zone.mapSaveBudget > zone.mapBytesSaved ? zone.mapSaveBudget - zone.mapBytesSaved : 0;
    job->tiles = zone.tiles;
    job->arena = zone.mapArena;
    zone.mapJob = job;
    std::thread([job] {
        job->inflated = !job->packed.empty() && InflateZlib(reinterpret_cast<const uint8_t*>(job->packed.data()),
                                                            job->packed.size(), job->map, kMaxMapBytes);
        job->packed = std::string();
        if (job->inflated) {
            job->withinBudget = job->map.size() <= job->budgetLeft;
            job->saved = job->withinBudget && SaveMap(job->path, job->map);
            job->stamp = job->saved ? MapFileNow(job->path) : Zone::MapFileState{};
            LoadTiles(job->map, job->tiles);
            BuildCheckGrid(job->map, job->check);
            job->sum = Checksum(job->map);
        }
        job->size = job->map.size();
        job->map = std::string();
        job->done.store(true, std::memory_order_release);
    }).detach();
}

void FinishMapDownload(Zone& zone)
{
    if (!zone.mapJob || !zone.mapJob->done.load(std::memory_order_acquire))
        return;
    const std::shared_ptr<Zone::MapJob> job = std::move(zone.mapJob);
    if (job->arena != zone.mapArena)
        return; // the arena was left meanwhile
    if (!job->inflated) {
        FailAndDisconnect(zone, "Unable to Decompress Server Map File.");
        return;
    }
    // Chat needs no tile grid: a map that cannot be saved is used from memory, as
    // is every map once the maps saved this run have reached their budget.
    if (!job->withinBudget && !zone.mapBudgetSaid) {
        zone.White("The maps saved this session have reached their limit (256 MiB); further maps are used from "
                   "memory only.");
        zone.mapBudgetSaid = true;
        zone.map.unsavedSaid = true;
    }
    if (job->saved)
        zone.mapBytesSaved += job->size;
    if (!job->saved && !zone.map.unsavedSaid) {
        zone.White("Could not save the Map File; it is used from memory for this session.");
        zone.map.unsavedSaid = true;
    }
    zone.White("Map File Download Complete. Loading Map File...");
    zone.tiles = std::move(job->tiles);
    zone.checkGrid = std::move(job->check);
    // What was just written need not be read again when the server names it.
    zone.map.loaded = job->stamp;
    zone.map.checked = zone.map.loaded;
    zone.map.checkedSum = job->sum;
    zone.map.inMemory = job->saved ? std::string() : job->name;
    zone.map.inMemorySum = job->sum;
    AnswerWaitingIntegrityRequest(zone);
}

void HandleIncomingFile(Zone& zone, const Packet& packet)
{
    std::string name = packet.ReadText(kNameOffset, kNameWidth);
    if (name.empty())
        name = kDefaultFileName;
    bool written = false;
    if (IsSafeServerFileName(name) && !IsReservedFileName(name)) {
        std::error_code ignored;
        std::filesystem::create_directory(FilesFolder(zone), ignored);
        written = WriteTextFile(FilesFolder(zone), name, packet.BytesAsString(kFileDataOffset, 0), false);
    }
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
