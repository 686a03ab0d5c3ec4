#include "app/CFGDialog.h"

#include "app/FixedDialog.h"
#include "settings/SettingsStore.h"
#include "app/WxText.h"
#include "zone/ZoneList.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// clang-format off
wxBEGIN_EVENT_TABLE(CFGDialog, wxDialog)
    EVT_BUTTON(CFGDialog::kIdOK, CFGDialog::OnOK)
    EVT_BUTTON(CFGDialog::kIdCancel, CFGDialog::OnCancel)
    EVT_BUTTON(CFGDialog::kIdServerList, CFGDialog::OnServerList)
wxEND_EVENT_TABLE();
// clang-format on

namespace {
// The fields of the first zone and the keys they show.
constexpr std::pair<int, Settings::TextKey> kZoneFields[] = {
    {CFGDialog::kIdUsername, Settings::UserName},     {CFGDialog::kIdPassword, Settings::UserPassword},
    {CFGDialog::kIdServerName, Settings::ServerName}, {CFGDialog::kIdServerIP, Settings::ServerIP},
    {CFGDialog::kIdServerPort, Settings::ServerPort}, {CFGDialog::kIdArena, Settings::ArenaName},
    {CFGDialog::kIdChats, Settings::UserChats},       {CFGDialog::kIdAuto, Settings::UserAuto},
};
} // namespace

CFGDialog::CFGDialog(SettingsStore& settings, std::function<void(wxWindow& parent)> showServerList)
    : wxDialog(nullptr, kIdDialog, "Quillon Configuration", wxDefaultPosition, wxSize(300, 350), kFixedDialogStyle,
               "CFGDialog"),
      settings_(settings), serverList_(std::move(showServerList))
{
    auto field = [this](int id, int width, long style, const char* name, const Settings::TextKey&) {
        return new wxTextCtrl(this, id, wxEmptyString, wxDefaultPosition, wxSize(width, -1), style,
                              wxDefaultValidator, name);
    };
    auto label = [this](int id, const char* text, const char* name) {
        return new wxStaticText(this, id, text, wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT, name);
    };

    SetFont(DialogFont());
    // Created in tab order; the sizers below place them.
    auto* title = new wxStaticText(this, kIdTitle, "Quillon Configuration", wxDefaultPosition, wxDefaultSize,
                                   wxALIGN_CENTRE, "Label_Title");
    title->SetFont(DialogTitleFont(14));
    auto* warning = new wxStaticText(this, kIdWarning, "Warning: ReConnect for these changes to take affect.",
                                     wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE, "Label_Title");
    wxStaticText* labels[] = {
        label(kIdUsernameLabel, "Username: ", "Label_Username"),
        label(kIdPasswordLabel, "Password: ", "Label_Password"),
        label(kIdServerNameLabel, "Server Name: ", "Label_Servername"),
        label(kIdServerIPLabel, "Server IP: ", "Label_Serverip"),
        label(kIdServerPortLabel, "Server Port: ", "Label_Serverport"),
        label(kIdArenaLabel, "Arena: ", "Label_Arena"),
        label(kIdChatsLabel, "Chats: ", "Label_Chats"),
        label(kIdAutoLabel, "Auto: ", "Label_Auto"),
    };

    username_ = field(kIdUsername, 180, 0, "Text_Username", Settings::UserName);
    password_ = field(kIdPassword, 150, wxTE_PASSWORD, "Text_Password", Settings::UserPassword);
    serverName_ = field(kIdServerName, 180, 0, "Text_Servername", Settings::ServerName);
    serverIP_ = field(kIdServerIP, 120, 0, "Text_Serverip", Settings::ServerIP);
    serverPort_ = field(kIdServerPort, 60, 0, "Text_Serverport", Settings::ServerPort);
    arena_ = field(kIdArena, 120, 0, "Text_Arena", Settings::ArenaName);
    chats_ = field(kIdChats, 210, 0, "Text_Chats", Settings::UserChats);
    auto_ = field(kIdAuto, 210, 0, "Text_Auto", Settings::UserAuto);
    wxTextCtrl* fields[] = {username_, password_, serverName_, serverIP_, serverPort_, arena_, chats_, auto_};

    auto* ok = new wxButton(this, kIdOK, "OK", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "Btn_OK");
    auto* cancel = new wxButton(this, kIdCancel, "Cancel", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                "Btn_Cancel");
    CancelOnEscape(*this, kIdCancel);
    // Enter in any field is OK.
    ok->SetDefault();
    auto* serverList = new wxButton(this, kIdServerList, "Server List", wxDefaultPosition, wxDefaultSize, 0,
                                    wxDefaultValidator, "Btn_ServerList");
    autoConnect_ = new wxCheckBox(this, kIdAutoConnect, "AutoConnect: ", wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "Chk_AutoConnect");
    notify_ = new wxCheckBox(this, kIdNotify, "Notify me of mentions", wxDefaultPosition, wxDefaultSize, 0,
                             wxDefaultValidator, "Chk_Notify");
    notify_->SetValue(Settings::Read(settings_, Settings::WindowNotify));
    timestamps_ = new wxCheckBox(this, kIdTimestamps, "Timestamps", wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "Chk_Timestamps");
    timestamps_->SetValue(Settings::Read(settings_, Settings::WindowTimestamps));
    auto* scrollbackLabel = label(kIdScrollbackLabel, "Scrollback lines: ", "Label_Scrollback");
    scrollback_ = new wxTextCtrl(this, kIdScrollback, wxString::Format("%d", Settings::Read(settings_, Settings::WindowScrollback)),
                                 wxDefaultPosition, wxSize(90, -1), 0, wxDefaultValidator, "Text_Scrollback");

    // Label and field in two columns, in groups: login, server, arena, window.
    auto* grid = new wxFlexGridSizer(2, wxSize(4, 3));
    auto row = [&](int index, wxWindow* extra = nullptr) {
        grid->Add(labels[index], 0, wxALIGN_RIGHT | wxALIGN_CENTRE_VERTICAL);
        if (extra == nullptr) {
            grid->Add(fields[index], 0, wxEXPAND);
            return;
        }
        auto* both = new wxBoxSizer(wxHORIZONTAL);
        both->Add(fields[index], 0, wxALIGN_CENTRE_VERTICAL);
        both->AddStretchSpacer();
        both->Add(extra, 0, wxALIGN_CENTRE_VERTICAL | wxLEFT, 12);
        grid->Add(both, 0, wxEXPAND);
    };
    auto gap = [&] { grid->AddSpacer(8), grid->AddSpacer(8); };
    row(0), row(1), gap();
    row(2), row(3), row(4, autoConnect_), gap();
    row(5), row(6), row(7), gap();
    grid->AddSpacer(0);
    grid->Add(notify_);
    grid->AddSpacer(0);
    grid->Add(timestamps_);
    grid->Add(scrollbackLabel, 0, wxALIGN_RIGHT | wxALIGN_CENTRE_VERTICAL);
    grid->Add(scrollback_);
    grid->AddGrowableCol(1);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(ok);
    buttons->Add(cancel, 0, wxLEFT, 8);
    buttons->AddStretchSpacer();
    buttons->Add(serverList);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(title, 0, wxALIGN_CENTRE | wxALL, 6);
    column->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    column->Add(warning, 0, wxALIGN_CENTRE | wxALL, 8);
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizerAndFit(column);
    LoadZoneFields();
}

