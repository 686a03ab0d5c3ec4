#pragma once

#include "app/ZoneFieldIds.h"
#include "zone/ZoneList.h"

#include <wx/dialog.h>

#include <functional>

class wxCheckBox;
class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

// Add and Edit: one zone's fields, as the settings dialog has them. OK checks
// them (a name of its own, a port from 1 to 65535) and stores nothing while one
// is wrong; Enter is OK, Escape is Cancel.
class ZoneDialog : public wxDialog, public ZoneFieldIds {
public:
    // `index` is the zone's place in the list, -1 for a new one.
    ZoneDialog(wxWindow* parent, const SettingsSource& settings, int index, const ZoneEntry& entry);
    // What the fields hold.
    ZoneEntry Entry() const;

private:
    void OnOK(wxCommandEvent& event);

    const SettingsSource& settings_;
    int index_;
    wxTextCtrl* name_ = nullptr;
    wxTextCtrl* ip_ = nullptr;
    wxTextCtrl* port_ = nullptr;
    wxTextCtrl* userName_ = nullptr;
    wxTextCtrl* password_ = nullptr;
    wxTextCtrl* arena_ = nullptr;
    wxTextCtrl* chats_ = nullptr;
    wxTextCtrl* auto_ = nullptr;
    wxCheckBox* autoConnect_ = nullptr;
};

// File → Server List (Ctrl+K), and the settings dialog's Server List button: the
// saved zones with their address, port and player name. Add, Edit and Remove
// change the list at once; Connect (or a double click) closes the dialog with
// the zone chosen, for its tab to open and connect. The first zone is the settings dialog's and cannot be removed.
class ServerListDialog : public wxDialog {
public:
    enum Id : int {
        kIdList = 100,
        kIdAdd = 110,
        kIdEdit = 111,
        kIdRemove = 112,
        kIdConnect = 113,
    };
    // Told when a zone leaves the list, with the place it had.
    using Removed = std::function<void(int index)>;

    ServerListDialog(wxWindow* parent, SettingsSource& settings, Removed removed);
    // The zone to connect when ShowModal returned wxID_OK.
    int Chosen() const { return chosen_; }

    wxListCtrl& List() const { return *list_; }
    // The zone selected in the list, or -1.
    int Selected() const;
    void Select(int index);

private:
    void Fill();
    void ShowButtons();
    void OnAdd(wxCommandEvent& event);
    void OnEdit(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnConnect(wxCommandEvent& event);
    void OnActivated(wxListEvent& event);

    SettingsSource& settings_;
    Removed removed_;
    wxListCtrl* list_ = nullptr;
    int chosen_ = -1;
};
