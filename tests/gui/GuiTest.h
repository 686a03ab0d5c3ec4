#pragma once

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "app/ChatView.h"
#include "app/InputLine.h"
#include "client/ChatClient.h"
#include "settings/SettingsStore.h"
#include "support/TempDir.h"
#include "transport/Clock.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Lets the event loop run until pred() holds or the deadline passes. The X server
// answers in its own time, so waiting is bounded rather than fixed.
template <class Pred> bool PumpUntil(Pred pred, long timeoutMs = 5000)
{
    for (wxStopWatch watch; !pred(); wxMilliSleep(1)) {
        if (watch.Time() > timeoutMs)
            return false;
        wxTheApp->Yield(true);
    }
    return true;
}

// Runs whatever is pending now, including idle-time work.
inline void PumpPending()
{
    for (int i = 0; i < 3; ++i) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
}

// A main window as the program opens it, shown, with HOME in a fresh folder so
// its settings are its own. Destroyed with the fixture.
class FrameTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!FrameClosed())
            frame_->Destroy();
        PumpPending();
    }

    // Creates and shows the frame; call after writing any settings it should read.
    void OpenFrame()
    {
        alive_ = frame_ = ChatApp::CreateMainFrame();
        linesSeen_ = 0;
        frame_->Show(true);
        ASSERT_TRUE(PumpUntil([&] { return frame_->IsShownOnScreen(); }));
        PumpPending();
    }
    bool FrameClosed() const { return !alive_ || wxTheApp->IsScheduledForDestruction(alive_.get()); }
    // Lets the frame timer move every queued piece into the output area.
    void DrainOutput()
    {
        ASSERT_TRUE(PumpUntil([&] { return frame_->Output().QueuedPieces() == 0; }));
    }
    // A menu command as the menu bar sends it.
    void Command(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        frame_->GetEventHandler()->ProcessEvent(event);
    }
    // Puts the pointer and the keyboard focus on the input line, for real key presses.
    void FocusInput()
    {
        frame_->Raise();
        frame_->Input().SetFocus();
        wxUIActionSimulator().MouseMove(frame_->Input().GetScreenRect().GetPosition() + wxPoint(5, 5));
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &frame_->Input(); }));
    }
    // The output area's lines shown since the previous call.
    std::vector<std::string> NewLines()
    {
        DrainOutput();
        std::vector<std::string> lines;
        const LineStore& shown = frame_->Output().Lines();
        for (linesSeen_ = std::max(linesSeen_, shown.First()); linesSeen_ < shown.End(); ++linesSeen_)
            lines.emplace_back(shown.At(linesSeen_).text);
        return lines;
    }

    TempHome home_;
    ChatFrame* frame_ = nullptr;
    wxWeakRef<wxWindow> alive_;
    uint64_t linesSeen_ = 0;
};

// The frame set up to log in to a zone simulator on loopback as "Staffer". The
// zone runs beside the client in every event loop, modal ones too, and has Bob
// (id 5, spectating on frequency 4) and Carol (id 9) in the arena.
class ZoneFrameTest : public FrameTest {
protected:
    static constexpr uint16_t kBob = 5;

    void SetUp() override
    {
        ArenaScript script;
        script.players = {SimPlayer{kBob, "Bob", "", 8, 4}, SimPlayer{9, "Carol", "", 2, 1}};
        server_ = std::make_unique<ZoneServer>(sim_, script);
        SettingsStore settings;
        settings.WriteString("Server", "IP", "127.0.0.1");
        settings.WriteString("Server", "Port", std::to_string(sim_.Port()));
        settings.WriteString("User", "Name", "Staffer");
        settings.WriteString("Server", "Name", "Sim Zone");
        poller_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { sim_.Poll(); });
        poller_.Start(2);
        OpenFrame();
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        poller_.Stop();
        EXPECT_EQ(sim_.Violations(), std::vector<std::string>{});
    }

    ::Zone& Zone() { return frame_->Client().GetZone(); }

    // Connects and waits until Carol is known in the arena.
    void EnterArena()
    {
        Command(kIdConnect);
        ASSERT_TRUE(PumpUntil(
            [&] { return Zone().InArena() && Zone().players.FindByName("Carol") == 9; },
            15000));
        NewLines();
    }

    // The chats the zone heard since the last call, as "kind:target text". A
    // Server Lag goes last and is waited for, so anything sent before it has arrived.
    std::vector<std::string> ChatsSent()
    {
        Command(kIdServerLag);
        const auto& chats = server_->Chats();
        EXPECT_TRUE(PumpUntil([&] { return chats.size() > chatsSeen_ && chats.back().text == "*lag"; }));
        std::vector<std::string> sent;
        for (; chatsSeen_ < chats.size(); ++chatsSeen_)
            sent.push_back(std::to_string(chats[chatsSeen_].kind) + ":" + std::to_string(chats[chatsSeen_].target) +
                           " " + chats[chatsSeen_].text);
        if (!sent.empty() && sent.back() == "2:0 *lag")
            sent.pop_back();
        return sent;
    }

    SteadyClock clock_;
    ZoneSim sim_{clock_};
    std::unique_ptr<ZoneServer> server_;
    wxTimer poller_;
    size_t chatsSeen_ = 0;
};
