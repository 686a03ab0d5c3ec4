#include "app/ChatFrame.h"

#include "app/BanDialog.h"
#include "app/CFGDialog.h"
#include "app/ChatFont.h"
#include "app/ChatView.h"
#include "app/FindBar.h"
#include "app/FontSelection.h"
#include "app/InputLine.h"
#include "app/StaffActions.h"
#include "app/UserList.h"
#include "app/WxText.h"
#include "client/ChatClient.h"
#include "console/PlayerMenu.h"
#include "console/StaffCommands.h"
#include "zone/Names.h"
#include "zone/Settings.h"

#include <wx/accel.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/notifmsg.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "mondrian.xpm"

namespace {

const char* const kStartupHint =
    "Click Settings->Settings to set up the Client. Click File->Connect to Connect the bot once its setup.";

constexpr long kInputStyle = wxTE_RICH2 | wxTE_PROCESS_ENTER | wxTE_PROCESS_TAB;
constexpr long kUserListStyle = wxLC_REPORT | wxLC_SINGLE_SEL | wxVSCROLL;

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(ChatFrame, wxFrame)
    EVT_MENU(kIdConnect, ChatFrame::OnConnect)
    EVT_MENU(kIdDisconnect, ChatFrame::OnDisconnect)
    EVT_MENU(kIdExit, ChatFrame::OnExit)
    EVT_MENU(kIdFont, ChatFrame::OnFont)
    EVT_MENU(kIdSettings, ChatFrame::OnSettings)
    EVT_MENU(kIdDisplayIgnoreList, ChatFrame::OnDisplayIgnoreList)
    EVT_MENU(kIdGenericBan, ChatFrame::OnGenericBan)
    EVT_MENU(kIdServerLog, ChatFrame::OnServerLog)
    EVT_MENU(kIdServerLag, ChatFrame::OnServerLag)
    EVT_MENU(kIdAbout, ChatFrame::OnAbout)
    EVT_MENU(kIdFind, ChatFrame::OnFind)
    EVT_TIMER(kIdFrameTimer, ChatFrame::OnTick)
    EVT_ACTIVATE(ChatFrame::OnActivate)
    EVT_CLOSE(ChatFrame::OnClose)
wxEND_EVENT_TABLE();
// clang-format on

ChatFrame::ChatFrame(const wxString& title, const wxPoint& pos, const wxSize& size, long style)
    : wxFrame(nullptr, wxID_ANY, title, pos, size, style, "frame"), timer_(this, kIdFrameTimer)
{
    SetIcon(wxICON(mondrian));
    BuildMenus();
    BuildChildWindows();
    LayOut();
    ApplyColoursAndFont();
    // The user types at once, without clicking into the input line first.
    inputLine_->SetFocus();

    client_ = std::make_unique<ChatClient>(*output_, *userList_, settings_, ChooseProgramFolder());
    output_->SetLines(client_->Output().Lines());
    // Handled after the tick: asking for attention may run the event loop.
    client_->SetMentionHandler([this](const std::string& sender, const std::string& text) {
        CallAfter([this, sender, text] { OnMention(sender, text); });
    });
    // The newest notification is kept alive: on Windows it goes when its object does.
    notifier_ = [this](const wxString& heading, const wxString& text) {
        notification_ = std::make_unique<wxNotificationMessage>(heading, text, this);
        notification_->Show();
    };
    wxAcceleratorEntry find(wxACCEL_CTRL, 'F', kIdFind);
    SetAcceleratorTable(wxAcceleratorTable(1, &find));
    RestoreGeometry();
    userList_->SetToolTipSource([this](const std::string& name) { return client_->ToolTipFor(name); });
    userList_->SetPlayerCommand([this](int id, const std::string& name) { RunPlayerCommand(id, name); });

    timer_.Start(kTickMilliseconds, wxTIMER_CONTINUOUS);
    client_->Output().Print(kStartupHint, kSlotWhite, true);
}

ChatFrame::~ChatFrame()
{
    timer_.Stop();
    // The client says goodbye to the server while the output still exists.
    client_.reset();
}

void ChatFrame::BuildMenus()
{
    auto* file = new wxMenu;
    file->Append(kIdConnect, "&Connect", "Connect to the Server");
    file->Append(kIdDisconnect, "&DisConnect", "Disconnect from the Server");
    file->AppendSeparator();
    file->Append(kIdExit, "E&xit\tAlt-X", "Quit this program");

    auto* settings = new wxMenu;
    settings->Append(kIdFont, "&Font\tF3", "Font Selection");
    settings->Append(kIdSettings, "&Settings\tF5", "Chat Client Settings");
    settings->Append(kIdDisplayIgnoreList, "&Display Ignore List\tF11", "Display Ignore List");

    auto* staff = new wxMenu;
    staff->Append(kIdGenericBan, "Generic Ban\tF10", "Mod: Make a Generic Ban");
    staff->Append(kIdServerLog, "Server Log", "Sysop: Show Server Log");
    staff->Append(kIdServerLag, "Server Lag", "Sysop: Show Server Lag");

    auto* help = new wxMenu;
    help->Append(kIdAbout, "&About...\tF1", "Show about dialog");

    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(settings, "&Settings");
    bar->Append(staff, "&Staff");
    bar->Append(help, "&Help");
    SetMenuBar(bar);
    SetConnectedMenuState(false);
}

void ChatFrame::BuildChildWindows()
{
    InputLine::Actions actions;
    actions.submit = [this] { SubmitInputLine(); };
    actions.selectPrevious = [this] { userList_->SelectPrevious(); };
    actions.selectNext = [this] { userList_->SelectNext(); };
    actions.recentSenders = [this] { return client_ ? &client_->GetZone().recentSenders : nullptr; };
    actions.playerNames = [this] { return client_->PlayerNames(); };
    inputLine_ = new InputLine(this, kIdInputLine, wxPoint(0, 300), wxSize(520, 25), kInputStyle, std::move(actions));
    output_ = new ChatView(this, kIdOutput, wxPoint(0, 0), wxSize(340, 300));
    userList_ = new UserList(this, kIdUserList, wxPoint(360, 0), wxSize(200, 300), kUserListStyle);
    findBar_ = new FindBar(this, *output_, [this] { inputLine_->SetFocus(); });
}

void ChatFrame::LayOut()
{
    // Only the output area takes extra width; extra height goes to it and the
    // user list; the find bar (when open) and the input line keep theirs.
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(output_, 1, wxEXPAND);
    row->Add(userList_, 0, wxEXPAND);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 1, wxEXPAND);
    column->Add(findBar_, 0, wxEXPAND);
    column->Add(inputLine_, 0, wxEXPAND);
    SetSizer(column);
    SetMinClientSize(column->ComputeFittingClientSize(this));
}

