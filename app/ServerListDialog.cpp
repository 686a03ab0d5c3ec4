#include "app/ServerListDialog.h"

#include "app/WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

// --- one zone ---------------------------------------------------------------------

ZoneDialog::ZoneDialog(wxWindow* parent, const SettingsSource& settings, int index, const ZoneEntry& entry)
    : wxDialog(parent, wxID_ANY, index < 0 ? "Add a Zone" : "Edit a Zone", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "ZoneDialog"),
      settings_(settings), index_(index)
{
    auto* grid = new wxFlexGridSizer(2, wxSize(6, 4));
    auto field = [&](int id, const char* label, const std::string& value, int width, long style = 0) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_RIGHT | wxALIGN_CENTRE_VERTICAL);
        auto* text = new wxTextCtrl(this, id, BytesToWx(value), wxDefaultPosition, wxSize(width, -1), style);
        grid->Add(text, 0, wxEXPAND);
        return text;
    };
    name_ = field(kIdServerName, "Server Name:", entry.name, 220);
    ip_ = field(kIdServerIP, "Server IP:", entry.ip, 160);
    port_ = field(kIdServerPort, "Server Port:", entry.port, 80);
    userName_ = field(kIdUsername, "Username:", entry.userName, 220);
    password_ = field(kIdPassword, "Password:", entry.password, 180, wxTE_PASSWORD);
    arena_ = field(kIdArena, "Arena:", entry.arena, 160);
    chats_ = field(kIdChats, "Chats:", entry.chats, 260);
    auto_ = field(kIdAuto, "Auto:", entry.autoCommands, 260);
    grid->AddSpacer(0);
    autoConnect_ = new wxCheckBox(this, kIdAutoConnect, "Connect when Quillon starts (AutoConnect)");
    autoConnect_->SetValue(entry.autoConnect);
    grid->Add(autoConnect_);
    grid->AddGrowableCol(1);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 1, wxEXPAND | wxALL, 12);
    // Standard ids: Enter is OK and Escape is Cancel.
    column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &ZoneDialog::OnOK, this, wxID_OK);
    name_->SetFocus();
}

ZoneEntry ZoneDialog::Entry() const
{
    ZoneEntry entry;
    entry.name = WxToBytes(name_->GetValue());
    entry.ip = WxToBytes(ip_->GetValue());
    entry.port = WxToBytes(port_->GetValue());
    entry.userName = WxToBytes(userName_->GetValue());
    entry.password = WxToBytes(password_->GetValue());
    entry.arena = WxToBytes(arena_->GetValue());
    entry.chats = WxToBytes(chats_->GetValue());
    entry.autoCommands = WxToBytes(auto_->GetValue());
    entry.autoConnect = autoConnect_->GetValue();
    return entry;
}

void ZoneDialog::OnOK(wxCommandEvent&)
{
    const std::string problem = ZoneList::Check(settings_, index_, Entry());
    if (problem.empty()) {
        EndModal(wxID_OK);
        return;
    }
    wxMessageDialog box(this, BytesToWx(problem), GetTitle(), wxOK | wxICON_WARNING);
    box.ShowModal();
    wxTextCtrl* wrong = problem.rfind("The port", 0) == 0 ? port_ : name_;
    wrong->SetFocus();
    wrong->SelectAll();
}

// --- the list -----------------------------------------------------------------------

