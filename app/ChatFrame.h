#pragma once

#include "app/SettingsStore.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <utility>

class BanDialog;
class CFGDialog;
class ChatOutput;
class Connection;
class InputLine;
class UserList;
class WxOutputView;
class wxTextCtrl;

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
    kIdAbout = 5013,
};

// Where the frame keeps a dialog while its command shows it. Open creates the
// dialog into the empty slot and hands back a lease that destroys it and empties
// the slot when the command is done. While one is showing (its command waits in
// the nested event loop) the slot is taken and Open gives an empty lease.
template <class Dialog> class DialogSlot {
public:
    class Lease {
    public:
        explicit Lease(DialogSlot* slot) : slot_(slot) {}
        Lease(Lease&& other) noexcept : slot_(std::exchange(other.slot_, nullptr)) {}
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        ~Lease()
        {
            if (slot_ != nullptr)
                slot_->dialog_.reset();
        }
        explicit operator bool() const { return slot_ != nullptr; }
        Dialog* operator->() const { return slot_->dialog_.get(); }
        Dialog& operator*() const { return *slot_->dialog_; }

    private:
        DialogSlot* slot_;
    };

    template <class... Args> Lease Open(Args&&... args)
    {
        if (dialog_)
            return Lease(nullptr);
        dialog_ = std::make_unique<Dialog>(std::forward<Args>(args)...);
        return Lease(this);
    }
    Dialog* Get() const { return dialog_.get(); }

private:
    std::unique_ptr<Dialog> dialog_;
};

// The main window. It builds the menus and the three child windows, runs the
// frame timer that drives the client, and routes every command to the part of
// the program that carries it out.
class ChatFrame : public wxFrame {
public:
    static constexpr int kTickMilliseconds = 10;

    ChatFrame(const wxString& title, const wxPoint& pos, const wxSize& size, long style);
    ~ChatFrame() override;

    // Routes the input line's text; Enter in the input line calls it.
    void SubmitInputLine();

    wxTextCtrl& OutputControl() const { return *outputControl_; }
    UserList& Users() const { return *userList_; }
    InputLine& Input() const { return *inputLine_; }
    ChatOutput& Output() const { return *chatOutput_; }
    Connection& Link() const { return *connection_; }
    SettingsStore& SettingsHandle() { return settings_; }
    const wxTimer& FrameTimer() const { return timer_; }
    DialogSlot<CFGDialog>& SettingsDialogSlot() { return settingsDialog_; }
    DialogSlot<BanDialog>& BanDialogSlot() { return banDialog_; }

private:
    void BuildMenus();
    void BuildChildWindows();
    void LayOut();
    void ApplyColoursAndFont();
    void SetConnectedMenuState(bool connected);

    // The connection's part of each command.
    bool OpenSocket();
    void BeginConnection();
    void Disconnect();
    void ReceiveOneIfReadable();
    void TickConnection();

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
    void OnTick(wxTimerEvent& event);

    // Destroyed in reverse order: the output before the settings, both before
    // the child windows they draw into.
    SettingsStore settings_;
    // The settings dialog works on settings_ and goes before it.
    DialogSlot<CFGDialog> settingsDialog_;
    DialogSlot<BanDialog> banDialog_;
    wxTextCtrl* outputControl_ = nullptr;
    UserList* userList_ = nullptr;
    InputLine* inputLine_ = nullptr;
    wxTimer timer_;
    std::unique_ptr<WxOutputView> outputView_;
    std::unique_ptr<ChatOutput> chatOutput_;
    // Goes first: its quiet disconnect still reaches the output and the user list.
    std::unique_ptr<Connection> connection_;

    wxDECLARE_EVENT_TABLE();
};
