// The staff commands of the real main window against the zone simulator: what
// reaches the zone, what the user sees, and what a dialog left open runs into.
#include "GuiTest.h"
#include "ModalScript.h"

#include "app/BanDialog.h"
#include "app/UserList.h"
#include "console/PlayerMenu.h"

#include <wx/msgdlg.h>
#include <wx/textdlg.h>

namespace {

using Sent = std::vector<std::string>;
using StaffActionsTest = ZoneFrameTest;

TEST_F(StaffActionsTest, OutsideAnArenaTheStaffMenuDoesNothing)
{
    ModalScript script;
    for (int id : {kIdGenericBan, kIdServerLog, kIdServerLag})
        Command(id);
    EXPECT_EQ(script.opened, 0);
    EnterArena();
    EXPECT_EQ(ChatsSent(), Sent{});
}

TEST_F(StaffActionsTest, BansSendWhatTheDialogHoldsAndCancelSendsNothing)
{
    EnterArena();
    Command(kIdServerLog);
    EXPECT_EQ(ChatsSent(), Sent{"2:0 *log"});
    ModalScript script;
    std::string prepared; // the name and which address fields were enabled, as the dialog opened
    // Once the ban dialog shows: sets the name and both check boxes, then clicks `button`.
    auto answer = [&](const char* name, bool flags, int button) {
        script.ThenWhileShown([&, name, flags, button](wxDialog& d) {
            auto& ban = dynamic_cast<BanDialog&>(d);
            prepared = ban.Name();
            for (int id : {BanDialog::kIdIP, BanDialog::kIdIPRange, BanDialog::kIdID})
                prepared += ban.FindWindow(id)->IsEnabled() ? "+" : "-";
            ban.SetName(name);
            ban.SetAllAccounts(flags);
            ban.SetDontKick(flags);
            if (button == wxID_CLOSE) {
                d.Close(); // the title bar's close box
            } else if (button == WXK_ESCAPE) {
                wxKeyEvent escape(wxEVT_CHAR_HOOK);
                escape.m_keyCode = WXK_ESCAPE;
                d.ProcessWindowEvent(escape);
            } else {
                ClickChild(d, button);
            }
        });
    };
    answer("Bob 2", true, BanDialog::kIdOK);
    Command(kIdGenericBan);
    EXPECT_EQ(prepared, "+++");
    EXPECT_EQ(ChatsSent(), Sent{"2:0 ?ban -a4 -e7 -i -m -n -! -k Bob 2"});
    EXPECT_EQ(NewLines(), Sent{}); // no echo
    // Each ban starts from a fresh dialog, and Cancel, Escape or the close box sends nothing.
    for (int button : {int(BanDialog::kIdCancel), int(WXK_ESCAPE), int(wxID_CLOSE)}) {
        answer("Someone", true, button);
        Command(kIdGenericBan);
        EXPECT_EQ(prepared, "+++");
    }
    EXPECT_EQ(ChatsSent(), Sent{});
    // The player menu's ban names its player, whatever the name field says, and is echoed.
    answer("Carol", false, BanDialog::kIdOK);
    frame_->Users().RunPlayerMenuCommand(kMenuBan, "Bob");
    EXPECT_EQ(prepared, "Bob---");
    EXPECT_EQ(ChatsSent(), Sent{"2:0 ?ban -a4 -e7 Bob"});
    EXPECT_EQ(NewLines(), Sent{"             Staffer> ?ban -a4 -e7 Bob"});
}

TEST_F(StaffActionsTest, ABanDialogAlreadyShowingIsNotOpenedTwice)
{
    EnterArena();
    ModalScript script;
    script.ThenWhileShown([&](wxDialog& d) {
        Command(kIdGenericBan);
        frame_->Users().RunPlayerMenuCommand(kMenuBan, "Bob");
        ClickChild(d, BanDialog::kIdOK);
    });
    Command(kIdGenericBan);
    EXPECT_EQ(script.opened, 1);
    EXPECT_EQ(ChatsSent(), Sent{"2:0 ?ban -a4 -e7 -i -m -n "});
}

TEST_F(StaffActionsTest, ABanConfirmedAfterTheArenaWasLeftIsDropped)
{
    EnterArena();
    ModalScript script;
    uint32_t sentBefore = 0;
    script.ThenWhileShown([&](wxDialog& d) {
        sim_.Peer()->Disconnect();
        EXPECT_TRUE(PumpUntil([&] { return !Zone().InArena(); }));
        sentBefore = frame_->Client().Link().PacketsSent();
        ClickChild(d, BanDialog::kIdOK);
    });
    Command(kIdGenericBan);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(frame_->Client().Link().PacketsSent(), sentBefore);
    EXPECT_EQ(frame_->Client().Link().Reliable().PendingCount(), 0u);
}

TEST_F(StaffActionsTest, F1F3F5AndF10OpenTheirDialogsFromTheKeyboard)
{
    EnterArena();
    FocusInput();
    ModalScript script;
    std::vector<std::string> titles;
    for (int key : {WXK_F1, WXK_F3, WXK_F5, WXK_F10}) {
        script.Then([&](wxDialog& d) {
            auto* box = dynamic_cast<wxMessageDialog*>(&d);
            titles.push_back(box ? box->GetMessage().ToStdString() : d.GetName().ToStdString());
            return int(wxID_CANCEL);
        });
        wxUIActionSimulator().Char(key);
        EXPECT_TRUE(PumpUntil([&] { return script.Done(); })) << key;
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Quillon v0.91 Alpha\nQuillon is a Driftwake Chat Client.",
                                                "fontdialog", "CFGDialog", "BanDialog"}));
    EXPECT_EQ(ChatsSent(), Sent{});
}

