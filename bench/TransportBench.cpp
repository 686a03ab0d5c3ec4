#include "transport/Cipher.h"
#include "transport/Clock.h"
#include "transport/Connection.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr uint32_t kServerKey = 0x5EED1234;
constexpr uint8_t kChat = 0x07;

// Hands out prepared datagrams one by one; sends go nowhere.
class ReplaySocket final : public DatagramSocket {
public:
    bool Open(const std::string&, uint16_t) override { return true; }
    void Send(const Packet&) override {}
    uint32_t Receive(Packet& packet) override
    {
        packet = datagrams[next++];
        return packet.Size();
    }
    bool Readable() override { return next < datagrams.size(); }

    std::vector<Packet> datagrams;
    size_t next = 0;
};

// 520-byte reliable packets carrying a 514-byte chat packet, numbered from `first`, encrypted.
void Prepare(ReplaySocket& socket, const Cipher& cipher, uint32_t first, size_t count)
{
    socket.datagrams.clear();
    socket.next = 0;
    for (size_t i = 0; i < count; ++i) {
        Packet p(DatagramSocket::kMaxDatagram);
        p.WriteU8(0x00, 0);
        p.WriteU8(0x03, 1);
        p.WriteU32(first + uint32_t(i), 2);
        p.WriteU8(kChat, 6);
        for (uint32_t at = 7; at < p.Size(); ++at)
            p.WriteU8(uint8_t(at * 31), at);
        cipher.Encrypt(p);
        socket.datagrams.push_back(std::move(p));
    }
}

// Counts the bytes of the zone packets delivered.
struct CountingListener final : ConnectionListener {
    void OnConnecting() override {}
    void OnHandshakeDone() override {}
    bool OnZonePacket(const Packet& packet) override
    {
        handled += packet.Size();
        return true;
    }
    void OnPositionDue() override {}
    void OnSessionEnded() override {}
    void OnTickHandled() override {}
    bool ExpectsTraffic() const override { return true; }
    void OnNotice(const std::string&) override {}
    void OnEvent(const std::string&) override {}
    size_t handled = 0;
};

// Receive, decrypt, acknowledge, deliver in order and dispatch to the zone
// handler: one datagram per iteration, as the frame timer takes them.
void BM_ReceivePath(benchmark::State& state)
{
    ManualClock clock;
    auto owned = std::make_unique<ReplaySocket>();
    ReplaySocket& socket = *owned;
    Connection connection(std::move(owned), clock, [] { return 1u; });
    CountingListener listener;
    connection.SetListener(&listener);

    Packet response(6);
    response.WriteU8(0x02, 1);
    response.WriteU32(kServerKey, 2);
    socket.datagrams = {response};
    connection.Begin();
    connection.ReceiveOne();
    connection.LoginAnswered(); // as the zone does; nothing is awaited any more
    Cipher server;
    server.Start(kServerKey);

    // Acknowledgements count for the flood guard, so batches stay well under it
    // and the statistics period is run out between them.
    constexpr size_t kBatch = 1000;
    uint32_t number = 0;
    for (auto _ : state) {
        if (socket.next == socket.datagrams.size()) {
            state.PauseTiming();
            for (int i = 0; i < 101; ++i)
                connection.Tick();
            Prepare(socket, server, number, kBatch);
            state.ResumeTiming();
        }
        connection.ReceiveOne();
        ++number;
    }
    if (listener.handled != size_t(number) * (DatagramSocket::kMaxDatagram - 6) || connection.FloodStopped())
        state.SkipWithError("datagrams were not all delivered");
    state.SetItemsProcessed(int64_t(number));
}
BENCHMARK(BM_ReceivePath);

void BM_KeyTable(benchmark::State& state)
{
    uint32_t key = 0x12345678;
    for (auto _ : state) {
        Cipher::Table table = Cipher::MakeTable(key++);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_KeyTable);

} // namespace

BENCHMARK_MAIN();
