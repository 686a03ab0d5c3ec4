#include "GuiTest.h"

#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/SettingsStore.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "zone/ZoneSession.h"

#include <wx/image.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        return true;
    }
};
} // namespace

void PumpPending()
{
    for (int i = 0; i < 3; ++i) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
}

void FrameTest::OpenFrame()
{
    frame_ = ChatApp::CreateMainFrame();
    alive_ = frame_;
    linesSeen_ = 0;
    frame_->Show(true);
    ASSERT_TRUE(PumpUntil([&] { return frame_->IsShownOnScreen(); }));
    PumpPending();
}

void FrameTest::TearDown()
{
    if (!FrameClosed())
        frame_->Destroy();
    PumpPending();
    frame_ = nullptr;
}

bool FrameTest::FrameClosed() const { return !alive_ || wxTheApp->IsScheduledForDestruction(alive_.get()); }

void FrameTest::DrainOutput()
{
    ASSERT_TRUE(PumpUntil([&] { return frame_->Output().QueuedPieces() == 0; }));
}

void FrameTest::Command(int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::FocusInput()
{
    frame_->Raise();
    frame_->Input().SetFocus();
    wxUIActionSimulator sim;
    sim.MouseMove(frame_->Input().GetScreenRect().GetPosition() + wxPoint(5, 5));
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &frame_->Input(); }));
}

std::vector<std::string> FrameTest::NewLines()
{
    DrainOutput();
    wxTextCtrl& output = frame_->OutputControl();
    std::vector<std::string> lines;
    for (; linesSeen_ < output.GetNumberOfLines(); ++linesSeen_)
        lines.push_back(output.GetLineText(linesSeen_).ToStdString());
    return lines;
}

void ZoneFrameTest::SetUp()
{
    Connection::ResetProcessStateForTests();
    sim_ = std::make_unique<ZoneSim>(clock_);
    ASSERT_TRUE(sim_->Listening());
    ArenaScript script;
    script.players = {SimPlayer{kBob, "Bob", "", 8, 4}, SimPlayer{kCarol, "Carol", "", 2, 1}};
    script.arenas = {{"0", 0}, {"duel", 4}};
    server_ = std::make_unique<ZoneServer>(*sim_, script);
    {
        SettingsStore settings;
        settings.WriteString("Server", "IP", "127.0.0.1");
        settings.WriteString("Server", "Port", std::to_string(sim_->Port()));
        settings.WriteString("User", "Name", "Staffer");
    }
    poller_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { sim_->Poll(); });
    poller_.Start(2);
    OpenFrame();
}

void ZoneFrameTest::TearDown()
{
    FrameTest::TearDown();
    poller_.Stop();
    if (sim_) {
        EXPECT_EQ(sim_->Violations(), std::vector<std::string>{});
    }
    server_.reset();
    sim_.reset();
    Connection::ResetProcessStateForTests();
}

void ZoneFrameTest::EnterArena()
{
    Command(kIdConnect);
    ASSERT_TRUE(PumpUntil(
        [&] { return frame_->Link().InArena() && SessionOf(frame_->Link())->players.FindByName("Carol") == kCarol; },
        15000));
    NewLines();
}

std::vector<std::string> ZoneFrameTest::ChatsSent()
{
    Command(kIdServerLag);
    const auto& chats = server_->Chats();
    EXPECT_TRUE(PumpUntil([&] { return chats.size() > chatsSeen_ && chats.back().text == "*lag"; }));
    std::vector<std::string> sent;
    for (; chatsSeen_ < chats.size(); ++chatsSeen_)
        sent.push_back(std::to_string(chats[chatsSeen_].kind) + ":" + std::to_string(chats[chatsSeen_].target) + " " +
                       chats[chatsSeen_].text);
    if (!sent.empty()) {
        EXPECT_EQ(sent.back(), "2:0 *lag");
        sent.pop_back();
    }
    return sent;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "cannot start the GUI (is DISPLAY set?)\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
