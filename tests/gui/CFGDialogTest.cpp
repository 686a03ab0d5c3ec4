#include "GuiTest.h"
#include "ModalScript.h"

#include "app/CFGDialog.h"
#include "app/ChatFrame.h"
#include "app/SettingsStore.h"
#include "transport/Connection.h"

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <map>

namespace {

// The eight text settings by their field.
const std::map<int, Settings::TextKey> kFields = {
    {CFGDialog::kIdUsername, Settings::UserName},     {CFGDialog::kIdPassword, Settings::UserPassword},
    {CFGDialog::kIdServerName, Settings::ServerName}, {CFGDialog::kIdServerIP, Settings::ServerIP},
    {CFGDialog::kIdServerPort, Settings::ServerPort}, {CFGDialog::kIdArena, Settings::ArenaName},
    {CFGDialog::kIdChats, Settings::UserChats},       {CFGDialog::kIdAuto, Settings::UserAuto},
};

wxTextCtrl& Field(wxWindow& dialog, int id) { return *static_cast<wxTextCtrl*>(dialog.FindWindow(id)); }
wxCheckBox& AutoConnect(wxWindow& dialog) { return *static_cast<wxCheckBox*>(dialog.FindWindow(500)); }

// The nine stored values; "<none>" for a missing key.
std::map<std::string, std::string> Stored()
{
    SettingsStore store;
    std::map<std::string, std::string> values;
    for (const auto& [id, key] : kFields)
        values[std::string(key.group) + "/" + key.key] = store.ReadString(key.group, key.key, "<none>");
    values["Server/AutoConnect"] = store.ReadString("Server", "AutoConnect", "<none>");
    return values;
}

class CFGDialogTest : public FrameTest {
protected:
    // F5, with `act` ending the dialog once it shows.
    void RunSettings(std::function<void(wxDialog&)> act)
    {
        ModalScript script;
        script.ThenWhileShown(std::move(act));
        Command(kIdSettings);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.unexpected, 0);
        EXPECT_EQ(frame_->SettingsDialogSlot().Get(), nullptr);
    }
};

TEST_F(CFGDialogTest, OkStoresWhatWasTypedAsWindows1252AndTheNextStartShowsIt)
{
    SettingsStore().WriteString("User", "Name", "J\xF6rg \x80");
    OpenFrame();
    RunSettings([](wxDialog& d) {
        EXPECT_EQ(Field(d, CFGDialog::kIdUsername).GetValue(), wxString(L"J\u00F6rg \u20AC"));
        EXPECT_EQ(Field(d, CFGDialog::kIdServerIP).GetValue(), "");
        for (const auto& [id, key] : kFields)
            Field(d, id).SetValue(wxString(key.group) + " " + key.key + "  ");
        Field(d, CFGDialog::kIdServerPort).SetValue("not a port");
        Field(d, CFGDialog::kIdPassword).SetValue(L"p\u00E4ss \u4E2D");
        AutoConnect(d).SetValue(true);
        ClickChild(d, CFGDialog::kIdOK);
    });
    // Untrimmed and unchecked; "?" where the code page has no character.
    const std::map<std::string, std::string> stored = {
        {"User/Name", "User Name  "},         {"User/Password", "p\xE4ss ?"},     {"Server/Name", "Server Name  "},
        {"Server/IP", "Server IP  "},         {"Server/Port", "not a port"},      {"Arena/Name", "Arena Name  "},
        {"User/Chats", "User Chats  "},       {"User/Auto", "User Auto  "},       {"Server/AutoConnect", "1"},
    };
    EXPECT_EQ(Stored(), stored);

    frame_->Destroy();
    PumpPending();
    ASSERT_TRUE(FrameClosed());
    ASSERT_TRUE(FileExists(home_.Path() + ".Quillon"));
    OpenFrame();
    RunSettings([](wxDialog& d) {
        EXPECT_EQ(Field(d, CFGDialog::kIdPassword).GetValue(), wxString(L"p\u00E4ss ?"));
        EXPECT_EQ(Field(d, CFGDialog::kIdArena).GetValue(), "Arena Name  ");
        EXPECT_TRUE(AutoConnect(d).GetValue());
        ClickChild(d, CFGDialog::kIdCancel);
    });
}

TEST_F(CFGDialogTest, CancelAndTheCloseBoxWriteNothing)
{
    SettingsStore().WriteString("User", "Name", "Alice");
    OpenFrame();
    const auto before = Stored();
    for (bool closeBox : {false, true}) {
        RunSettings([closeBox](wxDialog& d) {
            EXPECT_EQ(Field(d, CFGDialog::kIdUsername).GetValue(), "Alice");
            for (const auto& [id, key] : kFields)
                Field(d, id).SetValue("edited");
            AutoConnect(d).SetValue(true);
            if (closeBox)
                d.Close();
            else
                ClickChild(d, CFGDialog::kIdCancel);
        });
        EXPECT_EQ(Stored(), before);
    }
}

using SettingsWhileConnectedTest = ZoneFrameTest;

TEST_F(SettingsWhileConnectedTest, NewValuesTakeEffectAtTheNextConnect)
{
    ZoneSim second(clock_);
    ZoneServer secondServer(second);
    wxTimer poller;
    poller.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { second.Poll(); });
    poller.Start(2);
    EnterArena();
    ModalScript script;
    script.ThenWhileShown([&](wxDialog& d) {
        Field(d, CFGDialog::kIdUsername).SetValue("Second");
        Field(d, CFGDialog::kIdServerPort).SetValue(std::to_string(second.Port()));
        Field(d, CFGDialog::kIdArena).SetValue("elsewhere");
        ClickChild(d, CFGDialog::kIdOK);
    });
    Command(kIdSettings);
    // The running connection goes on with what it read at Connect.
    EXPECT_EQ(ChatsSent(), std::vector<std::string>{});
    EXPECT_TRUE(frame_->Link().InArena());
    EXPECT_EQ(second.Handshakes(), 0u);

    Command(kIdDisconnect);
    Command(kIdConnect);
    ASSERT_TRUE(PumpUntil([&] { return !secondServer.ArenaEntries().empty(); }, 15000));
    ASSERT_EQ(secondServer.Logins().size(), 1u);
    EXPECT_EQ(secondServer.Logins()[0].name, "Second");
    EXPECT_EQ(secondServer.ArenaEntries()[0].name, "elsewhere");
    frame_->Destroy();
    PumpPending();
}

} // namespace
