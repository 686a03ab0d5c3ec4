#include "GuiTest.h"
#include "ModalScript.h"

#include "app/CFGDialog.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>

namespace {

const std::pair<int, Settings::TextKey> kFields[] = {
    {CFGDialog::kIdUsername, Settings::UserName},     {CFGDialog::kIdPassword, Settings::UserPassword},
    {CFGDialog::kIdServerName, Settings::ServerName}, {CFGDialog::kIdServerIP, Settings::ServerIP},
    {CFGDialog::kIdServerPort, Settings::ServerPort}, {CFGDialog::kIdArena, Settings::ArenaName},
    {CFGDialog::kIdChats, Settings::UserChats},       {CFGDialog::kIdAuto, Settings::UserAuto},
};

wxTextCtrl& Field(wxWindow& dialog, int id) { return TextChild(dialog, id); }
wxCheckBox& AutoConnect(wxWindow& dialog) { return CheckChild(dialog, 500); }

template <class Fixture> class SettingsTest : public Fixture {
protected:
    // F5, with `act` ending the dialog once it shows.
    void Settings(std::function<void(wxDialog&)> act)
    {
        ModalScript script;
        script.ThenWhileShown(std::move(act));
        this->Command(kIdSettings);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.unexpected, 0);
    }
};
using CFGDialogTest = SettingsTest<FrameTest>;

TEST_F(CFGDialogTest, OkStoresEveryFieldAsTypedInWindows1252AndTheNextStartShowsIt)
{
    SettingsStore().WriteString("User", "Name", "J\xF6rg \x80");
    OpenFrame();
    Settings([](wxDialog& d) {
        EXPECT_EQ(Field(d, CFGDialog::kIdUsername).GetValue(), wxString(L"J\u00F6rg \u20AC"));
        for (const auto& [id, key] : kFields)
            Field(d, id).SetValue(wxString(key.group) + key.key + L" \u00E4\u4E2D  ");
        AutoConnect(d).SetValue(true);
        ClickChild(d, CFGDialog::kIdOK);
    });
    frame_->Destroy();
    PumpPending();
    ASSERT_TRUE(FrameClosed());
    {
        // Untrimmed and unchecked; "?" where the code page has no character.
        SettingsStore store;
        for (const auto& [id, key] : kFields)
            EXPECT_EQ(store.ReadString(key.group, key.key, ""), std::string(key.group) + key.key + " \xE4?  ");
        EXPECT_TRUE(store.ReadBool("Server", "AutoConnect", false));
    }
    OpenFrame();
    Settings([](wxDialog& d) {
        for (const auto& [id, key] : kFields)
            EXPECT_EQ(Field(d, id).GetValue(), wxString(key.group) + key.key + L" \u00E4?  ");
        EXPECT_TRUE(AutoConnect(d).GetValue());
        ClickChild(d, CFGDialog::kIdCancel);
    });
}

TEST_F(CFGDialogTest, CancelEscapeAndTheCloseBoxWriteNothingAndEnterIsOK)
{
    SettingsStore().WriteString("User", "Name", "Alice");
    OpenFrame();
    const std::string before = ReadWholeFile(home_.Path() + ".Quillon");
    for (int way = 0; way < 3; ++way) {
        Settings([way](wxDialog& d) {
            EXPECT_EQ(Field(d, CFGDialog::kIdUsername).GetValue(), "Alice");
            EXPECT_FALSE(AutoConnect(d).GetValue());
            for (const auto& [id, key] : kFields)
                Field(d, id).SetValue("edited");
            AutoConnect(d).SetValue(true);
            if (way == 0)
                d.Close();
            else if (way == 1)
                ClickChild(d, CFGDialog::kIdCancel);
            else
                wxUIActionSimulator().Char(WXK_ESCAPE);
        });
        EXPECT_EQ(ReadWholeFile(home_.Path() + ".Quillon"), before);
    }
    // Enter in a field, as a user confirms a dialog.
    Settings([](wxDialog& d) {
        Field(d, CFGDialog::kIdUsername).SetFocus();
        Field(d, CFGDialog::kIdUsername).SetValue("Bea");
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &Field(d, CFGDialog::kIdUsername); }));
        wxUIActionSimulator().Char(WXK_RETURN);
    });
    EXPECT_EQ(SettingsStore().ReadString("User", "Name", ""), "Bea");
}

using SettingsWhileConnectedTest = SettingsTest<ZoneFrameTest>;

TEST_F(SettingsWhileConnectedTest, NewValuesTakeEffectAtTheNextConnect)
{
    ZoneSim second(clock_);
    ZoneServer secondServer(second);
    wxTimer poller;
    poller.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { second.Poll(); });
    poller.Start(2);
    EnterArena();
    Settings([&](wxDialog& d) {
        Field(d, CFGDialog::kIdUsername).SetValue("Second");
        Field(d, CFGDialog::kIdServerPort).SetValue(std::to_string(second.Port()));
        ClickChild(d, CFGDialog::kIdOK);
    });
    // The running connection goes on with what it read at Connect.
    EXPECT_EQ(ChatsSent(), std::vector<std::string>{});
    EXPECT_EQ(second.Handshakes(), 0u);

    Command(kIdDisconnect);
    Command(kIdConnect);
    ASSERT_TRUE(PumpUntil([&] { return !secondServer.Logins().empty(); }, 15000));
    EXPECT_EQ(secondServer.Logins()[0].name, "Second");
    frame_->Destroy();
    PumpPending();
}

} // namespace
