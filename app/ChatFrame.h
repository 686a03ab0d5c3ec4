#pragma once

#include "app/DialogSlot.h"
#include "app/StaffActions.h"
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
class UserList;
class wxNotificationMessage;

// Window, menu and timer ids of the main window.
enum FrameId : int {
    kIdExit = 1,
    kIdFont = 50,
    kIdSettings = 55,
    kIdDisplayIgnoreList = 57,
    kIdConnect = 60,
    kIdDisconnect = 65,
    kIdGenericBan = 70,
    kIdServerLog = 75,
    kIdServerLag = 80,
    kIdOutput = 100,
    kIdUserList = 200,
    kIdInputLine = 300,
    kIdFrameTimer = 800,
    kIdFind = 810,
    kIdAbout = 5013,
};

// The main window. It builds the menus, the three child windows and the
// client, runs the frame timer that steps the client, and routes every command
// to the part of the program that carries it out.
class ChatFrame : public wxFrame {
public:
    static constexpr int kTickMilliseconds = 10;

    ChatFrame(const wxString& title, const wxPoint& pos, const wxSize& size, long style);
    ~ChatFrame() override;

    ChatView& OutputArea() const { return *output_; }
    UserList& Users() const { return *userList_; }
    InputLine& Input() const { return *inputLine_; }
    ChatOutput& Output() const;
    ChatClient& Client() const { return *client_; }
    SettingsStore& SettingsHandle() { return settings_; }
    const wxTimer& FrameTimer() const { return timer_; }
    FindBar& Finder() const { return *findBar_; }
    // Desktop notifications for mentions go through here (tests record them).
    using Notifier = std::function<void(const wxString& title, const wxString& text)>;
    void SetNotifier(Notifier notifier) { notifier_ = std::move(notifier); }
    DialogSlot<CFGDialog>& SettingsDialogSlot() { return settingsDialog_; }
    DialogSlot<BanDialog>& BanDialogSlot() { return banDialog_; }

private:
    void BuildMenus();
    void BuildChildWindows();
    void LayOut();
    void ApplyColoursAndFont();
    void SetConnectedMenuState(bool connected);
    void RestoreGeometry();
    void SaveGeometry();
    void OnMention(const std::string& sender, const std::string& text);
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
    void OnActivate(wxActivateEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnTick(wxTimerEvent& event);

    // Destroyed in reverse order: the output before the settings, both before
    // the child windows they draw into.
    SettingsStore settings_;
    // The settings dialog works on settings_ and goes before it.
    DialogSlot<CFGDialog> settingsDialog_;
    DialogSlot<BanDialog> banDialog_;
    ChatView* output_ = nullptr;
    UserList* userList_ = nullptr;
    InputLine* inputLine_ = nullptr;
    FindBar* findBar_ = nullptr;
    wxTimer timer_;
    bool active_ = true;
    wxRect openedRect_;
    MentionAlerts alerts_;
    Notifier notifier_;
    std::unique_ptr<wxNotificationMessage> notification_;
    bool menuConnected_ = false;
    // Goes first: its quiet disconnect still reaches the output and the user list.
    std::unique_ptr<ChatClient> client_;

    wxDECLARE_EVENT_TABLE();
};
