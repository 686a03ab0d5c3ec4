// The window's text over a long session: the main window as the program opens
// it (with the default scrollback limit of 200 000 lines, or the limit given as
// the first argument), a million chat lines printed and shown the way the frame
// timer shows them (Print, then FlushOneLine). Prints the resident set size
// from /proc/self/status before, when the limit is first reached and at the end,
// then how long a change of the chat font takes until it shows.
#include "ProcStatus.h"
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "app/ChatView.h"
#include "app/FontSelection.h"
#include "app/InputLine.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"
#include "settings/SettingsStore.h"

#include <wx/evtloop.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
const long kLines = std::getenv("QUILLON_BACKLOG_LINES") ? std::atol(std::getenv("QUILLON_BACKLOG_LINES")) : 1000000;

void Settle()
{
    wxTheApp->ProcessPendingEvents();
    while (wxTheApp->Pending())
        wxTheApp->Dispatch();
}

// The output lays out what is on screen again and sets its scroll range in
// lines: the change is over once the window has painted in the new font. The
// program's own event loop then runs for half a second, as it would for the
// user, to show that nothing goes on in the background.
double FontChangeSeconds(ChatFrame& frame)
{
    ChatView& output = frame.OutputArea();
    const Clock::time_point start = Clock::now();
    wxFont font = output.GetFont();
    font.SetPointSize(font.GetPointSize() + 2);
    ApplyChatFont(ChatFontTargets{output, frame.Input(), frame.Users()}, font);
    output.Update();
    const Clock::time_point painted = Clock::now();
    const int range = output.GetScrollRange(wxVERTICAL);
    wxEventLoop loop;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.Exit(); });
    watch.StartOnce(500);
    loop.Run();
    if (output.GetScrollRange(wxVERTICAL) != range || size_t(range) != frame.Output().ShownLines())
        std::printf("font_change_range_moved %d %d\n", range, output.GetScrollRange(wxVERTICAL));
    return std::chrono::duration<double>(painted - start).count();
}

class BacklogApp : public ChatApp {
public:
    bool OnInit() override
    {
        if (argc > 1)
            SettingsStore().WriteInteger("Window", "ScrollbackLines", std::atoi(argv[1].c_str()));
        if (!ChatApp::OnInit())
            return false;
        auto* frame = dynamic_cast<ChatFrame*>(GetTopWindow());
        if (frame == nullptr)
            return false;
        CallAfter([frame] { Fill(*frame); });
        return true;
    }

private:
    static void Fill(ChatFrame& frame)
    {
        Settle();
        ChatOutput& out = frame.Output();
        while (out.QueuedPieces() > 0)
            out.FlushOneLine();
        Settle();
        std::printf("rss_before_kib %ld\n", StatusKiB("VmRSS"));
        const Clock::time_point start = Clock::now();
        size_t mostLines = 0;
        bool capReached = false;
        for (long i = 0; i < kLines; ++i) {
            out.Print("      Pilot" + std::to_string(i % 97) + "> line " + std::to_string(i) +
                          " of the conversation, about as long as chat usually is",
                      int(i % 10), true);
            out.FlushOneLine();
            if (i % 10000 == 0)
                Settle();
            // The first time the oldest lines were let go.
            if (!capReached && out.ShownLines() < mostLines) {
                capReached = true;
                Settle();
                std::printf("cap_lines %zu\nrss_at_cap_kib %ld\n", mostLines, StatusKiB("VmRSS"));
            }
            mostLines = std::max(mostLines, out.ShownLines());
        }
        Settle();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("lines %ld\nqueued_after %zu\nfill_seconds %.1f\nrss_after_kib %ld\nrss_peak_kib %ld\n", kLines,
                    out.QueuedPieces(), seconds, StatusKiB("VmRSS"), StatusKiB("VmHWM"));
        std::printf("shown_lines %zu\ntext_length %ld\n", out.ShownLines(), long(out.Lines().Bytes()));
        std::printf("font_change_seconds %.4f\n", FontChangeSeconds(frame));
        std::fflush(stdout);
        frame.Close(true);
    }
};

} // namespace

wxIMPLEMENT_APP(BacklogApp);
