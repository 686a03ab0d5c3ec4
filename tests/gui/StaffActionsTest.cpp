// The staff commands of the real main window against the zone simulator over
// loopback UDP: what reaches the zone, what the user sees, and what happens when
// the arena changes while a dialog is open.
#include "GuiTest.h"
#include "ModalScript.h"

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/BanDialog.h"
#include "app/CFGDialog.h"
#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/SettingsStore.h"
#include "app/StaffActions.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "zone/ZoneSession.h"

#include <wx/fontdlg.h>
#include <wx/textdlg.h>
#include <wx/uiaction.h>

#include <functional>
#include <memory>

namespace {

constexpr uint16_t kBob = 5;
constexpr uint16_t kCarol = 9;
constexpr uint16_t kAbsent = 513;

void Command(wxWindow* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

struct Sent {
    int kind;
    uint16_t target;
    std::string text;
    bool operator==(const Sent& o) const { return kind == o.kind && target == o.target && text == o.text; }
};

void PrintTo(const Sent& sent, std::ostream* os)
{
    *os << "kind " << sent.kind << " to " << sent.target << ": \"" << sent.text << '"';
}

class StaffActionsTest : public FrameTest {
protected:
    void SetUp() override
    {
        Connection::ResetProcessStateForTests();
        sim_ = std::make_unique<ZoneSim>(clock_);
        ASSERT_TRUE(sim_->Listening());
        ArenaScript script;
        script.ownId = 1;
        script.players = {SimPlayer{kBob, "Bob", "", 8, 0}, SimPlayer{kCarol, "Carol", "", 2, 1}};
        server_ = std::make_unique<ZoneServer>(*sim_, script);
        {
            SettingsStore settings;
            settings.WriteString("Server", "IP", "127.0.0.1");
            settings.WriteString("Server", "Port", std::to_string(sim_->Port()));
            settings.WriteString("User", "Name", "Staffer");
        }
        // The zone runs beside the client, in every event loop, modal ones too.
        poller_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { sim_->Poll(); });
        poller_.Start(2);
        OpenFrame();
    }

    void TearDown() override
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

    ZoneSession& Zone() { return *SessionOf(frame_->Link()); }

    void EnterArena()
    {
        Command(frame_, kIdConnect);
        ASSERT_TRUE(
            PumpUntil([&] { return frame_->Link().InArena() && Zone().players.FindByName("Carol") == kCarol; }, 15000));
        DrainOutput();
        linesBefore_ = frame_->OutputControl().GetNumberOfLines();
    }

    // The chats the zone heard since the last call. A Server Lag goes last and is
    // waited for, so anything sent before it has arrived too.
    std::vector<Sent> Heard()
    {
        Command(frame_, kIdServerLag);
        EXPECT_TRUE(PumpUntil([&] {
            const auto& chats = server_->Chats();
            return chats.size() > seen_ && chats.back().text == "*lag";
        }));
        std::vector<Sent> sent;
        const auto& chats = server_->Chats();
        for (; seen_ < chats.size(); ++seen_)
            sent.push_back({chats[seen_].kind, chats[seen_].target, chats[seen_].text});
        if (!sent.empty()) {
            EXPECT_EQ(sent.back(), (Sent{2, 0, "*lag"}));
            sent.pop_back();
        }
        return sent;
    }

    // The lines shown since arena entry (or the last call).
    std::vector<std::string> NewLines()
    {
        DrainOutput();
        wxTextCtrl& output = frame_->OutputControl();
        std::vector<std::string> lines;
        for (int n = linesBefore_; n < output.GetNumberOfLines(); ++n)
            lines.push_back(output.GetLineText(n).ToStdString());
        linesBefore_ = output.GetNumberOfLines();
        return lines;
    }

    // The ban dialog as the command prepared it, then filled in by `fill` and
    // answered with OK or Cancel.
    void AnswerBan(ModalScript& script, std::function<void(BanDialog&)> fill, int button)
    {
        script.ThenWhileShown([this, fill, button](wxDialog& d) {
            auto& ban = dynamic_cast<BanDialog&>(d);
            EXPECT_EQ(frame_->BanDialogSlot().Get(), &ban);
            prepared_ = ban.Options();
            addressEnabled_ = 0;
            for (int id : {BanDialog::kIdIP, BanDialog::kIdIPRange, BanDialog::kIdID})
                addressEnabled_ += ban.FindWindow(id)->IsEnabled() ? 1 : 0;
            fill(ban);
            ClickChild(d, button);
        });
    }

    SteadyClock clock_;
    std::unique_ptr<ZoneSim> sim_;
    std::unique_ptr<ZoneServer> server_;
    wxTimer poller_;
    size_t seen_ = 0;
    int linesBefore_ = 0;
    BanOptions prepared_;
    int addressEnabled_ = 0; // of the three address fields
};

void NoChange(BanDialog&) {}

TEST_F(StaffActionsTest, OutsideAnArenaTheStaffMenuDoesNothing)
{
    ModalScript script;
    for (int id : {kIdGenericBan, kIdServerLog, kIdServerLag})
        Command(frame_, id);
    EXPECT_EQ(script.opened, 0);
    EnterArena();
    EXPECT_EQ(Heard(), std::vector<Sent>{});
}

TEST_F(StaffActionsTest, ServerLogAndLagArePublicCommandsWithoutEcho)
{
    EnterArena();
    Command(frame_, kIdServerLog);
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "*log"}}));
    Command(frame_, kIdServerLag);
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "*lag"}}));
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