ServerListDialog::ServerListDialog(wxWindow* parent, SettingsSource& settings, Removed removed)
    : wxDialog(parent, wxID_ANY, "Server List", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "ServerListDialog"),
      settings_(settings), removed_(std::move(removed))
{
    list_ = new wxListCtrl(this, kIdList, wxDefaultPosition, wxSize(460, 200), wxLC_REPORT | wxLC_SINGLE_SEL);
    list_->AppendColumn("Name", wxLIST_FORMAT_LEFT, 150);
    list_->AppendColumn("Address", wxLIST_FORMAT_LEFT, 120);
    list_->AppendColumn("Port", wxLIST_FORMAT_RIGHT, 60);
    list_->AppendColumn("Player", wxLIST_FORMAT_LEFT, 120);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    auto button = [&](int id, const char* label) {
        auto* b = new wxButton(this, id, label);
        buttons->Add(b, 0, wxEXPAND | wxBOTTOM, 4);
        return b;
    };
    button(kIdConnect, "&Connect");
    button(kIdAdd, "&Add...");
    button(kIdEdit, "&Edit...");
    button(kIdRemove, "&Remove");
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CANCEL, "Close"), 0, wxEXPAND);
    SetEscapeId(wxID_CANCEL);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(list_, 1, wxEXPAND | wxALL, 10);
    row->Add(buttons, 0, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(row);

    Bind(wxEVT_BUTTON, &ServerListDialog::OnAdd, this, kIdAdd);
    Bind(wxEVT_BUTTON, &ServerListDialog::OnEdit, this, kIdEdit);
    Bind(wxEVT_BUTTON, &ServerListDialog::OnRemove, this, kIdRemove);
    Bind(wxEVT_BUTTON, &ServerListDialog::OnConnect, this, kIdConnect);
    list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, &ServerListDialog::OnActivated, this);
    list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { ShowButtons(); });
    list_->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { ShowButtons(); });
    Fill();
    Select(0);
    list_->SetFocus();
}

void ServerListDialog::Fill()
{
    list_->DeleteAllItems();
    const int count = ZoneList::Count(settings_);
    for (int index = 0; index < count; ++index) {
        const ZoneEntry entry = ZoneList::Read(settings_, index);
        list_->InsertItem(index, BytesToWx(entry.name));
        list_->SetItem(index, 1, BytesToWx(entry.ip));
        list_->SetItem(index, 2, BytesToWx(entry.port));
        list_->SetItem(index, 3, BytesToWx(entry.userName));
    }
    ShowButtons();
}

int ServerListDialog::Selected() const
{
    return int(list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void ServerListDialog::Select(int index)
{
    if (index < 0 || index >= list_->GetItemCount())
        return;
    list_->SetItemState(index, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    list_->EnsureVisible(index);
    ShowButtons();
}

void ServerListDialog::ShowButtons()
{
    const int selected = Selected();
    FindWindow(kIdConnect)->Enable(selected >= 0);
    FindWindow(kIdEdit)->Enable(selected >= 0);
    FindWindow(kIdRemove)->Enable(selected > 0);
}

void ServerListDialog::OnAdd(wxCommandEvent&)
{
    ZoneEntry fresh;
    fresh.ip = "127.0.0.1";
    fresh.port = "5000";
    fresh.userName = ZoneList::Read(settings_, 0).userName;
    ZoneDialog dialog(this, settings_, -1, fresh);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const int index = ZoneList::Add(settings_, dialog.Entry());
    Fill();
    Select(index);
}

void ServerListDialog::OnEdit(wxCommandEvent&)
{
    const int index = Selected();
    if (index < 0)
        return;
    ZoneDialog dialog(this, settings_, index, ZoneList::Read(settings_, index));
    if (dialog.ShowModal() != wxID_OK)
        return;
    ZoneList::Write(settings_, index, dialog.Entry());
    Fill();
    Select(index);
}

void ServerListDialog::OnRemove(wxCommandEvent&)
{
    const int index = Selected();
    if (index < 1)
        return;
    const wxString name = BytesToWx(ZoneList::Read(settings_, index).name);
    wxMessageDialog ask(this, "Remove the zone \"" + name + "\" from the list? Its tab closes if it is open.",
                        "Server List", wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (ask.ShowModal() != wxID_YES)
        return;
    ZoneList::Remove(settings_, index);
    if (removed_)
        removed_(index);
    Fill();
    Select(std::min(index, list_->GetItemCount() - 1));
}

void ServerListDialog::OnConnect(wxCommandEvent&)
{
    const int index = Selected();
    if (index < 0)
        return;
    chosen_ = index;
    EndModal(wxID_OK);
}

void ServerListDialog::OnActivated(wxListEvent& event)
{
    Select(int(event.GetIndex()));
    wxCommandEvent connect(wxEVT_BUTTON, kIdConnect);
    OnConnect(connect);
}
