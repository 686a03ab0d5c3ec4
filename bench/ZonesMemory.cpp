// Several zones at once: the main window with N zones (5 unless given), each
// connected to a zone simulator of its own in this process, then every tab's
// output filled up to 200 000 shown lines (as many as the default scrollback keeps)
// the way the frame timer shows them. Prints the resident set size from
// /proc/self/status with the window idle, with every zone connected, and after
// the fill.
#include "ProcStatus.h"
#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "app/ZoneTab.h"
#include "client/ChatClient.h"
#include "console/ChatOutput.h"
#include "settings/SettingsStore.h"
#include "transport/Clock.h"
#include "zone/ZoneList.h"

#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr long kLinesPerZone = 200000;

void Settle()
{
    wxTheApp->ProcessPendingEvents();
    while (wxTheApp->Pending())
        wxTheApp->Dispatch();
}

class ZonesApp : public ChatApp {
public:
    bool OnInit() override
    {
        const int zones = argc > 1 ? std::max(1, std::atoi(argv[1].c_str())) : 5;
        SettingsStore settings;
        for (int i = 0; i < zones; ++i) {
            sims_.push_back(std::make_unique<ZoneSim>(clock_));
            servers_.push_back(std::make_unique<ZoneServer>(*sims_.back()));
            ZoneEntry entry;
            entry.name = "Zone " + std::to_string(i + 1);
            entry.userName = "Bencher";
            entry.ip = "127.0.0.1";
            entry.port = std::to_string(sims_.back()->Port());
            if (i == 0)
                ZoneList::Write(settings, 0, entry);
            else
                ZoneList::Add(settings, entry);
        }
        poller_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            for (auto& sim : sims_)
                sim->Poll();
        });
        poller_.Start(2);
        if (!ChatApp::OnInit())
            return false;
        auto* frame = dynamic_cast<ChatFrame*>(GetTopWindow());
        if (frame == nullptr)
            return false;
        CallAfter([this, frame, zones] { Run(*frame, zones); });
        return true;
    }

private:
    void Run(ChatFrame& frame, int zones)
    {
        Settle();
        std::printf("zones %d\nrss_idle_window_kib %ld\n", zones, StatusKiB("VmRSS"));
        for (int i = 0; i < zones; ++i)
            frame.ConnectZone(i);
        wxStopWatch watch;
        const auto allIn = [&] {
            for (int i = 0; i < frame.TabCount(); ++i)
                if (!frame.Tab(i).Client().GetZone().InArena())
                    return false;
            return frame.TabCount() == zones;
        };
        while (!allIn() && watch.Time() < 30000) {
            wxTheApp->Yield(true);
            wxMilliSleep(1);
        }
        if (!allIn()) {
            std::printf("not_all_connected\n");
            frame.Close(true);
            return;
        }
        Settle();
        std::printf("rss_connected_kib %ld\n", StatusKiB("VmRSS"));
        for (int i = 0; i < zones; ++i) {
            ChatOutput& out = frame.Tab(i).Output();
            // Up to the limit and not past it: past it the oldest twentieth would go.
            const long lines = kLinesPerZone - long(out.ShownLines());
            for (long n = 0; n < lines; ++n) {
                out.Print("      Pilot" + std::to_string(n % 97) + "> line " + std::to_string(n) +
                              " of the conversation, about as long as chat usually is",
                          int(n % 10), true);
                out.FlushOneLine();
                if (n % 10000 == 0)
                    Settle();
            }
        }
        Settle();
        std::printf("rss_filled_kib %ld\nrss_peak_kib %ld\n", StatusKiB("VmRSS"), StatusKiB("VmHWM"));
        for (int i = 0; i < zones; ++i)
            std::printf("shown_lines_%d %zu\n", i + 1, frame.Tab(i).Output().ShownLines());
        std::fflush(stdout);
        frame.Close(true);
    }

    SteadyClock clock_;
    std::vector<std::unique_ptr<ZoneSim>> sims_;
    std::vector<std::unique_ptr<ZoneServer>> servers_;
    wxTimer poller_;
};

} // namespace

wxIMPLEMENT_APP(ZonesApp);
