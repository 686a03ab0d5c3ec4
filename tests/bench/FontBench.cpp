// What choosing a chat font costs with 100 000 lines shown: the restyling call
// itself, and the call plus GTK's relayout of the whole text that follows it.
// Needs an X display.
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "app/FontSelection.h"
#include "app/InputLine.h"
#include "app/UserList.h"
#include "app/WxOutputView.h"
#include "console/ChatOutput.h"
#include "GuiBench.h"
#include "support/TempDir.h"

#include <wx/textctrl.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

constexpr long kLines = 100000;

// The main window with the backlog shown in chat colours, kept for every run.
class Backlog {
public:
    static ChatFrame& Frame()
    {
        if (!current_)
            current_.reset(new Backlog);
        return *current_->frame_;
    }
    // Before the GUI library shuts down.
    static void Release() { current_.reset(); }

    ~Backlog()
    {
        frame_->Destroy();
        Settle();
        wxTheApp->ProcessIdle();
    }

private:
    Backlog()
    {
        frame_ = ChatApp::CreateMainFrame();
        frame_->Show(true);
        Settle();
        while (frame_->Output().QueuedPieces() > 0)
            frame_->Output().FlushOneLine();
        WxOutputView view(frame_->OutputControl());
        const Rgb colours[] = {{160, 160, 255}, {0, 255, 0}, {255, 255, 0}};
        for (long i = 0; i < kLines; ++i) {
            view.AppendStyled("\n      Pilot" + std::to_string(i % 97) + "> line " + std::to_string(i) +
                                  " of the conversation, about as long as chat usually is",
                              colours[i % 3], false);
            if (i % 10000 == 0)
                Settle();
        }
        Settle();
    }

    static std::unique_ptr<Backlog> current_;
    TempHome home_;
    ChatFrame* frame_ = nullptr;
};

std::unique_ptr<Backlog> Backlog::current_;

// Two fonts taken in turn, so that every run really changes the font.
const wxFont& NextFont(long i)
{
    static const wxFont fonts[] = {wxFont(wxFontInfo(12).Family(wxFONTFAMILY_SWISS).Italic()),
                                   wxFont(wxFontInfo(9).Family(wxFONTFAMILY_ROMAN).Bold())};
    return fonts[i % 2];
}

void BM_ApplyChatFont(benchmark::State& state)
{
    ChatFrame& frame = Backlog::Frame();
    long i = 0;
    for (auto _ : state) {
        ApplyChatFont(ChatFontTargets{frame.OutputControl(), frame.Input(), frame.Users()}, NextFont(i++));
        state.PauseTiming();
        Settle();
        state.ResumeTiming();
    }
}

// GTK lays the text out again in the background, a piece at a time, growing or
// shrinking the scroll range as it goes. The relayout is over at the range's last
// change; a range that holds for half a second counts as settled.
void BM_ApplyChatFontAndRelayout(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kQuiet = std::chrono::milliseconds(500);
    ChatFrame& frame = Backlog::Frame();
    wxTextCtrl& output = frame.OutputControl();
    long i = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        ApplyChatFont(ChatFontTargets{frame.OutputControl(), frame.Input(), frame.Users()}, NextFont(i++));
        Clock::time_point lastChange = Clock::now();
        int range = output.GetScrollRange(wxVERTICAL);
        while (Clock::now() - lastChange < kQuiet) {
            wxTheApp->Yield(true);
            Settle();
            wxMilliSleep(1);
            const int now = output.GetScrollRange(wxVERTICAL);
            if (now != range) {
                range = now;
                lastChange = Clock::now();
            }
        }
        state.SetIterationTime(std::chrono::duration<double>(lastChange - start).count());
        state.counters["height"] = range;
    }
}

BENCHMARK(BM_ApplyChatFont)->Iterations(6)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyChatFontAndRelayout)
    ->UseManualTime()
    ->Iterations(2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return RunGuiBenchmarks(argc, argv, [] { Backlog::Release(); }); }
