#pragma once

#include "app/DialogSlot.h"
#include "app/StaffActions.h"
#include "app/WindowIds.h"
#include "console/Mentions.h"
#include "settings/SettingsStore.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>

class BanDialog;
class CFGDialog;
class ChatClient;
class ChatOutput;
class ChatView;
class FindBar;
class InputLine;
class ServerListDialog;
class UserList;
class ZoneTab;
class wxBookCtrlEvent;
class wxNotebook;
class wxNotificationMessage;


// The main window. It builds the menus, a tab for each zone open (its output
// area, player list and client), the find bar and the input line below them,
// runs the frame timer that steps every zone's client, and routes every command
// to the part of the program that carries it out: the zone's commands to the
// zone of the tab in front.
class ChatFrame : public wxFrame {
public:
    static constexpr int kTickMilliseconds = 10;

    ChatFrame(const wxString& title, const wxPoint& pos, const wxSize& size, long style);
    ~ChatFrame() override;

    // The tab in front, and what it holds.
    ZoneTab& ActiveTab() const;
    ChatView& OutputArea() const;
    UserList& Users() const;
    ChatOutput& Output() const;
    ChatClient& Client() const;
    InputLine& Input() const { return *inputLine_; }
    wxNotebook& Tabs() const { return *tabs_; }
    int TabCount() const;
    ZoneTab& Tab(int position) const;
    // The tab of a saved zone, opened if it is not open yet and brought to the
    // front unless told otherwise; null when its folder is another open tab's.
    ZoneTab* OpenZone(int zoneIndex, bool toFront = true);
    // The Server List's Connect: the zone's tab in front, connected.
    void ConnectZone(int zoneIndex);
    // The zone at `zoneIndex` left the Server List: its tab goes, later ones follow it up.
    void ZoneRemoved(int zoneIndex);
    SettingsStore& SettingsHandle() { return settings_; }
    const wxTimer& FrameTimer() const { return timer_; }
    FindBar& Finder() const { return *findBar_; }
    // Desktop notifications for mentions go through here (tests record them).
    using Notifier = std::function<void(const wxString& title, const wxString& text)>;
    void SetNotifier(Notifier notifier) { notifier_ = std::move(notifier); }
    DialogSlot<CFGDialog>& SettingsDialogSlot() { return settingsDialog_; }
    DialogSlot<BanDialog>& BanDialogSlot() { return banDialog_; }
    DialogSlot<ServerListDialog>& ServerListSlot() { return serverList_; }

private:
    void BuildMenus();
    void BuildChildWindows();
    void LayOut();
    void ApplyColoursAndFont(ZoneTab& tab);
    ZoneTab* AddTab(int zoneIndex);
    void CloseTab(int position);
    void ConnectAutomatically();
    void ShowActiveState();
    void UpdateTabLabels();
    void SetConnectedMenuState(bool connected);
    void RestoreGeometry();
    void SaveGeometry();
    void OnMention(const std::string& zone, const std::string& sender, const std::string& text);
    void SubmitInputLine();
    void RunPlayerCommand(int id, const std::string& name);
    StaffContext Staff();

    void OnConnect(wxCommandEvent& event);
    void OnDisconnect(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnFont(wxCommandEvent& event);
    void OnSettings(wxCommandEvent& event);
    void OnDisplayIgnoreList(wxCommandEvent& event);
    void OnGenericBan(wxCommandEvent& event);
    void OnServerLog(wxCommandEvent& event);
    void OnServerLag(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnFind(wxCommandEvent& event);
    void OnServerList(wxCommandEvent& event);
    void ShowServerList(wxWindow* parent);
    void OnTabKey(wxKeyEvent& event);
    void OnTabChanged(wxBookCtrlEvent& event);
    void OnActivate(wxActivateEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnTick(wxTimerEvent& event);

    // Destroyed in reverse order: the output before the settings, both before
    // the child windows they draw into.
    SettingsStore settings_;
    // The settings dialog works on settings_ and goes before it.
    DialogSlot<CFGDialog> settingsDialog_;
    DialogSlot<BanDialog> banDialog_;
    DialogSlot<ServerListDialog> serverList_;
    std::string programFolder_;
    wxNotebook* tabs_ = nullptr;
    // The tab in front, known from the last change of tabs (asking the notebook costs a toolkit call).
    mutable ZoneTab* front_ = nullptr;
    InputLine* inputLine_ = nullptr;
    FindBar* findBar_ = nullptr;
    wxTimer timer_;
    bool active_ = true;
    wxRect openedRect_;
    MentionAlerts alerts_;
    Notifier notifier_;
    std::unique_ptr<wxNotificationMessage> notification_;
    bool menuConnected_ = false;

    wxDECLARE_EVENT_TABLE();
};
