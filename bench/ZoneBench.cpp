#include "client/ChatClient.h"
#include "console/LineStore.h"
#include "zone/Chat.h"
#include "zone/Names.h"

#include "support/FakeViews.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"
#include "support/ZonePackets.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

class SilentSocket final : public DatagramSocket {
public:
    bool Open(const std::string&, uint16_t) override { return true; }
    void Send(const Packet&) override {}
    uint32_t Receive(Packet&) override { return 0; }
    bool Readable() override { return false; }
};

// Shows nothing, so draining the queue between batches costs little.
class DiscardView final : public OutputView {
public:
    void AppendStyled(const std::string&, Rgb, bool) override {}
    bool IsAtEnd() const override { return true; }
    void RemoveFirst(size_t) override {}
};

// One chat packet per iteration, from the zone's dispatch to its pieces in the output
// queue: the sender looked up, the ignore lists and switches checked, the
// padded line queued. The queue is emptied between batches, off the clock.
void RunChat(benchmark::State& state, int kind)
{
    TempDir folder;
    DiscardView view;
    FakeUserListView users;
    MemorySettings settings;
    ManualClock clock;
    ChatClient client(view, users, settings, folder.Path(), std::make_unique<SilentSocket>(), clock, [] { return 1u; });
    ChatOutput& output = client.Output();
    client.Ignores().ToggleIgnore("Somebody Else");
    client.GetZone().players.Set(42, "Chatterbox", "Squad", 0, 8, 0, 0, 0);
    while (output.QueuedPieces() > 0)
        output.FlushOneLine();
    const Packet packet = ChatPacket(kind, 42, "Hello there, how is everyone in this arena today?");

    constexpr int kBatch = 1024;
    int inBatch = 0;
    for (auto _ : state) {
        if (inBatch == kBatch) {
            state.PauseTiming();
            while (output.QueuedPieces() > 0)
                output.FlushOneLine();
            inBatch = 0;
            state.ResumeTiming();
        }
        client.GetZone().OnZonePacket(packet);
        ++inBatch;
    }
    if (output.QueuedPieces() != size_t(inBatch) * 4)
        state.SkipWithError("the chat line was not queued");
    state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_PublicChatDispatch(benchmark::State& state) { RunChat(state, kChatPublic); }
BENCHMARK(BM_PublicChatDispatch);

// Whether a chat line names the user, for lines that do not (the common case:
// every place the name could start is looked at) and lines that do.
void BM_MentionDetection(benchmark::State& state)
{
    const std::string lines[] = {"Hello there, how is everyone in this arena today? anyone for a duel at the top?",
                                 "base is clear, come help on the left, day tripper, we need you there"};
    const std::string& line = lines[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(NamesPlayer(line, "Day Tripper"));
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_MentionDetection)->Arg(0)->Arg(1);

// Find over a million shown lines in the output's line store, for a text that is
// not there: the whole text is read, as by the find bar.
void BM_FindOverAMillionLines(benchmark::State& state)
{
    LineStore shown;
    for (long i = 0; i < 1000000; ++i)
        shown.Append((i ? "\n      Pilot" : "      Pilot") + std::to_string(i % 97) + "> line " + std::to_string(i) +
                         " of the conversation, about as long as chat usually is",
                     Rgb{0, 255, 0}, false);
    TextPos found;
    for (auto _ : state)
        benchmark::DoNotOptimize(shown.Find("Nowhere Said", TextPos{0, 0}, true, found));
    state.counters["bytes"] = double(shown.Bytes());
}
BENCHMARK(BM_FindOverAMillionLines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