void ChatFrame::ApplyColoursAndFont()
{
    const wxFont font = ChatFontFromSettings(settings_);
    for (wxWindow* child :
         {static_cast<wxWindow*>(output_), static_cast<wxWindow*>(userList_), static_cast<wxWindow*>(inputLine_)}) {
        child->SetBackgroundColour(*wxBLACK);
        child->SetForegroundColour(*wxWHITE);
        child->SetFont(font);
    }
    inputLine_->SetDefaultStyle(wxTextAttr(wxNullColour, wxNullColour, font));
}

void ChatFrame::SetConnectedMenuState(bool connected)
{
    wxMenuBar* bar = GetMenuBar();
    bar->Enable(kIdConnect, !connected);
    bar->Enable(kIdDisconnect, connected);
    menuConnected_ = connected;
}

ChatOutput& ChatFrame::Output() const { return client_->Output(); }

void ChatFrame::SubmitInputLine()
{
    if (client_->Submit(WxToBytes(inputLine_->GetValue()), userList_->SelectedName()))
        inputLine_->Clear();
}

StaffContext ChatFrame::Staff() { return StaffContext{*userList_, client_->Commands(), banDialog_}; }

void ChatFrame::RunPlayerCommand(int id, const std::string& shownName)
{
    // The list shows control characters as a sign; the commands need the name itself.
    const std::string name = client_->ServerSpelling(shownName);
    switch (id) {
    case kMenuIgnore:
        client_->Ignores().ToggleIgnore(name);
        break;
    case kMenuPermIgnore:
        client_->Ignores().TogglePermIgnore(name);
        break;
    case kMenuKick:
        StaffKick(Staff(), name);
        break;
    case kMenuBan:
        StaffBan(Staff(), name);
        break;
    case kMenuSilence:
        SilencePlayer(client_->Commands(), name);
        break;
    case kMenuInfo:
        InfoOnPlayer(client_->Commands(), name);
        break;
    default:
        break;
    }
}

// --- commands ------------------------------------------------------------------

void ChatFrame::OnConnect(wxCommandEvent&)
{
    client_->Connect();
    SetConnectedMenuState(client_->Connected());
}

void ChatFrame::OnDisconnect(wxCommandEvent&)
{
    client_->Disconnect();
    SetConnectedMenuState(false);
}

void ChatFrame::OnExit(wxCommandEvent&) { Close(true); }

void ChatFrame::OnFont(wxCommandEvent&)
{
    SelectChatFont(*this, ChatFontTargets{*output_, *inputLine_, *userList_}, settings_);
}

