#pragma once

#include "app/ZoneFieldIds.h"

#include <wx/dialog.h>

#include <functional>

class SettingsStore;
class wxCheckBox;
class wxTextCtrl;

// The login, server, arena and zone-entry settings, read from the store when the
// dialog opens and written back, all of them, on OK. Those are not checked here:
// whatever the user typed fails or works where it is used, at the next Connect.
// The window's settings (notifications, timestamps, scrollback) take effect at
// once; a scrollback that is not a number from 0 to 10 000 000 is refused.
class CFGDialog : public wxDialog, public ZoneFieldIds {
public:
    enum Id : int {
        kIdDialog = 100,
        kIdTitle = 105,
        kIdWarning = 110,
        kIdUsernameLabel = 300,
        kIdPasswordLabel = 305,
        kIdServerNameLabel = 310,
        kIdServerIPLabel = 315,
        kIdServerPortLabel = 320,
        kIdArenaLabel = 325,
        kIdChatsLabel = 330,
        kIdAutoLabel = 335,
        kIdServerList = 400,
        kIdOK = 405,
        kIdCancel = 410,
        kIdNotify = 505,
        kIdTimestamps = 510,
        kIdScrollback = 515,
        kIdScrollbackLabel = 520,
    };

    // `serverList` shows the Server List over the dialog; without one the
    // button only says the list is not there.
    explicit CFGDialog(SettingsStore& settings, std::function<void(wxWindow& parent)> serverList = {});

private:
    void LoadZoneFields();
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnServerList(wxCommandEvent& event);

    SettingsStore& settings_;
    std::function<void(wxWindow& parent)> serverList_;
    wxTextCtrl* username_ = nullptr;
    wxTextCtrl* password_ = nullptr;
    wxTextCtrl* serverName_ = nullptr;
    wxTextCtrl* serverIP_ = nullptr;
    wxTextCtrl* serverPort_ = nullptr;
    wxTextCtrl* arena_ = nullptr;
    wxTextCtrl* chats_ = nullptr;
    wxTextCtrl* auto_ = nullptr;
    wxCheckBox* autoConnect_ = nullptr;
    wxCheckBox* notify_ = nullptr;
    wxCheckBox* timestamps_ = nullptr;
    wxTextCtrl* scrollback_ = nullptr;

    wxDECLARE_EVENT_TABLE();
};
