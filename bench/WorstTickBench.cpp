// The longest tick of the client under what a hostile server sent to freeze the
// window: the whole client on a scripted socket, drawing into the real player
// list and output area. Each iteration plays the input from the start and
// reports its longest tick as its time. Needs an X display.
#include "GuiBench.h"
#include "app/ChatView.h"
#include "app/UserList.h"
#include "client/ChatClient.h"

#include "support/ClientHarness.h"
#include "support/ZonePackets.h"

#include <wx/frame.h>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

constexpr uint16_t kOwnId = 1;

// A client in an arena of 512 players, drawing into real widgets.
class Arena {
public:
    Arena()
    {
        frame_ = new wxFrame(nullptr, wxID_ANY, "worst tick", wxDefaultPosition, wxSize(560, 350));
        view_ = new ChatView(frame_, wxID_ANY, wxPoint(0, 0), wxSize(340, 300));
        list_ = new UserList(frame_, wxID_ANY, wxPoint(360, 0), wxSize(200, 300), wxLC_REPORT | wxLC_SINGLE_SEL);
        frame_->Show(true);
        Settle();
        Settings::Write(settings_, Settings::ServerPort, "5000");
        auto socket = std::make_unique<FakeSocket>();
        server_.socket = socket.get();
        client_ = std::make_unique<ChatClient>(*view_, *list_, settings_, folder_.Path(), std::move(socket), clock_,
                                               [] { return 1u; });
        view_->SetLines(client_->Output().Lines());
        client_->Connect();
        Send(HexPacket("0002 CDAB3412"));
        server_.cipher.Start(0x1234ABCD);
        Send(HexPacket("0A 00"));
        Send(HexPacket("01 0100"));
        Send(HexPacket("02"));
        for (uint16_t id = 0; id < 512; id += 8) {
            std::vector<PlayerRecord> records;
            for (uint16_t i = id; i < id + 8; ++i)
                records.push_back({i, "Pilot " + std::to_string(i), uint16_t(i % 4)});
            Send(EnteringPacket(records));
        }
        WorstTick();
    }
    ~Arena()
    {
        client_.reset();
        frame_->Destroy();
        Settle();
    }

    // Through the socket as the server sends it.
    void Send(const Packet& packet) { server_.Queue(packet); }

    // `count` reliable packets of ours that the server leaves unacknowledged, sent
    // a statistics period apart in batches the flood guard lets through.
    void LeaveUnacknowledged(int count)
    {
        for (int sent = 0; sent < count;) {
            for (int i = 0; i < 2000 && sent < count; ++i, ++sent)
                client_->Link().SendReliable(HexPacket("0701"));
            for (int tick = 0; tick < 101; ++tick) {
                clock_.Advance(1);
                client_->Step();
            }
            server_.TakeSent();
        }
    }
    // The user enters an arena again ("?go"), and the zone says it is entered.
    void NewEntry()
    {
        client_->Submit("?go", {});
        Send(HexPacket("02"));
        WorstTick();
    }
    // The server's next reliable number.
    uint32_t NextReliable() { return nextReliable_++; }