TEST_F(StaffActionsTest, GenericBanSendsTheOptionsAsTypedWithoutEcho)
{
    EnterArena();
    ModalScript script;
    AnswerBan(script, NoChange, BanDialog::kIdOK);
    Command(frame_, kIdGenericBan);
    EXPECT_EQ(script.opened, 1);
    EXPECT_EQ(frame_->BanDialogSlot().Get(), nullptr);
    EXPECT_EQ(addressEnabled_, 3);
    EXPECT_EQ(prepared_.level, "4");
    EXPECT_EQ(prepared_.days, "7");
    EXPECT_EQ(prepared_.name, "");
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "?ban -a4 -e7 -i -m -n "}}));

    AnswerBan(
        script,
        [](BanDialog& ban) {
            ban.SelectLevel(2);
            ban.SetDays(30);
            ban.SetIP("10.0.0.1");
            ban.SetAllAccounts(true);
            ban.SetDontKick(true);
            ban.SetName("Bob");
        },
        BanDialog::kIdOK);
    Command(frame_, kIdGenericBan);
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "?ban -a2 -e30 -i10.0.0.1 -m -n -! -k Bob"}}));
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

TEST_F(StaffActionsTest, EveryBanStartsFromAFreshDialogAndCancelSendsNothing)
{
    EnterArena();
    ModalScript script;
    AnswerBan(
        script, [](BanDialog& ban) { ban.SetName("Someone"); }, BanDialog::kIdCancel);
    Command(frame_, kIdGenericBan);
    script.ThenWhileShown([](wxDialog& d) {
        dynamic_cast<BanDialog&>(d).SetName("Someone");
        CloseFromTitleBar(d);
    });
    Command(frame_, kIdGenericBan);
    AnswerBan(script, NoChange, BanDialog::kIdCancel);
    Command(frame_, kIdGenericBan);
    EXPECT_EQ(prepared_.name, "");
    EXPECT_EQ(script.opened, 3);
    EXPECT_EQ(Heard(), std::vector<Sent>{});
}

TEST_F(StaffActionsTest, BanPlayerNamesThePlayerOfTheMenuAndEchoesTheCommand)
{
    EnterArena();
    ModalScript script;
    AnswerBan(
        script, [](BanDialog& ban) { ban.SetName("Carol"); }, BanDialog::kIdOK);
    StaffBan(*frame_, "Bob");
    EXPECT_EQ(addressEnabled_, 0);
    EXPECT_EQ(prepared_.name, "Bob");
    EXPECT_EQ(prepared_.level, "4");
    EXPECT_EQ(prepared_.days, "7");
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "?ban -a4 -e7 Bob"}}));
    const auto lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(13, ' ') + "Staffer> ?ban -a4 -e7 Bob");
    wxTextCtrl& output = frame_->OutputControl();
    wxTextAttr style;
    ASSERT_TRUE(output.GetStyle(output.GetLastPosition() - 3, style));
    const Rgb publicColour = ChatOutput::SlotColour(2);
    EXPECT_EQ(style.GetTextColour(), wxColour(publicColour.r, publicColour.g, publicColour.b));

    AnswerBan(
        script, [](BanDialog& ban) { ban.SetDontKick(true); }, BanDialog::kIdOK);
    StaffBan(*frame_, "Bob");
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "?ban -a4 -e7 -k Bob"}}));
}

TEST_F(StaffActionsTest, ABanDialogAlreadyShowingIsNotOpenedTwice)
{
    EnterArena();
    ModalScript script;
    script.ThenWhileShown([&](wxDialog& d) {
        // F10 again and the player menu's ban: the slot is taken.
        Command(frame_, kIdGenericBan);
        StaffBan(*frame_, "Bob");
        ClickChild(d, BanDialog::kIdOK);
    });
    Command(frame_, kIdGenericBan);
    EXPECT_EQ(script.opened, 1);
    EXPECT_EQ(Heard(), (std::vector<Sent>{{2, 0, "?ban -a4 -e7 -i -m -n "}}));
}

TEST_F(StaffActionsTest, AGenericBanConfirmedAfterTheArenaWasLeftIsDropped)
{
    EnterArena();
    ModalScript script;
    uint32_t sentBefore = 0;
    script.ThenWhileShown([&](wxDialog& d) {
        // The zone ends the session while the user fills in the ban.
        sim_->Peer()->Disconnect();
        EXPECT_TRUE(PumpUntil([&] { return !frame_->Link().InArena(); }));
        sentBefore = frame_->Link().PacketsSent();
        ClickChild(d, BanDialog::kIdOK);
    });
    Command(frame_, kIdGenericBan);
    EXPECT_EQ(script.closed, 1);
    EXPECT_EQ(frame_->Link().PacketsSent(), sentBefore);
    EXPECT_EQ(frame_->Link().Reliable().PendingCount(), 0u);
}

