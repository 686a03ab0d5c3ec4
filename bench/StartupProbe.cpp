// Start-up to the first shown line: the program as it starts (ChatApp opens the
// main window, the frame timer shows the start-up hint), timed until the output
// area holds text, then closed. With the launch time as an argument (ns since
// the epoch, as `date +%s%N` prints it) the figure counts from the exec.
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "console/ChatOutput.h"

#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using WallClock = std::chrono::system_clock;
using Clock = std::chrono::steady_clock;

const Clock::time_point g_mainStarted = Clock::now();

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class ProbeApp : public ChatApp {
public:
    bool OnInit() override
    {
        if (argc > 1)
            launchNs_ = std::strtoll(argv[1].c_str(), nullptr, 10);
        if (!ChatApp::OnInit())
            return false;
        frame_ = dynamic_cast<ChatFrame*>(GetTopWindow());
        if (frame_ == nullptr)
            return false;
        watch_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Check(); });
        watch_.Start(1, wxTIMER_CONTINUOUS);
        return true;
    }

private:
    void Check()
    {
        if (frame_->Output().Lines().Empty())
            return;
        watch_.Stop();
        const double sinceMain = MillisecondsSince(g_mainStarted);
        if (launchNs_ > 0) {
            const long long nowNs =
                std::chrono::duration_cast<std::chrono::nanoseconds>(WallClock::now().time_since_epoch()).count();
            std::printf("first_line_since_launch_ms %.1f\n", double(nowNs - launchNs_) / 1e6);
        }
        std::printf("first_line_since_main_ms %.1f\n", sinceMain);
        std::fflush(stdout);
        frame_->Close(true);
    }

    ChatFrame* frame_ = nullptr;
    wxTimer watch_;
    long long launchNs_ = 0;
};

} // namespace

wxIMPLEMENT_APP(ProbeApp);