    // Steps until everything sent is handled and shown; the longest step, in seconds.
    double WorstTick()
    {
        double worst = 0;
        for (int idle = 0; idle < 3;) {
            // A downloaded map is read on a thread of its own; its wait is not a tick.
            const bool mapOnItsWay = client_->GetZone().mapJob != nullptr;
            if (mapOnItsWay)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const bool busy = mapOnItsWay || client_->Link().PollReadable() || client_->Output().QueuedPieces() > 0;
            const auto start = std::chrono::steady_clock::now();
            clock_.Advance(1);
            client_->Step();
            view_->Update(); // what arrived is drawn in the same tick
            worst = std::max(worst, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            Settle();
            idle = busy ? 0 : idle + 1;
        }
        server_.TakeSent();
        return worst;
    }

    const std::string& Folder() const { return folder_.Path(); }

    size_t LastLineLength() const
    {
        const LineStore& lines = client_->Output().Lines();
        return lines.Empty() ? 0 : lines.At(lines.End() - 1).text.size();
    }

    // Pages up through the output `pages` times, drawing each; the longest page, in seconds.
    double WorstScroll(int pages)
    {
        double worst = 0;
        const long page = view_->GetClientSize().y / view_->RowHeight() - 1;
        for (int i = 0; i < pages; ++i) {
            const auto start = std::chrono::steady_clock::now();
            view_->ScrollRows(-page);
            view_->Update();
            worst = std::max(worst, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            Settle();
        }
        view_->ScrollToEnd();
        Settle();
        return worst;
    }

private:
    TempDir folder_;
    MemorySettings settings_;
    ManualClock clock_;
    uint32_t nextReliable_ = 0;
    ServerEnd server_;
    wxFrame* frame_ = nullptr;
    UserList* list_ = nullptr;
    ChatView* view_ = nullptr;
    std::unique_ptr<ChatClient> client_;
};

Packet OwnFrequencyChange(uint16_t frequency)
{
    Packet change = HexPacket("0D 0100 0000");
    change.WriteU16(frequency, 3);
    return change;
}

std::vector<Packet> Pieces(const Packet& whole) { return BigChunkPieces(whole); }

void Report(benchmark::State& state, double worst)
{
    state.SetIterationTime(worst);
    state.counters["worst_tick_ms"] = worst * 1000;
}

// Moves of our own player in one cluster, each of which judged all 512 entries:
// 74 in one datagram, or 1 200 (8.4 KB) reassembled from big chunks.
void BM_WorstTickOwnMoves(benchmark::State& state, int moves)
{
    Arena arena;
    uint16_t frequency = 0;
    for (auto _ : state) {
        Packet cluster = HexPacket("000E");
        for (int i = 0; i < moves; ++i) {
            const Packet move = OwnFrequencyChange(uint16_t(++frequency % 8));
            const uint8_t length = uint8_t(move.Size());
            cluster.AppendBytes(&length, 1);
            cluster.Append(move);
        }
        for (const Packet& datagram : cluster.Size() <= 520 ? std::vector<Packet>{cluster} : Pieces(cluster))
            arena.Send(datagram);
        Report(state, arena.WorstTick());
    }
}

// 64 MiB of tile records, and the same zlib-packed as the zone sends it.
std::string SixtyFourMiBMap()
{
    std::string map;
    map.reserve(size_t(64) << 20);
    while (map.size() < (size_t(64) << 20))
        map += std::string("\x05\x10\x20\x07", 4);
    return map;
}

std::string Packed(const std::string& map)
{
    uLongf size = compressBound(uLong(map.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(map.data()),
              uLong(map.size()), Z_BEST_COMPRESSION);
    packed.resize(size);
    return packed;
}

// Map information (0x29) naming the map, and the map file (0x2A) carrying it.
Packet MapInformation(const std::string& name, const std::string& map)
{
    Packet information = HexPacket("29");
    information.Append(Packet(20));
    information.WriteText(name, 1, 16);
    information.WriteU32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(map.data()), uInt(map.size()))), 17);
    return information;
}

Packet MapFile(const std::string& name, const std::string& packed)
{
    Packet file = HexPacket("2A");
    file.Append(Packet(16));
    file.WriteText(name, 1, 16);
    file.AppendBytes(packed);
    return file;
}

// A 64 MiB map downloaded, then named 23 times in map-information packets.
void BM_WorstTickMapInformationAfterA64MiBMap(benchmark::State& state)
{
    Arena arena;
    const std::string map = SixtyFourMiBMap();
    const Packet information = MapInformation("big.lvl", map);
    const Packet file = MapFile("big.lvl", Packed(map));
    for (auto _ : state) {
        std::filesystem::remove(arena.Folder() + "Maps/big.lvl");
        arena.Send(information);
        for (const Packet& piece : Pieces(file))
            arena.Send(piece);
        arena.WorstTick(); // the download itself is not what is measured
        for (int i = 0; i < 23; ++i)
            arena.Send(information);
        Report(state, arena.WorstTick());
    }
}

