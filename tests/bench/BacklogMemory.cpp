// Resident memory of the program with 1 000 000 lines shown: the main window as
// the program opens it, a million chat lines printed and shown the way the
// frame timer shows them (Print, then FlushOneLine), then the resident set size
// from /proc/self/status. Prints the figures before and after, and the time.
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "console/ChatOutput.h"

#include <wx/textctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr long kLines = 1000000;

// A value of /proc/self/status in KiB.
long StatusKiB(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0)
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    return -1;
}

void Settle()
{
    wxTheApp->ProcessPendingEvents();
    while (wxTheApp->Pending())
        wxTheApp->Dispatch();
}

class BacklogApp : public ChatApp {
public:
    bool OnInit() override
    {
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
        const auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < kLines; ++i) {
            out.Print("      Pilot" + std::to_string(i % 97) + "> line " + std::to_string(i) +
                          " of the conversation, about as long as chat usually is",
                      int(i % 10), true);
            out.FlushOneLine();
            if (i % 10000 == 0)
                Settle();
        }
        Settle();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("lines %ld\nqueued_after %zu\nfill_seconds %.1f\nrss_after_kib %ld\nrss_peak_kib %ld\n", kLines,
                    out.QueuedPieces(), seconds, StatusKiB("VmRSS"), StatusKiB("VmHWM"));
        std::printf("text_length %ld\n", long(frame.OutputControl().GetLastPosition()));
        std::fflush(stdout);
        frame.Close(true);
    }
};

} // namespace

wxIMPLEMENT_APP(BacklogApp);
