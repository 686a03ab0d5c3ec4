#include "DialogTable.h"
#include "GuiTest.h"
#include "ModalScript.h"

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/CFGDialog.h"
#include "app/ChatFrame.h"
#include "app/SettingsStore.h"
#include "transport/Connection.h"

#include <wx/msgdlg.h>

#include <map>
#include <memory>

namespace {

using Row = ControlRow;

const char* const kWarning = "Warning: ReConnect for these changes to take affect.";

const std::vector<ControlRow> kSettingsTable = {
    {105, Row::kLabel, "Quillon Configuration", {50, 5}, {200, 50}, wxALIGN_CENTRE, "Label_Title"},
    {110, Row::kLabel, kWarning, {5, 270}, {290, 15}, wxALIGN_CENTRE, "Label_Title"},
    {300, Row::kLabel, "Username: ", {20, 40}, {60, 15}, wxALIGN_RIGHT, "Label_Username"},
    {305, Row::kLabel, "Password: ", {20, 60}, {60, 15}, wxALIGN_RIGHT, "Label_Password"},
    {310, Row::kLabel, "Server Name: ", {10, 100}, {70, 15}, wxALIGN_RIGHT, "Label_Servername"},
    {315, Row::kLabel, "Server IP: ", {20, 120}, {60, 15}, wxALIGN_RIGHT, "Label_Serverip"},
    {320, Row::kLabel, "Server Port: ", {10, 140}, {70, 15}, wxALIGN_RIGHT, "Label_Serverport"},
    {325, Row::kLabel, "Arena: ", {20, 180}, {35, 15}, wxALIGN_RIGHT, "Label_Arena"},
    {330, Row::kLabel, "Chats: ", {20, 200}, {35, 15}, wxALIGN_RIGHT, "Label_Chats"},
    {335, Row::kLabel, "Auto: ", {20, 220}, {35, 15}, wxALIGN_RIGHT, "Label_Auto"},
    {200, Row::kField, "", {90, 40}, {180, 20}, 0, "Text_Username"},
    {205, Row::kField, "", {90, 60}, {150, 20}, wxTE_PASSWORD, "Text_Password"},
    {210, Row::kField, "", {90, 100}, {180, 20}, 0, "Text_Servername"},
    {215, Row::kField, "", {90, 120}, {90, 20}, 0, "Text_Serverip"},
    {220, Row::kField, "", {90, 140}, {50, 20}, 0, "Text_Serverport"},
    {225, Row::kField, "", {65, 180}, {100, 20}, 0, "Text_Arena"},
    {230, Row::kField, "", {65, 200}, {210, 20}, 0, "Text_Chats"},
    {235, Row::kField, "", {65, 220}, {210, 20}, 0, "Text_Auto"},
    {405, Row::kButton, "OK", {20, 290}, {50, 25}, 0, "Btn_OK"},
    {410, Row::kButton, "Cancel", {80, 290}, {50, 25}, 0, "Btn_Cancel"},
    {400, Row::kButton, "Server List", {200, 290}, {80, 25}, 0, "Btn_ServerList"},
    {500, Row::kCheckBox, "AutoConnect: ", {190, 140}, {80, 20}, 0, "Chk_AutoConnect"},
};

// The eight text settings by field id.
const std::map<int, Settings::TextKey> kFieldKeys = {
    {200, Settings::UserName},   {205, Settings::UserPassword}, {210, Settings::ServerName}, {215, Settings::ServerIP},
    {220, Settings::ServerPort}, {225, Settings::ArenaName},    {230, Settings::UserChats},  {235, Settings::UserAuto},
};

wxTextCtrl& Field(wxWindow& dialog, int id) { return *static_cast<wxTextCtrl*>(dialog.FindWindow(id)); }
wxCheckBox& AutoConnect(wxWindow& dialog) { return *static_cast<wxCheckBox*>(dialog.FindWindow(500)); }

// What the store holds for the nine values; "<none>" for a missing key.
std::map<std::string, std::string> Stored(const SettingsStore& store)
{
    std::map<std::string, std::string> values;
    for (const auto& [id, key] : kFieldKeys)
        values[std::string(key.group) + "/" + key.key] = store.ReadString(key.group, key.key, "<none>");
    const Settings::BoolKey& autoKey = Settings::ServerAutoConnect;
    values["Server/AutoConnect"] = store.ReadString(autoKey.group, autoKey.key, "<none>");
    return values;
}

void FillIn(wxDialog& dialog, const std::string& suffix, bool autoConnect)
{
    for (const auto& [id, key] : kFieldKeys)
        Field(dialog, id).SetValue(wxString(key.group) + " " + key.key + suffix);
    AutoConnect(dialog).SetValue(autoConnect);
}

void Command(wxWindow* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

class CFGDialogTest : public FrameTest {
protected:
    // F5 with `act` ending the shown dialog.
    void RunSettings(ModalScript::Act act)
    {
        ModalScript script;
        script.ThenWhileShown(std::move(act));
        Command(frame_, kIdSettings);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.unexpected, 0);
        EXPECT_EQ(frame_->SettingsDialogSlot().Get(), nullptr);
    }

    // Kept apart from the frame's handle, but on the same store; released to restart.
    std::unique_ptr<SettingsStore> storeHandle_ = std::make_unique<SettingsStore>();
    SettingsStore& store_ = *storeHandle_;
};

TEST_F(CFGDialogTest, CarriesEveryControlOfItsTableInOrder)
{
    CFGDialog dialog(store_);
    EXPECT_EQ(dialog.GetId(), 100);
    EXPECT_EQ(dialog.GetTitle(), "Quillon Configuration");
    EXPECT_EQ(dialog.GetName(), "CFGDialog");
    EXPECT_EQ(dialog.GetParent(), nullptr);
    EXPECT_EQ(dialog.GetSize(), wxSize(300, 350));
    EXPECT_TRUE(dialog.HasFlag(kDialogStyle));
    EXPECT_FALSE(dialog.HasFlag(wxRESIZE_BORDER));
    EXPECT_EQ(dialog.GetSizer(), nullptr);
    ExpectControls(dialog, kSettingsTable);
    EXPECT_FALSE(AutoConnect(dialog).GetValue());

    const wxFont title = dialog.FindWindow(105)->GetFont();
    EXPECT_EQ(title.GetPointSize(), 14);
    EXPECT_EQ(title.GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_EQ(title.GetStyle(), wxFONTSTYLE_NORMAL);
    EXPECT_FALSE(title.GetUnderlined());
}

TEST_F(CFGDialogTest, OpensOnTheStoredValues)
{
    for (const auto& [id, key] : kFieldKeys)
        store_.WriteString(key.group, key.key, std::string(key.key) + " \xE9\x80");
    store_.WriteBool("Server", "AutoConnect", true);
    CFGDialog dialog(store_);
    for (const auto& [id, key] : kFieldKeys)
        EXPECT_EQ(Field(dialog, id).GetValue(), wxString(key.key) + wxString(L" \u00E9\u20AC")) << id;
    EXPECT_TRUE(AutoConnect(dialog).GetValue());
}

TEST_F(CFGDialogTest, OkOnAnEmptyStoreWritesAllNineValues)
{
    OpenFrame();
    RunSettings([](wxDialog& d) {
        for (const auto& [id, key] : kFieldKeys)
            EXPECT_EQ(Field(d, id).GetValue(), "") << id;
        EXPECT_FALSE(AutoConnect(d).GetValue());
        ClickChild(d, CFGDialog::kIdOK);
    });
    std::map<std::string, std::string> expected;
    for (const auto& [id, key] : kFieldKeys)
        expected[std::string(key.group) + "/" + key.key] = "";
    expected["Server/AutoConnect"] = "0";
    EXPECT_EQ(Stored(store_), expected);
}

TEST_F(CFGDialogTest, OkWritesWhatWasTypedUntrimmedAndUnchecked)
{
    OpenFrame();
    RunSettings([](wxDialog& d) {
        FillIn(d, "  ", true);
        Field(d, 220).SetValue("not a port");
        Field(d, 205).SetValue(L"p\u00E4ss \u4E2D");
        PressChild(d, CFGDialog::kIdOK);
    });
    const auto stored = Stored(store_);
    EXPECT_EQ(stored.at("User/Name"), "User Name  ");
    EXPECT_EQ(stored.at("Server/Port"), "not a port");
    // Windows-1252 where it can, "?" where it cannot.
    EXPECT_EQ(stored.at("User/Password"), "p\xE4ss ?");
    EXPECT_EQ(stored.at("User/Auto"), "User Auto  ");
    EXPECT_TRUE(store_.ReadBool("Server", "AutoConnect", false));
}

TEST_F(CFGDialogTest, CancelAndTheTitleBarWriteNothing)
{
    store_.WriteString("User", "Name", "Alice");
    OpenFrame();
    const auto before = Stored(store_);
    for (bool titleBar : {false, true}) {
        RunSettings([titleBar](wxDialog& d) {
            EXPECT_EQ(Field(d, 200).GetValue(), "Alice");
            FillIn(d, " edited", true);
            if (titleBar)
                CloseFromTitleBar(d);
            else
                ClickChild(d, CFGDialog::kIdCancel);
        });
        EXPECT_EQ(Stored(store_), before);
    }
    // Opened again, it shows the store, not the edits.
    RunSettings([](wxDialog& d) {
        EXPECT_EQ(Field(d, 200).GetValue(), "Alice");
        EXPECT_EQ(Field(d, 210).GetValue(), "");
        EXPECT_FALSE(AutoConnect(d).GetValue());
        PressChild(d, CFGDialog::kIdCancel);
    });
}

TEST_F(CFGDialogTest, ServerListShowsItsMessageAndLeavesTheDialogOpen)
{
    OpenFrame();
    ModalScript script;
    wxString message, caption;
    long style = 0;
    wxString parent;
    bool stillOpen = false;
    script.ThenWhileShown([&](wxDialog& d) {
        Field(d, 200).SetValue("Edited");
        ClickChild(d, CFGDialog::kIdServerList);
        // The message box comes and goes inside this dialog's loop.
        PumpUntil([&] { return script.opened == 2; });
        stillOpen = d.IsModal() && d.IsShown();
        EXPECT_EQ(Field(d, 200).GetValue(), "Edited");
        PressChild(d, CFGDialog::kIdOK);
    });
    script.Then([&](wxDialog& box) {
        auto& messageBox = dynamic_cast<wxMessageDialog&>(box);
        message = messageBox.GetMessage();
        caption = messageBox.GetTitle();
        style = messageBox.GetMessageDialogStyle();
        parent = messageBox.GetParent() != nullptr ? messageBox.GetParent()->GetName() : "<none>";
        return wxID_OK;
    });
    Command(frame_, kIdSettings);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(message, "This feature is not implimented yet.");
    EXPECT_EQ(caption, "Information");
    EXPECT_EQ(style & (wxOK | wxICON_INFORMATION), long(wxOK | wxICON_INFORMATION));
    EXPECT_EQ(parent, "CFGDialog");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(store_.ReadString("User", "Name", ""), "Edited");
}

TEST_F(CFGDialogTest, LivesInTheFramesSlotOnlyWhileShowingAndOpensOnce)
{
    OpenFrame();
    ModalScript script;
    CFGDialog* inSlot = nullptr;
    script.ThenWhileShown([&](wxDialog& d) {
        inSlot = frame_->SettingsDialogSlot().Get();
        // F5 again while it shows: the slot is taken, nothing else opens.
        Command(frame_, kIdSettings);
        PressChild(d, CFGDialog::kIdCancel);
    });
    Command(frame_, kIdSettings);
    EXPECT_EQ(script.opened, 1);
    EXPECT_NE(inSlot, nullptr);
    EXPECT_EQ(frame_->SettingsDialogSlot().Get(), nullptr);
    EXPECT_EQ(wxWindow::FindWindowByName("CFGDialog"), nullptr);
}

TEST_F(CFGDialogTest, ValuesSurviveARestartOfTheProgram)
{
    OpenFrame();
    RunSettings([](wxDialog& d) {
        FillIn(d, " kept", true);
        ClickChild(d, CFGDialog::kIdOK);
    });
    // Nothing holds the store any more: the next frame reads it from its file.
    storeHandle_.reset();
    frame_->Destroy();
    PumpPending();
    ASSERT_TRUE(FrameClosed());
    ASSERT_TRUE(FileExists(home_.Path() + ".Quillon"));

    OpenFrame();
    RunSettings([](wxDialog& d) {
        for (const auto& [id, key] : kFieldKeys)
            EXPECT_EQ(Field(d, id).GetValue(), wxString(key.group) + " " + key.key + " kept") << id;
        EXPECT_TRUE(AutoConnect(d).GetValue());
        PressChild(d, CFGDialog::kIdCancel);
    });
}

// Two zones on loopback, polled in every event loop as if they ran beside the client.
struct TwoZones {
    TwoZones()
    {
        poller.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            first.Poll();
            second.Poll();
        });
        poller.Start(2);
    }
    ~TwoZones() { poller.Stop(); }