// Each field shows what is stored; the dialog shows a missing key as empty,
// whatever default its reader elsewhere falls back to.
void CFGDialog::LoadZoneFields()
{
    for (const auto& [id, key] : kZoneFields)
        static_cast<wxTextCtrl*>(FindWindow(id))->ChangeValue(BytesToWx(settings_.ReadString(key.group, key.key, "")));
    autoConnect_->SetValue(Settings::Read(settings_, Settings::ServerAutoConnect));
}

// Neither button carries a standard id, so a close request simply ends the modal run.
void CFGDialog::OnOK(wxCommandEvent&)
{
    // The one field checked here: nothing is stored while it is wrong.
    long lines = -1;
    const wxString scrollback = scrollback_->GetValue().Strip(wxString::both);
    if (!scrollback.IsNumber() || !scrollback.ToLong(&lines) || lines < 0 || lines > Settings::kMaxScrollback) {
        wxMessageDialog box(this, "Scrollback lines must be a whole number from 0 (no limit) to 10000000.",
                            "Quillon Configuration", wxOK | wxICON_WARNING);
        box.ShowModal();
        scrollback_->SetFocus();
        scrollback_->SelectAll();
        return;
    }
    auto write = [this](const Settings::TextKey& key, const wxTextCtrl* field) {
        settings_.WriteString(key.group, key.key, WxToBytes(field->GetValue()));
    };
    write(Settings::UserName, username_);
    write(Settings::UserPassword, password_);
    write(Settings::ServerName, serverName_);
    write(Settings::ServerIP, serverIP_);
    write(Settings::ServerPort, serverPort_);
    write(Settings::ArenaName, arena_);
    Settings::Write(settings_, Settings::ServerAutoConnect, autoConnect_->GetValue());
    write(Settings::UserChats, chats_);
    write(Settings::UserAuto, auto_);
    Settings::Write(settings_, Settings::WindowNotify, notify_->GetValue());
    Settings::Write(settings_, Settings::WindowTimestamps, timestamps_->GetValue());
    Settings::Write(settings_, Settings::WindowScrollback, int32_t(lines));
    Close();
}

void CFGDialog::OnCancel(wxCommandEvent&) { Close(); }

void CFGDialog::OnServerList(wxCommandEvent&)
{
    if (serverList_) {
        // What the user typed here stays, unless the list changed this zone meanwhile.
        const ZoneEntry before = ZoneList::Read(settings_, 0);
        serverList_(*this);
        if (!(ZoneList::Read(settings_, 0) == before))
            LoadZoneFields();
        return;
    }
    wxMessageDialog box(this, "This feature is not implimented yet.", "Information", wxOK | wxICON_INFORMATION);
    box.ShowModal();
}
