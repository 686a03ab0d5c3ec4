// The input line of the real main window, with real key presses: its colours,
// the "::" completion, Page Up and Page Down, and Enter against the zone
// simulator, down to the packets the zone receives and the session log.
#include "GuiTest.h"

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/SettingsStore.h"
#include "app/UserList.h"
#include "app/WxText.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "zone/ZoneSession.h"

#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

const wxColour kYellow(255, 255, 0);
const wxColour kGreen(0, 255, 0);
const wxColour kOrange(255, 128, 0);
const wxColour kLightBlue(160, 160, 255);

class InputLineTest : public FrameTest {
protected:
    void SetUp() override { OpenFrame(); }

    InputLine& Input() { return frame_->Input(); }
    UserList& Users() { return frame_->Users(); }
    ZoneSession& Zone() { return *SessionOf(frame_->Link()); }

    void FocusInput()
    {
        frame_->Raise();
        Input().SetFocus();
        wxUIActionSimulator sim;
        sim.MouseMove(Input().GetScreenRect().GetPosition() + wxPoint(5, 5));
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &Input(); }));
    }

    // Types the text with real key presses and waits until the field shows `expected`.
    bool TypeAndSee(const wxString& text, const wxString& expected)
    {
        wxUIActionSimulator sim;
        sim.Text(text.utf8_str());
        return PumpUntil([&] { return Input().GetValue() == expected; }, 3000);
    }
    bool Press(int key, const wxString& expected)
    {
        wxUIActionSimulator sim;
        sim.Char(key);
        return PumpUntil([&] { return Input().GetValue() == expected; }, 3000);
    }
    void Empty()
    {
        Input().Clear();
        PumpPending();
    }

    long Selected() const { return frame_->Users().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }
};

TEST_F(InputLineTest, TheFirstCharacterColoursTheField)
{
    FocusInput();
    ASSERT_TRUE(TypeAndSee("'", "'"));
    EXPECT_EQ(Input().TextColour(), kYellow);
    EXPECT_EQ(Input().GetForegroundColour(), kYellow);
    ASSERT_TRUE(TypeAndSee("hi", "'hi"));
    EXPECT_EQ(Input().TextColour(), kYellow);

    Empty();
    ASSERT_TRUE(TypeAndSee("/abc", "/abc"));
    EXPECT_EQ(Input().TextColour(), kGreen);
    Empty();
    ASSERT_TRUE(TypeAndSee("x/abc", "x/abc"));
    EXPECT_EQ(Input().TextColour(), kLightBlue);
    // Deleting everything but the first character of "/abc" makes it green again.
    Input().ChangeValue("/abc");
    Input().SetInsertionPointEnd();
    ASSERT_TRUE(Press(WXK_BACK, "/ab"));
    EXPECT_EQ(Input().TextColour(), kLightBlue);
    ASSERT_TRUE(Press(WXK_BACK, "/a"));
    ASSERT_TRUE(Press(WXK_BACK, "/"));
    EXPECT_EQ(Input().TextColour(), kGreen);

    Empty();
    ASSERT_TRUE(TypeAndSee(";", ";"));
    EXPECT_EQ(Input().TextColour(), kOrange);
    Empty();
    ASSERT_TRUE(TypeAndSee("?", "?"));
    EXPECT_EQ(Input().TextColour(), kLightBlue);

    // A second colon makes a remote private message, shown green until the colon goes.
    Empty();
    ASSERT_TRUE(TypeAndSee(":Bob", ":Bob"));
    EXPECT_EQ(Input().TextColour(), kLightBlue);
    ASSERT_TRUE(TypeAndSee(":", ":Bob:"));
    EXPECT_TRUE(Input().RemoteMode());
    EXPECT_EQ(Input().TextColour(), kGreen);
    ASSERT_TRUE(Press(WXK_BACK, ":Bob"));
    EXPECT_FALSE(Input().RemoteMode());
    EXPECT_EQ(Input().TextColour(), kLightBlue);
}

