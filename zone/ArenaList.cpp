#include "zone/ArenaList.h"

#include "zone/ZoneConsole.h"
#include "zone/Zone.h"
#include "zone/Login.h"

namespace {

constexpr uint8_t kLeaveArenaType = 0x02;
constexpr uint32_t kFirstEntry = 1;
// After a name's terminating zero: its u16 player count.
constexpr uint32_t kCountWidth = 2;
// Counts above this mark the arena the client is in, as 65536 minus the real count.
constexpr uint32_t kOwnArenaMark = 65000;
constexpr size_t kMaxArenaName = 15;

// Empty, or digits after at most one leading "+" or "-": shown as "Public ...".
bool ArenaNameIsNumber(const std::string& name)
{
    size_t start = 0;
    if (!name.empty() && (name[0] == '+' || name[0] == '-'))
        start = 1;
    for (size_t i = start; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

struct ArenaEntry {
    std::string shownName;
    uint32_t count = 0;
};

ArenaEntry ReadEntry(const Packet& packet, uint32_t& position)
{
    ArenaEntry entry;
    const std::string name = packet.ReadText(position, 0);
    entry.count = packet.ReadU16(position + uint32_t(name.size()) + 1);
    position += uint32_t(name.size()) + 1 + kCountWidth;
    entry.shownName = ArenaNameIsNumber(name) ? "Public " + name : name;
    if (entry.count > kOwnArenaMark) {
        entry.count = 65536 - entry.count;
        entry.shownName += " (*)";
    }
    return entry;
}

// Every piece of the arena list line, in order.
template <class Emit> void ForEachPiece(const Packet& packet, Emit emit)
{
    emit(std::string("Arenas: "));
    uint32_t position = kFirstEntry;
    bool first = true;
    while (position < packet.Size()) {
        const ArenaEntry entry = ReadEntry(packet, position);
        if (!first)
            emit(std::string(", "));
        first = false;
        emit(entry.shownName + " (" + std::to_string(entry.count) + ")");
    }
}

void PrintGreenLine(Zone& zone, const std::string& text)
{
    zone.Console().Print(text, kSlotGreen, true);
}

void SendLeaveArena(Zone& zone)
{
    Packet packet(1);
    packet.WriteU8(kLeaveArenaType, 0);
    zone.Link().SendReliable(std::move(packet));
}

} // namespace

void HandleArenaList(Zone& zone, const Packet& packet)
{
    packet.Log(true, zone.packetLog);
    ZoneConsole& output = zone.Console();
    ForEachPiece(packet, [&output](const std::string& piece) { output.Print(piece, kSlotGreen, false); });
    output.Print(std::string(), kSlotGreen, true);
}

void ChangeArena(Zone& zone, const std::string& arena)
{
    if (arena.size() > kMaxArenaName) {
        PrintGreenLine(zone, "Arena name too long.");
        return;
    }
    const std::string shown = arena.empty()              ? std::string("Public (Random)")
                              : ArenaNameIsNumber(arena) ? "Public " + arena
                                                         : arena;
    PrintGreenLine(zone, "Moving to arena '" + shown + "'.");
    SendLeaveArena(zone);
    zone.Link().OnArenaChange();
    zone.LeaveArenaState();
    zone.players.Clear(false);
    SendArenaEntry(zone, arena);
}