TEST_F(StaffActionsTest, PlayerCommandsGoPrivatelyAndKickAsksForAWholeNumberOfMinutes)
{
    EnterArena();
    const char* const kCancel = "<cancel>";
    struct Case {
        int menuItem;
        const char* player;
        const char* minutes; // the answer to the kick time question
        Sent sent;
        Sent shown;
    };
    const Case cases[] = {
        {kMenuKick, "Bob", "0", {"5:5 *kill 0"}, {"Kicking: Bob"}},
        {kMenuKick, "carol", "+15", {"5:9 *kill +15"}, {"Kicking: Carol"}}, // the name as the server spells it
        {kMenuKick, "Bob", "5m", {}, {"Invalid Value for Kick Time"}},
        {kMenuKick, "Bob", kCancel, {}, {}},
        {kMenuSilence, "Bob", nullptr, {"5:5 *shutup"}, {"Silencing: Bob"}},
        {kMenuInfo, "CAROL", nullptr, {"5:9 *info"}, {"Info On: Carol"}},
        {kMenuInfo, "Nobody", nullptr, {}, {"ERROR: Player Not in Arena: Nobody"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.player) + " " + (c.minutes ? c.minutes : "-"));
        ModalScript script;
        if (c.minutes != nullptr)
            script.Then([&](wxDialog& d) {
                auto& ask = dynamic_cast<wxTextEntryDialog&>(d);
                EXPECT_EQ(ask.GetTitle(), "Kick Time");
                EXPECT_EQ(ask.GetValue(), "0");
                EXPECT_EQ(ask.GetParent(), wxGetTopLevelParent(&frame_->Users()));
                if (c.minutes == kCancel)
                    return int(wxID_CANCEL);
                ask.SetValue(c.minutes);
                return int(wxID_OK);
            });
        frame_->Users().RunPlayerMenuCommand(c.menuItem, c.player);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(ChatsSent(), c.sent);
        EXPECT_EQ(NewLines(), c.shown);
    }
}

TEST_F(StaffActionsTest, APlayerWhoLeavesWhileTheKickTimeIsAskedIsLookedUpAfterwards)
{
    EnterArena();
    ModalScript script;
    script.ThenWhileShown([&](wxDialog& d) {
        server_->SendPlayerLeaving(kBob);
        EXPECT_TRUE(PumpUntil([&] { return Zone().players.FindByName("Bob") == 513; }));
        ClickChild(d, wxID_OK);
    });
    frame_->Users().RunPlayerMenuCommand(kMenuKick, "Bob");
    EXPECT_EQ(ChatsSent(), Sent{});
    EXPECT_EQ(NewLines(), Sent{"ERROR: Player Not in Arena: Bob"});
}

} // namespace
