#pragma once

#include "console/StaffCommands.h"

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxChoice;
class wxTextCtrl;

// The options of a ban: the level, the days, the addresses and the name to ban,
// and two flags. Texts go in and out as Windows-1252 bytes, as the server reads them.
class BanDialog : public wxDialog {
public:
    enum Id : int {
        kIdDialog = 100,
        kIdTitle = 105,
        kIdDays = 200,
        kIdIP = 205,
        kIdIPRange = 210,
        kIdID = 215,
        kIdName = 220,
        kIdLevel = 300,
        kIdAllAccounts = 400,
        kIdDontKick = 405,
        kIdDaysLabel = 500,
        kIdIPLabel = 505,
        kIdIPRangeLabel = 510,
        kIdIDLabel = 515,
        kIdNameLabel = 520,
        kIdLevelLabel = 525,
        kIdOK = 600,
        kIdCancel = 605,
    };

    BanDialog();

    // Before showing.
    // Selects the level whose text is `level`; a level the list lacks changes nothing.
    void SelectLevel(int level);
    void SetDays(int days);
    void SetIP(const std::string& text);
    void SetIPRange(const std::string& text);
    void SetID(const std::string& text);
    void SetName(const std::string& text);
    void SetAllAccounts(bool on);
    void SetDontKick(bool on);
    // The IP, IP range and ID fields go together.
    void EnableAddressFields(bool enable);

    // After showing.
    std::string Level() const;
    std::string Days() const;
    std::string IP() const;
    std::string IPRange() const;
    std::string ID() const;
    std::string Name() const;
    bool AllAccounts() const;
    bool DontKick() const;
    BanOptions Options() const;
    // Set by OK; Cancel and the title bar leave it false.
    bool Confirmed() const { return confirmed_; }

private:
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    bool confirmed_ = false;
    wxTextCtrl* ip_ = nullptr;
    wxTextCtrl* id_ = nullptr;
    wxChoice* level_ = nullptr;
    wxTextCtrl* days_ = nullptr;
    wxTextCtrl* ipRange_ = nullptr;
    wxTextCtrl* name_ = nullptr;
    wxCheckBox* allAccounts_ = nullptr;
    wxCheckBox* dontKick_ = nullptr;

    wxDECLARE_EVENT_TABLE();
};
