// What the benchmarks of the real main window share: the event loop run dry, and
// a main that starts wxWidgets around Google Benchmark. Needs an X display.
#pragma once

#include <benchmark/benchmark.h>
#include <wx/app.h>

#include <cstdio>

// Runs the event loop until nothing is left to do: redraws and GTK's layout of the text.
inline void Settle()
{
    wxTheApp->ProcessPendingEvents();
    while (wxTheApp->Pending())
        wxTheApp->Dispatch();
}

// `release` drops the windows the benchmarks kept, before the GUI library shuts down.
inline int RunGuiBenchmarks(int argc, char** argv, void (*release)())
{
    class BenchApp : public wxApp {
    public:
        bool OnInit() override { return true; }
    };
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the GUI (is DISPLAY set?)\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    release();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
