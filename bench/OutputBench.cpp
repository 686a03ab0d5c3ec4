// What one piece of chat costs on its way into the real output area, with
// 0, 100 000 and 1 000 000 lines already shown. Needs an X display.
#include "GuiBench.h"
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "app/ChatView.h"
#include "console/ChatOutput.h"
#include "settings/SettingsStore.h"
#include "support/TempDir.h"

#include <memory>
#include <string>

namespace {

std::string ChatLine(long i)
{
    return "      Pilot" + std::to_string(i % 97) + "> line " + std::to_string(i) +
           " of the conversation, about as long as chat usually is";
}

// One main window per size of the backlog, kept while its benchmarks run.
class Backlog {
public:
    static Backlog& For(long lines)
    {
        if (current_ && current_->lines_ != lines)
            current_.reset(); // one large window at a time
        if (!current_)
            current_.reset(new Backlog(lines));
        return *current_;
    }

    // Before the GUI library shuts down.
    static void Release() { current_.reset(); }

    ~Backlog()
    {
        frame_->Destroy();
        Settle();
        wxTheApp->ProcessIdle();
    }

    ChatFrame& Frame() { return *frame_; }

private:
    explicit Backlog(long lines) : lines_(lines)
    {
        frame_ = ChatApp::CreateMainFrame();
        frame_->Show(true);
        Settle();
        while (frame_->Output().QueuedPieces() > 0) // the start-up hint
            frame_->Output().FlushOneLine();
        SettingsStore().WriteInteger("Window", "ScrollbackLines", 0);
        ChatOutput& out = frame_->Output();
        out.SetScrollback(0);
        for (long i = 0; i < lines; ++i) {
            out.Print(ChatLine(i), int(i % 10), true);
            out.FlushOneLine();
            if (i % 10000 == 0)
                Settle();
        }
        Settle();
    }

    static std::unique_ptr<Backlog> current_;
    long lines_;
    TempHome home_;
    ChatFrame* frame_ = nullptr;
};

std::unique_ptr<Backlog> Backlog::current_;

void PrintOnePiece(ChatOutput& out, long i, benchmark::State& state)
{
    out.Print(ChatLine(i), int(i % 10), true);
    out.FlushOneLine();
    if (out.QueuedPieces() != 0)
        state.SkipWithError("the output area was not at its end");
}

// Print plus FlushOneLine: the work of one tick in the program's own code and the control's calls.
void BM_PrintAndFlush(benchmark::State& state)
{
    ChatFrame& frame = Backlog::For(state.range(0)).Frame();
    ChatOutput& out = frame.Output();
    long i = 0;
    for (auto _ : state)
        PrintOnePiece(out, i++, state);
    state.SetItemsProcessed(state.iterations());
    Settle();
}

// The same plus whatever the event loop has pending after the piece (layout of the new
// line; GTK paints on its frame clock, so painting mostly falls outside).
void BM_PrintFlushAndPendingEvents(benchmark::State& state)
{
    ChatFrame& frame = Backlog::For(state.range(0)).Frame();
    ChatOutput& out = frame.Output();
    long i = 0;
    for (auto _ : state) {
        PrintOnePiece(out, i++, state);
        Settle();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PrintAndFlush)
    ->Arg(0)
    ->Arg(100000)
    ->Arg(1000000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrintFlushAndPendingEvents)
    ->Arg(0)
    ->Arg(100000)
    ->Arg(1000000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunGuiBenchmarks(argc, argv, [] { Backlog::Release(); });
}