// A 64 MiB map downloaded from 131 big chunks, inflated, saved and taken in.
void BM_WorstTickA64MiBMapDownloadedAndSaved(benchmark::State& state)
{
    Arena arena;
    const std::string map = SixtyFourMiBMap();
    const std::string packed = Packed(map);
    int round = 0;
    for (auto _ : state) {
        // A new arena entry each time, with a map of a new name.
        const std::string name = "big" + std::to_string(round++) + ".lvl";
        arena.NewEntry();
        arena.Send(MapInformation(name, map));
        for (const Packet& piece : Pieces(MapFile(name, packed)))
            arena.Send(piece);
        Report(state, arena.WorstTick());
        if (std::filesystem::file_size(arena.Folder() + "Maps/" + name) != map.size())
            state.SkipWithError("the map was not saved");
        std::filesystem::remove(arena.Folder() + "Maps/" + name);
    }
}

// A public chat line of one 512 KiB word, reassembled from 1 049 big chunks (the zone
// shows its first 4 KiB), shown and paged through: the longest tick or page.
void BM_WorstTickOneWordOf512KiB(benchmark::State& state)
{
    Arena arena;
    const Packet chat = ChatPacket(2, 8, std::string(512 * 1024, 'w')); // public, from player 8
    for (auto _ : state) {
        for (const Packet& piece : Pieces(chat))
            arena.Send(piece);
        const double arriving = arena.WorstTick();
        if (arena.LastLineLength() < 4096) // the zone shows 4 KiB of one line at most
            state.SkipWithError("the line was not shown");
        Report(state, std::max(arriving, arena.WorstScroll(100)));
    }
}

Packet Reliable(uint32_t number, const Packet& payload)
{
    Packet packet = HexPacket("0003 00000000");
    packet.WriteU32(number, 2);
    packet.Append(payload);
    return packet;
}

// A cluster of `count` acknowledgements for numbers from `first` on.
Packet Acknowledgements(int count, uint32_t first)
{
    Packet cluster = HexPacket("000E");
    for (int i = 0; i < count; ++i) {
        Packet ack = HexPacket("0004 00000000");
        ack.WriteU32(first + uint32_t(i), 2);
        const uint8_t length = uint8_t(ack.Size());
        cluster.AppendBytes(&length, 1);
        cluster.Append(ack);
    }
    return cluster;
}

// 73 acknowledgements for numbers never sent, in one datagram, while 20 000 of ours wait for theirs.
void BM_WorstTickMadeUpAcknowledgements(benchmark::State& state)
{
    Arena arena;
    arena.LeaveUnacknowledged(20000);
    uint32_t made = 0x40000000;
    for (auto _ : state) {
        arena.Send(Acknowledgements(73, made));
        made += 73;
        Report(state, arena.WorstTick());
    }
}

// 1 023 reliable packets held for one missing before them, each a cluster of 70
// acknowledgements, released when it comes.
void BM_WorstTickHeldPacketsCarryingAcknowledgements(benchmark::State& state)
{
    Arena arena;
    arena.LeaveUnacknowledged(20000);
    uint32_t made = 0x40000000;
    for (auto _ : state) {
        const uint32_t missing = arena.NextReliable();
        for (int i = 0; i < 1023; ++i, made += 70)
            arena.Send(Reliable(arena.NextReliable(), Acknowledgements(70, made)));
        arena.WorstTick(); // held, not measured
        arena.Send(Reliable(missing, HexPacket("2F")));
        Report(state, arena.WorstTick());
    }
}

BENCHMARK_CAPTURE(BM_WorstTickOwnMoves, InOneDatagram, 74)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WorstTickOwnMoves, ReassembledCluster, 1200)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstTickA64MiBMapDownloadedAndSaved)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstTickMadeUpAcknowledgements)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstTickHeldPacketsCarryingAcknowledgements)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstTickOneWordOf512KiB)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstTickMapInformationAfterA64MiBMap)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunGuiBenchmarks(argc, argv, [] {});
}
