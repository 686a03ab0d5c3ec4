#include "app/BanDialog.h"

#include "app/FixedDialog.h"
#include "app/WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

wxTextCtrl* Field(wxWindow* parent, int id, const char* text, wxPoint pos, wxSize size, const char* name)
{
    return new wxTextCtrl(parent, id, text, pos, size, 0, wxDefaultValidator, name);
}

void Label(wxWindow* parent, int id, const char* text, wxPoint pos, wxSize size, const char* name)
{
    new wxStaticText(parent, id, text, pos, size, wxALIGN_CENTRE, name);
}

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(BanDialog, wxDialog)
    EVT_BUTTON(BanDialog::kIdOK, BanDialog::OnOK)
    EVT_BUTTON(BanDialog::kIdCancel, BanDialog::OnCancel)
wxEND_EVENT_TABLE();
// clang-format on

BanDialog::BanDialog()
    : wxDialog(nullptr, kIdDialog, "Ban Options", wxDefaultPosition, wxSize(390, 140), kFixedDialogStyle, "BanDialog")
{
    SetFont(DialogFont());
    // Created in tab order; the labels come after the fields they name.
    Label(this, kIdTitle, "Ban Options", wxPoint(150, 5), wxSize(100, 15), "Label3_Title");
    ip_ = Field(this, kIdIP, "", wxPoint(10, 35), wxSize(90, 20), "Text3_BanIP");
    id_ = Field(this, kIdID, "", wxPoint(110, 35), wxSize(90, 20), "Text3_BanID");
    const wxString levels[] = {"4", "3", "2", "1", "0"};
    level_ = new wxChoice(this, kIdLevel, wxPoint(210, 35), wxSize(30, 20), WXSIZEOF(levels), levels, 0,
                          wxDefaultValidator, "Choice3_BanLevel");
    level_->SetSelection(0);
    days_ = Field(this, kIdDays, "7", wxPoint(250, 35), wxSize(50, 20), "Text3_BanDays");
    ipRange_ = Field(this, kIdIPRange, "", wxPoint(10, 70), wxSize(90, 20), "Text3_BanIPRange");
    name_ = Field(this, kIdName, "", wxPoint(110, 70), wxSize(190, 20), "Text3_BanName");
    allAccounts_ = new wxCheckBox(this, kIdAllAccounts, "- All Accounts", wxPoint(11, 90), wxSize(90, 20), 0,
                                  wxDefaultValidator, "Chk3_AllAccounts");
    dontKick_ = new wxCheckBox(this, kIdDontKick, "- Dont Kick", wxPoint(111, 90), wxSize(80, 20), 0,
                               wxDefaultValidator, "Chk3_DontKick");
    Label(this, kIdIPLabel, "Ban IP", wxPoint(10, 20), wxSize(90, 15), "Label3_BanIP");
    Label(this, kIdIDLabel, "Ban ID", wxPoint(110, 20), wxSize(90, 15), "Label3_BanID");
    Label(this, kIdLevelLabel, "Level", wxPoint(210, 20), wxSize(30, 15), "Label3_BanLevel");
    Label(this, kIdDaysLabel, "Days", wxPoint(250, 20), wxSize(50, 15), "Label3_BanDays");
    Label(this, kIdIPRangeLabel, "IP Range", wxPoint(10, 55), wxSize(90, 15), "Label3_BanIPRange");
    Label(this, kIdNameLabel, "Name", wxPoint(110, 55), wxSize(190, 15), "Label3_BanName");
    new wxButton(this, kIdOK, "OK", wxPoint(320, 35), wxSize(50, 25), 0, wxDefaultValidator, "Btn3_OK");
    new wxButton(this, kIdCancel, "Cancel", wxPoint(320, 70), wxSize(50, 25), 0, wxDefaultValidator, "Btn3_Cancel");
    CancelOnEscape(*this, kIdCancel);
}

void BanDialog::SelectLevel(int level)
{
    const int item = level_->FindString(wxString::Format("%d", level), true);
    if (item != wxNOT_FOUND)
        level_->SetSelection(item);
}

void BanDialog::SetDays(int days) { days_->ChangeValue(wxString::Format("%d", days)); }
void BanDialog::SetIP(const std::string& text) { ip_->ChangeValue(BytesToWx(text)); }
void BanDialog::SetIPRange(const std::string& text) { ipRange_->ChangeValue(BytesToWx(text)); }
void BanDialog::SetID(const std::string& text) { id_->ChangeValue(BytesToWx(text)); }
void BanDialog::SetName(const std::string& text) { name_->ChangeValue(BytesToWx(text)); }
void BanDialog::SetAllAccounts(bool on) { allAccounts_->SetValue(on); }
void BanDialog::SetDontKick(bool on) { dontKick_->SetValue(on); }

void BanDialog::EnableAddressFields(bool enable)
{
    ip_->Enable(enable);
    ipRange_->Enable(enable);
    id_->Enable(enable);
}

std::string BanDialog::Level() const { return WxToBytes(level_->GetStringSelection()); }
std::string BanDialog::Days() const { return WxToBytes(days_->GetValue()); }
std::string BanDialog::IP() const { return WxToBytes(ip_->GetValue()); }
std::string BanDialog::IPRange() const { return WxToBytes(ipRange_->GetValue()); }
std::string BanDialog::ID() const { return WxToBytes(id_->GetValue()); }
std::string BanDialog::Name() const { return WxToBytes(name_->GetValue()); }
bool BanDialog::AllAccounts() const { return allAccounts_->GetValue(); }
bool BanDialog::DontKick() const { return dontKick_->GetValue(); }

BanOptions BanDialog::Options() const
{
    BanOptions options;
    options.level = Level();
    options.days = Days();
    options.ip = IP();
    options.ipRange = IPRange();
    options.id = ID();
    options.name = Name();
    options.allAccounts = AllAccounts();
    options.dontKick = DontKick();
    return options;
}

// Neither button carries a standard id, so a close request simply ends the modal run.
void BanDialog::OnOK(wxCommandEvent&)
{
    confirmed_ = true;
    Close();
}

void BanDialog::OnCancel(wxCommandEvent&)
{
    confirmed_ = false;
    Close();
}
