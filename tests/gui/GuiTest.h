#pragma once

#include "support/TempDir.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <gtest/gtest.h>

class ChatFrame;

// Lets the event loop run until pred() holds or the deadline passes. The X server
// answers in its own time, so waiting is bounded rather than fixed.
template <class Pred> bool PumpUntil(Pred pred, long timeoutMs = 5000)
{
    wxStopWatch watch;
    while (!pred()) {
        if (watch.Time() > timeoutMs)
            return false;
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
    return true;
}

// Runs whatever is pending now, including idle-time work.
void PumpPending();

// A main window as the program opens it, shown, with HOME in a fresh folder so
// its settings are its own. Destroyed with the fixture.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates and shows the frame; call after writing any settings it should read.
    void OpenFrame();
    // Lets the frame timer move every queued piece into the output area.
    void DrainOutput();
    // True once the frame is closed: deleted or waiting to be.
    bool FrameClosed() const;

    TempHome home_;
    ChatFrame* frame_ = nullptr;
    wxWeakRef<wxWindow> alive_;
};
