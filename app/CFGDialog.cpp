#include "app/CFGDialog.h"

#include "app/FixedDialog.h"
#include "settings/SettingsStore.h"
#include "app/WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

void Label(wxWindow* parent, int id, const char* text, wxPoint pos, wxSize size, long style, const char* name)
{
    new wxStaticText(parent, id, text, pos, size, style, name);
}

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CFGDialog, wxDialog)
    EVT_BUTTON(CFGDialog::kIdOK, CFGDialog::OnOK)
    EVT_BUTTON(CFGDialog::kIdCancel, CFGDialog::OnCancel)
    EVT_BUTTON(CFGDialog::kIdServerList, CFGDialog::OnServerList)
wxEND_EVENT_TABLE();
// clang-format on

CFGDialog::CFGDialog(SettingsStore& settings)
    : wxDialog(nullptr, kIdDialog, "Quillon Configuration", wxDefaultPosition, wxSize(300, 350), kFixedDialogStyle,
               "CFGDialog"),
      settings_(settings)
{
    // Each field shows what is stored; the dialog shows a missing key as empty,
    // whatever default its reader elsewhere falls back to.
    auto field = [this](int id, wxPoint pos, wxSize size, long style, const char* name, const Settings::TextKey& key) {
        const wxString value = BytesToWx(settings_.ReadString(key.group, key.key, ""));
        return new wxTextCtrl(this, id, value, pos, size, style, wxDefaultValidator, name);
    };

    SetFont(DialogFont());
    // Created in tab order.
    auto* title = new wxStaticText(this, kIdTitle, "Quillon Configuration", wxPoint(50, 5), wxSize(200, 50),
                                   wxALIGN_CENTRE, "Label_Title");
    title->SetFont(DialogTitleFont(14));
    Label(this, kIdWarning, "Warning: ReConnect for these changes to take affect.", wxPoint(5, 270), wxSize(290, 15),
          wxALIGN_CENTRE, "Label_Title");
    Label(this, kIdUsernameLabel, "Username: ", wxPoint(20, 40), wxSize(60, 15), wxALIGN_RIGHT, "Label_Username");
    Label(this, kIdPasswordLabel, "Password: ", wxPoint(20, 60), wxSize(60, 15), wxALIGN_RIGHT, "Label_Password");
    Label(this, kIdServerNameLabel, "Server Name: ", wxPoint(10, 100), wxSize(70, 15), wxALIGN_RIGHT,
          "Label_Servername");
    Label(this, kIdServerIPLabel, "Server IP: ", wxPoint(20, 120), wxSize(60, 15), wxALIGN_RIGHT, "Label_Serverip");
    Label(this, kIdServerPortLabel, "Server Port: ", wxPoint(10, 140), wxSize(70, 15), wxALIGN_RIGHT,
          "Label_Serverport");
    Label(this, kIdArenaLabel, "Arena: ", wxPoint(20, 180), wxSize(35, 15), wxALIGN_RIGHT, "Label_Arena");
    Label(this, kIdChatsLabel, "Chats: ", wxPoint(20, 200), wxSize(35, 15), wxALIGN_RIGHT, "Label_Chats");
    Label(this, kIdAutoLabel, "Auto: ", wxPoint(20, 220), wxSize(35, 15), wxALIGN_RIGHT, "Label_Auto");

    username_ = field(kIdUsername, wxPoint(90, 40), wxSize(180, 20), 0, "Text_Username", Settings::UserName);
    password_ =
        field(kIdPassword, wxPoint(90, 60), wxSize(150, 20), wxTE_PASSWORD, "Text_Password", Settings::UserPassword);
    serverName_ = field(kIdServerName, wxPoint(90, 100), wxSize(180, 20), 0, "Text_Servername", Settings::ServerName);
    serverIP_ = field(kIdServerIP, wxPoint(90, 120), wxSize(90, 20), 0, "Text_Serverip", Settings::ServerIP);
    serverPort_ = field(kIdServerPort, wxPoint(90, 140), wxSize(50, 20), 0, "Text_Serverport", Settings::ServerPort);
    arena_ = field(kIdArena, wxPoint(65, 180), wxSize(100, 20), 0, "Text_Arena", Settings::ArenaName);
    chats_ = field(kIdChats, wxPoint(65, 200), wxSize(210, 20), 0, "Text_Chats", Settings::UserChats);
    auto_ = field(kIdAuto, wxPoint(65, 220), wxSize(210, 20), 0, "Text_Auto", Settings::UserAuto);

    new wxButton(this, kIdOK, "OK", wxPoint(20, 290), wxSize(50, 25), 0, wxDefaultValidator, "Btn_OK");
    new wxButton(this, kIdCancel, "Cancel", wxPoint(80, 290), wxSize(50, 25), 0, wxDefaultValidator, "Btn_Cancel");
    CancelOnEscape(*this, kIdCancel);
    new wxButton(this, kIdServerList, "Server List", wxPoint(200, 290), wxSize(80, 25), 0, wxDefaultValidator,
                 "Btn_ServerList");
    autoConnect_ = new wxCheckBox(this, kIdAutoConnect, "AutoConnect: ", wxPoint(190, 140), wxSize(80, 20), 0,
                                  wxDefaultValidator, "Chk_AutoConnect");
    autoConnect_->SetValue(settings_.ReadBool(Settings::ServerAutoConnect.group, Settings::ServerAutoConnect.key,
                                              Settings::ServerAutoConnect.def));
}

// Neither button carries a standard id, so a close request simply ends the modal run.
void CFGDialog::OnOK(wxCommandEvent&)
{
    auto write = [this](const Settings::TextKey& key, const wxTextCtrl* field) {
        settings_.WriteString(key.group, key.key, WxToBytes(field->GetValue()));
    };
    write(Settings::UserName, username_);
    write(Settings::UserPassword, password_);
    write(Settings::ServerName, serverName_);
    write(Settings::ServerIP, serverIP_);
    write(Settings::ServerPort, serverPort_);
    write(Settings::ArenaName, arena_);
    settings_.WriteBool(Settings::ServerAutoConnect.group, Settings::ServerAutoConnect.key, autoConnect_->GetValue());
    write(Settings::UserChats, chats_);
    write(Settings::UserAuto, auto_);
    Close();
}

void CFGDialog::OnCancel(wxCommandEvent&) { Close(); }

void CFGDialog::OnServerList(wxCommandEvent&)
{
    wxMessageDialog box(this, "This feature is not implimented yet.", "Information", wxOK | wxICON_INFORMATION);
    box.ShowModal();
}