TEST_F(InputLineTest, DoubleColonFillsInTheRecentSendersInTurn)
{
    Zone().NoteRecentSender("A");
    Zone().NoteRecentSender("B");
    FocusInput();
    ASSERT_TRUE(TypeAndSee("::", ":B:"));
    EXPECT_EQ(Input().TextColour(), kGreen);
    // The cursor is after the name, ready for the message.
    ASSERT_TRUE(TypeAndSee("x", ":B:x"));

    // Selecting the name and deleting it brings the next one, then the first again.
    Input().ChangeValue(":B:");
    Input().SetSelection(1, 2);
    ASSERT_TRUE(Press(WXK_DELETE, ":A:"));
    Input().SetSelection(1, 2);
    ASSERT_TRUE(Press(WXK_DELETE, ":B:"));

    // Back to one colon and a second one typed: the newest sender again.
    Input().SetInsertionPointEnd();
    ASSERT_TRUE(Press(WXK_BACK, ":B"));
    ASSERT_TRUE(Press(WXK_BACK, ":"));
    ASSERT_TRUE(TypeAndSee(":", ":B:"));
}

TEST_F(InputLineTest, PageUpAndPageDownMoveTheUserListSelection)
{
    for (const char* name : {"Alice", "Bob", "Carl"})
        frame_->Output().AddUser(name, ChatOutput::kOtherFreq);
    FocusInput();
    wxUIActionSimulator sim;
    sim.Char(WXK_PAGEUP); // nothing selected: nothing to move
    PumpPending();
    EXPECT_EQ(Selected(), -1);

    const long downs[] = {0, 1, 2, 2};
    for (long expected : downs) {
        sim.Char(WXK_PAGEDOWN);
        EXPECT_TRUE(PumpUntil([&] { return Selected() == expected; }, 2000)) << expected;
    }
    const long ups[] = {1, 0, 0};
    for (long expected : ups) {
        sim.Char(WXK_PAGEUP);
        EXPECT_TRUE(PumpUntil([&] { return Selected() == expected; }, 2000)) << expected;
    }
    EXPECT_EQ(Users().GetSelectedItemCount(), 1);
    EXPECT_EQ(Users().SelectedName(), std::optional<std::string>("Alice"));
    // The keys went to the list, not into the field.
    EXPECT_EQ(Input().GetValue(), "");
    EXPECT_EQ(wxWindow::FindFocus(), &Input());
}

// --- Enter, against the zone simulator ------------------------------------------------

constexpr uint16_t kBob = 5;
constexpr uint16_t kCarol = 9;

struct Heard {
    int kind;
    uint16_t target;
    std::string text;
    bool operator==(const Heard& o) const { return kind == o.kind && target == o.target && text == o.text; }
};

void PrintTo(const Heard& h, std::ostream* os)
{
    *os << "kind " << h.kind << " to " << h.target << ": \"" << h.text << '"';
}

class EnterTest : public InputLineTest {
protected:
    void SetUp() override
    {
        Connection::ResetProcessStateForTests();
        sim_ = std::make_unique<ZoneSim>(clock_);
        ASSERT_TRUE(sim_->Listening());
        ArenaScript script;
        script.ownId = 1;
        script.players = {SimPlayer{kBob, "Bob", "", 8, 4}, SimPlayer{kCarol, "Carol", "", 2, 1}};
        script.arenas = {{"0", 0}, {"duel", 4}};
        server_ = std::make_unique<ZoneServer>(*sim_, script);
        {
            SettingsStore settings;
            settings.WriteString("Server", "IP", "127.0.0.1");
            settings.WriteString("Server", "Port", std::to_string(sim_->Port()));
            settings.WriteString("User", "Name", "Typist");
        }
        poller_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { sim_->Poll(); });
        poller_.Start(2);
        InputLineTest::SetUp();
        logName_ = "guitest-" + std::to_string(getpid()) + ".log";
        logPath_ = frame_->Output().ProgramFolder() + "Logs/" + logName_;
    }
    void TearDown() override
    {
        InputLineTest::TearDown();
        poller_.Stop();
        if (sim_) {
            EXPECT_EQ(sim_->Violations(), std::vector<std::string>{});
        }
        server_.reset();
        sim_.reset();
        Connection::ResetProcessStateForTests();
        std::remove(logPath_.c_str());
    }

    void EnterArena()
    {
        wxCommandEvent connect(wxEVT_MENU, kIdConnect);
        frame_->GetEventHandler()->ProcessEvent(connect);
        ASSERT_TRUE(
            PumpUntil([&] { return frame_->Link().InArena() && Zone().players.FindByName("Carol") == kCarol; }, 15000));
        DrainOutput();
    }

    // Types the line, presses Enter and waits for the field to show `after`.
    bool Submit(const wxString& line, const wxString& after = "")
    {
        Input().ChangeValue(line);
        Input().SetInsertionPointEnd();
        return Press(WXK_RETURN, after);
    }

    // The chats the zone heard, once `count` have arrived.
    std::vector<Heard> HeardChats(size_t count)
    {
        EXPECT_TRUE(PumpUntil([&] { return server_->Chats().size() >= count; }));
        std::vector<Heard> heard;
        for (const HeardChat& chat : server_->Chats())
            heard.push_back({chat.kind, chat.target, chat.text});
        return heard;
    }

    std::vector<std::string> WindowLines()
    {
        DrainOutput();
        wxTextCtrl& output = frame_->OutputControl();
        std::vector<std::string> lines;
        for (int n = 0; n < output.GetNumberOfLines(); ++n)
            lines.push_back(std::string(output.GetLineText(n).utf8_str()));
        return lines;
    }

    SteadyClock clock_;
    std::unique_ptr<ZoneSim> sim_;
    std::unique_ptr<ZoneServer> server_;
    wxTimer poller_;
    std::string logName_;
    std::string logPath_;
};