    SteadyClock clock;
    ZoneSim first{clock};
    ZoneSim second{clock};
    ZoneServer firstServer{first};
    ZoneServer secondServer{second};
    wxTimer poller;
};

TEST_F(CFGDialogTest, NewValuesTakeEffectAtTheNextConnect)
{
    Connection::ResetProcessStateForTests();
    TwoZones zones;
    store_.WriteString("Server", "IP", "127.0.0.1");
    store_.WriteString("Server", "Port", std::to_string(zones.first.Port()));
    store_.WriteString("User", "Name", "First");
    OpenFrame();
    Command(frame_, kIdConnect);
    ASSERT_TRUE(PumpUntil([&] { return frame_->Link().InArena(); }, 15000));

    RunSettings([&](wxDialog& d) {
        Field(d, 200).SetValue("Second");
        Field(d, 220).SetValue(std::to_string(zones.second.Port()));
        Field(d, 225).SetValue("elsewhere");
        PressChild(d, CFGDialog::kIdOK);
    });
    // The running connection goes on with what it read at Connect.
    Command(frame_, kIdServerLag);
    EXPECT_TRUE(PumpUntil([&] { return !zones.firstServer.Chats().empty(); }));
    EXPECT_TRUE(frame_->Link().InArena());
    EXPECT_EQ(zones.second.Handshakes(), 0u);

    Command(frame_, kIdDisconnect);
    Command(frame_, kIdConnect);
    ASSERT_TRUE(PumpUntil([&] { return !zones.secondServer.ArenaEntries().empty(); }, 15000));
    ASSERT_EQ(zones.secondServer.Logins().size(), 1u);
    EXPECT_EQ(zones.secondServer.Logins()[0].name, "Second");
    EXPECT_EQ(zones.secondServer.ArenaEntries()[0].name, "elsewhere");
    EXPECT_EQ(zones.firstServer.Logins().size(), 1u);

    frame_->Destroy();
    PumpPending();
    Connection::ResetProcessStateForTests();
}

} // namespace