TEST_F(StaffActionsTest, F3F5AndF10OpenTheirDialogsFromTheKeyboard)
{
    EnterArena();
    frame_->Raise();
    frame_->Input().SetFocus();
    wxUIActionSimulator keys;
    keys.MouseMove(frame_->Input().GetScreenRect().GetPosition() + wxPoint(5, 5));
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &frame_->Input(); }));

    ModalScript script;
    std::vector<std::string> kinds;
    for (int i = 0; i < 3; ++i)
        script.Then([&](wxDialog& d) {
            kinds.push_back(dynamic_cast<wxFontDialog*>(&d) ? "font"
                            : dynamic_cast<CFGDialog*>(&d)  ? "settings"
                            : dynamic_cast<BanDialog*>(&d)  ? "ban"
                                                            : "other");
            return int(wxID_CANCEL);
        });
    for (int key : {WXK_F3, WXK_F5, WXK_F10}) {
        const int before = script.opened;
        keys.Char(key);
        EXPECT_TRUE(PumpUntil([&] { return script.opened == before + 1; })) << key;
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"font", "settings", "ban"}));
    EXPECT_EQ(Heard(), std::vector<Sent>{});
}

class KickTest : public StaffActionsTest {
protected:
    // The kick-time question as asked, answered with `minutes` (Cancel when null).
    void AnswerKick(ModalScript& script, const char* minutes)
    {
        script.Then([this, minutes](wxDialog& d) {
            auto& ask = dynamic_cast<wxTextEntryDialog&>(d);
            EXPECT_EQ(ask.GetTitle(), "Kick Time");
            EXPECT_EQ(ask.GetValue(), "0");
            // Asked over the user list; a dialog belongs to the list's window.
            EXPECT_EQ(ask.GetParent(), wxGetTopLevelParent(&frame_->Users()));
            question_ = d.FindWindow(wxID_OK) != nullptr && d.FindWindow(wxID_CANCEL) != nullptr;
            if (minutes == nullptr)
                return int(wxID_CANCEL);
            ask.SetValue(minutes);
            return int(wxID_OK);
        });
    }
    bool question_ = false;
};

TEST_F(KickTest, KicksThePlayerPrivatelyWithTheMinutesAsTyped)
{
    EnterArena();
    ModalScript script;
    AnswerKick(script, "0");
    StaffKick(*frame_, "Bob");
    EXPECT_TRUE(question_);
    EXPECT_EQ(Heard(), (std::vector<Sent>{{5, kBob, "*kill 0"}}));
    EXPECT_EQ(NewLines(), std::vector<std::string>{"Kicking: Bob"});

    for (const char* minutes : {"+15", "-5"}) {
        AnswerKick(script, minutes);
        StaffKick(*frame_, "carol");
        EXPECT_EQ(Heard(), (std::vector<Sent>{{5, kCarol, std::string("*kill ") + minutes}}));
        EXPECT_EQ(NewLines(), std::vector<std::string>{"Kicking: carol"});
    }
}

TEST_F(KickTest, AnInvalidTimeIsRefusedAndCancelSaysNothing)
{
    EnterArena();
    ModalScript script;
    for (const char* minutes : {"5m", "", "+"}) {
        AnswerKick(script, minutes);
        StaffKick(*frame_, "Bob");
        EXPECT_EQ(NewLines(), std::vector<std::string>{"Invalid Value for Kick Time"}) << minutes;
    }
    AnswerKick(script, nullptr);
    StaffKick(*frame_, "Bob");
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
    EXPECT_EQ(Heard(), std::vector<Sent>{});
}

TEST_F(KickTest, APlayerWhoLeavesWhileTheTimeIsAskedIsLookedUpAfterwards)
{
    EnterArena();
    ModalScript script;
    script.ThenWhileShown([&](wxDialog& d) {
        server_->SendPlayerLeaving(kBob);
        EXPECT_TRUE(PumpUntil([&] { return Zone().players.FindByName("Bob") == kAbsent; }));
        PressChild(d, wxID_OK);
    });
    StaffKick(*frame_, "Bob");
    EXPECT_EQ(Heard(), (std::vector<Sent>{{5, kAbsent, "*kill 0"}}));
}

TEST_F(StaffActionsTest, SilenceAndInfoGoPrivatelyToThePlayerEvenWhenAbsent)
{
    EnterArena();
    StaffSilence(*frame_, "Bob");
    StaffInfo(*frame_, "CAROL");
    StaffInfo(*frame_, "Nobody");
    EXPECT_EQ(Heard(), (std::vector<Sent>{{5, kBob, "*shutup"}, {5, kCarol, "*info"}, {5, kAbsent, "*info"}}));
    EXPECT_EQ(NewLines(), (std::vector<std::string>{"Silencing: Bob", "Info On: CAROL", "Info On: Nobody"}));
}

} // namespace