TEST_F(EnterTest, EnterSendsEachKindOfLineAndClearsTheField)
{
    EnterArena();
    FocusInput();
    EXPECT_TRUE(Submit("hello"));
    EXPECT_TRUE(Submit("'team"));
    EXPECT_TRUE(Submit(";chan"));
    EXPECT_TRUE(Submit(":Far:away"));
    // Bob is selected with Page Down (Bob, Carol, Typist).
    wxUIActionSimulator sim;
    sim.Char(WXK_PAGEDOWN);
    ASSERT_TRUE(PumpUntil([&] { return Selected() == 0; }));
    EXPECT_TRUE(Submit("/psst"));
    EXPECT_TRUE(Submit("\"your team"));
    EXPECT_TRUE(Submit("?nopubchat"));
    EXPECT_TRUE(Submit("?arena"));
    EXPECT_EQ(HeardChats(7), (std::vector<Heard>{{2, 0, "hello"},
                                                 {3, 0, "team"},
                                                 {9, 0, ";1;chan"},
                                                 {7, 0, ":Far:away"},
                                                 {5, kBob, "psst"},
                                                 {4, 4, "your team"},
                                                 {2, 0, "?arena"}}));
    EXPECT_FALSE(Zone().filters.publicChat);

    ASSERT_TRUE(PumpUntil([&] { return WindowLines().back().rfind("Arenas: ", 0) == 0; }));
    // A line that waits for a selection keeps its text.
    Users().SetItemState(0, 0, wxLIST_STATE_SELECTED);
    Input().ChangeValue("/who?");
    Input().SetInsertionPointEnd();
    sim.Char(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return WindowLines().back() == "ERROR: No User Selected for Private Message."; }));
    EXPECT_EQ(Input().GetValue(), "/who?");
    EXPECT_EQ(server_->Chats().size(), 7u);
    const std::vector<std::string> lines = WindowLines();
    EXPECT_EQ(lines[lines.size() - 2], "Arenas: Public 0 (*) (3), duel (4)");
}

TEST_F(EnterTest, ALoggedConversationMatchesTheWindowLineForLine)
{
    EnterArena();
    FocusInput();
    EXPECT_TRUE(Submit(wxString("?log ") + logName_));
    server_->SendChat(2, kBob, "hi Typist");
    server_->SendChat(5, kCarol, "psst");
    EXPECT_TRUE(Submit(wxString::FromUTF8("caf\xC3\xA9 time"))); // shown and logged as Windows-1252
    EXPECT_TRUE(Submit("=3"));
    EXPECT_TRUE(Submit("?nochat 2"));
    EXPECT_TRUE(Submit("?arena"));
    ASSERT_TRUE(PumpUntil([&] { return WindowLines().back().rfind("Arenas: ", 0) == 0; }));
    EXPECT_TRUE(Submit("?log"));
    const std::vector<std::string> shown = WindowLines();

    const auto opened = std::find(shown.begin(), shown.end(), "Opened Logfile: " + logName_);
    const auto closed = std::find(shown.begin(), shown.end(), "Closed Logfile: " + logName_);
    ASSERT_NE(opened, shown.end());
    ASSERT_NE(closed, shown.end());
    std::string expected;
    for (auto line = opened; line != closed; ++line)
        expected += WxToBytes(wxString::FromUTF8(*line)) + "\r\n";
    EXPECT_GE(closed - opened, 8);
    EXPECT_EQ(ReadWholeFile(logPath_), expected);
    EXPECT_NE(expected.find("caf\xE9 time"), std::string::npos);
}

} // namespace