void ChatFrame::OnSettings(wxCommandEvent&)
{
    auto dialog = settingsDialog_.Open(settings_);
    if (!dialog)
        return;
    dialog->ShowModal();
    client_->ApplyDisplaySettings();
    if (!Settings::Read(settings_, Settings::WindowNotify)) {
        alerts_.Seen();
        SetTitle(alerts_.Title());
    }
}

void ChatFrame::OnDisplayIgnoreList(wxCommandEvent&) { client_->Ignores().ShowIgnoreLists(true, true); }

void ChatFrame::OnGenericBan(wxCommandEvent&) { StaffGenericBan(Staff()); }

void ChatFrame::OnServerLog(wxCommandEvent&) { SendServerLog(client_->Commands()); }

void ChatFrame::OnServerLag(wxCommandEvent&) { SendServerLag(client_->Commands()); }

void ChatFrame::OnAbout(wxCommandEvent&)
{
    wxMessageBox("Quillon v0.91 Alpha\nQuillon is a Driftwake Chat Client.", "About Quillon", wxOK | wxICON_INFORMATION,
                 this);
}

void ChatFrame::OnFind(wxCommandEvent&) { findBar_->Open(); }

// While the window is in the background, a mention counts in the title, asks for
// attention and raises a notification (one per sender in ten seconds).
void ChatFrame::OnMention(const std::string& sender, const std::string& text)
{
    if (active_ || !Settings::Read(settings_, Settings::WindowNotify))
        return;
    int passedOver = 0;
    const bool notify = alerts_.Arrived(sender, wxGetLocalTimeMillis().GetValue(), passedOver);
    SetTitle(alerts_.Title());
    // GTK's request runs the active event loop, which a window shown without one lacks.
    if (wxEventLoopBase::GetActive() != nullptr)
        RequestUserAttention();
    if (!notify || !notifier_)
        return;
    // The notification service may read markup: what the server sent is shown, never read as it.
    std::string body = Visible(text);
    if (passedOver > 0)
        body += " (and " + std::to_string(passedOver) + " more)";
    notifier_(BytesToWx(sender.empty() ? std::string("Quillon") : EscapeMarkup(Visible(sender))),
              BytesToWx(EscapeMarkup(body)));
}

void ChatFrame::OnActivate(wxActivateEvent& event)
{
    event.Skip();
    active_ = event.GetActive();
    if (active_ && alerts_.Unseen() > 0) {
        alerts_.Seen();
        SetTitle(alerts_.Title());
    }
}

// The place and size for the next start, unless the window is maximized or minimized.
void ChatFrame::SaveGeometry()
{
    if (IsMaximized() || IsIconized() || IsFullScreen())
        return;
    // A window left as it opened writes nothing.
    const wxRect rect = GetRect();
    if (rect == openedRect_)
        return;
    Settings::Write(settings_, Settings::WindowX, rect.x);
    Settings::Write(settings_, Settings::WindowY, rect.y);
    Settings::Write(settings_, Settings::WindowWidth, rect.width);
    Settings::Write(settings_, Settings::WindowHeight, rect.height);
}

// The saved place if the title bar lies on a screen, where the user can take hold
// of it; the saved size if it is not smaller than the first one, and no larger
// than that screen's work area.
void ChatFrame::RestoreGeometry()
{
    const int x = Settings::Read(settings_, Settings::WindowX);
    const int y = Settings::Read(settings_, Settings::WindowY);
    const int width = Settings::Read(settings_, Settings::WindowWidth);
    const int height = Settings::Read(settings_, Settings::WindowHeight);
    const int display = wxDisplay::GetFromPoint(wxPoint(x + std::clamp(width, 0, 200) / 2, y + 10));
    if (display != wxNOT_FOUND)
        Move(x, y);
    if (width < Settings::WindowWidth.def || height < Settings::WindowHeight.def)
        return;
    const wxRect area = wxDisplay(unsigned(display != wxNOT_FOUND ? display : 0)).GetClientArea();
    SetSize(std::min(width, area.width), std::min(height, area.height));
}

void ChatFrame::OnClose(wxCloseEvent& event)
{
    SaveGeometry();
    event.Skip();
}

void ChatFrame::OnTick(wxTimerEvent&)
{
    // By the first tick the window is shown at the place and size it opened with.
    if (openedRect_.IsEmpty())
        openedRect_ = GetRect();
    client_->Step();
    // A session that ended for good (a refused login, a look-up that failed) frees Connect again.
    if (client_->Connected() != menuConnected_)
        SetConnectedMenuState(client_->Connected());
}
