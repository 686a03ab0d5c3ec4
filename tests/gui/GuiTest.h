#pragma once

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "support/TempDir.h"
#include "transport/Clock.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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
    void TearDown() override;
    // Creates and shows the frame; call after writing any settings it should read.
    void OpenFrame();
    // Lets the frame timer move every queued piece into the output area.
    void DrainOutput();
    // True once the frame is closed: deleted or waiting to be.
    bool FrameClosed() const;
    // A menu command as the menu bar sends it.
    void Command(int id);
    // Puts the pointer and the keyboard focus on the input line, for real key presses.
    void FocusInput();
    // The output area's lines shown since the previous call.
    std::vector<std::string> NewLines();

    TempHome home_;
    ChatFrame* frame_ = nullptr;
    wxWeakRef<wxWindow> alive_;
    int linesSeen_ = 0;
};

// The frame set up to log in to a zone simulator on loopback as "Staffer". The
// zone runs beside the client in every event loop, modal ones too, and has Bob
// (id 5, spectating on frequency 4) and Carol (id 9) in the arena.
class ZoneFrameTest : public FrameTest {
protected:
    static constexpr uint16_t kBob = 5;
    static constexpr uint16_t kCarol = 9;
    static constexpr uint16_t kAbsent = 513; // the id for a name nobody has

    void SetUp() override;
    void TearDown() override;
    // Connects and waits until Carol is known in the arena.
    void EnterArena();
    // The chats the zone heard since the last call, as "kind:target text". A
    // Server Lag goes last and is waited for, so anything sent before it has arrived.
    std::vector<std::string> ChatsSent();

    SteadyClock clock_;
    std::unique_ptr<ZoneSim> sim_;
    std::unique_ptr<ZoneServer> server_;
    wxTimer poller_;
    size_t chatsSeen_ = 0;
};
