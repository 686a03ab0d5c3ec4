#include "app/ChatFrame.h"

#include "app/BanDialog.h"
#include "app/CFGDialog.h"
#include "app/ChatFont.h"
#include "app/ChatView.h"
#include "app/FindBar.h"
#include "app/FontSelection.h"
#include "app/InputLine.h"
#include "app/ServerListDialog.h"
#include "app/StaffActions.h"
#include "app/UserList.h"
#include "app/WxText.h"
#include "app/ZoneTab.h"
#include "client/ChatClient.h"
#include "console/PlayerMenu.h"
#include "console/StaffCommands.h"
#include "zone/Names.h"
#include "zone/Settings.h"
#include "zone/ZoneList.h"

#include <wx/accel.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/icon.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/notifmsg.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "mondrian.xpm"

namespace {

const char* const kStartupHint =
    "Click Settings->Settings to set up the Client. Click File->Connect to Connect the bot once its setup.";

constexpr long kInputStyle = wxTE_RICH2 | wxTE_PROCESS_ENTER | wxTE_PROCESS_TAB;

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
    EVT_MENU(kIdServerList, ChatFrame::OnServerList)
    EVT_TIMER(kIdFrameTimer, ChatFrame::OnTick)
    EVT_ACTIVATE(ChatFrame::OnActivate)
    EVT_CLOSE(ChatFrame::OnClose)
wxEND_EVENT_TABLE();
// clang-format on

ChatFrame::ChatFrame(const wxString& title, const wxPoint& pos, const wxSize& size, long style)
    : wxFrame(nullptr, wxID_ANY, title, pos, size, style, "frame"), programFolder_(ChooseProgramFolder()),
      timer_(this, kIdFrameTimer)
{
    SetIcon(wxICON(mondrian));
    BuildMenus();
    BuildChildWindows();
    LayOut();
    // The user types at once, without clicking into the input line first.
    inputLine_->SetFocus();

    // The newest notification is kept alive: on Windows it goes when its object does.
    notifier_ = [this](const wxString& heading, const wxString& text) {
        notification_ = std::make_unique<wxNotificationMessage>(heading, text, this);
        notification_->Show();
    };
    // The menu shows Ctrl+K too; the table makes it work wherever the focus is, as Ctrl+F does.
    wxAcceleratorEntry keys[] = {{wxACCEL_CTRL, 'F', kIdFind}, {wxACCEL_CTRL, 'K', kIdServerList}};
    SetAcceleratorTable(wxAcceleratorTable(int(std::size(keys)), keys));
    // The tab keys work wherever the focus is, before the focused window sees them.
    Bind(wxEVT_CHAR_HOOK, &ChatFrame::OnTabKey, this);
    RestoreGeometry();

    timer_.Start(kTickMilliseconds, wxTIMER_CONTINUOUS);
    ConnectAutomatically();
}

ChatFrame::~ChatFrame()
{
    timer_.Stop();
    // No tab comes to the front while they go.
    tabs_->Unbind(wxEVT_NOTEBOOK_PAGE_CHANGED, &ChatFrame::OnTabChanged, this);
    // Every client says goodbye to its server while its output still exists.
    while (tabs_->GetPageCount() > 0)
        tabs_->DeletePage(tabs_->GetPageCount() - 1);
}

void ChatFrame::BuildMenus()
{
    auto* file = new wxMenu;
    file->Append(kIdConnect, "&Connect", "Connect to the Server");
    file->Append(kIdDisconnect, "&DisConnect", "Disconnect from the Server");
    file->Append(kIdServerList, "Server &List...\tCtrl+K", "The zones you know");
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
    actions.selectPrevious = [this] { Users().SelectPrevious(); };
    actions.selectNext = [this] { Users().SelectNext(); };
    actions.recentSenders = [this] { return TabCount() > 0 ? &Client().GetZone().recentSenders : nullptr; };
    actions.playerNames = [this] { return Client().PlayerNames(); };
    tabs_ = new wxNotebook(this, kIdTabs, wxDefaultPosition, wxDefaultSize, wxNB_TOP | wxNB_NOPAGETHEME, "zones");
    inputLine_ = new InputLine(this, kIdInputLine, wxPoint(0, 300), wxSize(520, 25), kInputStyle, std::move(actions));
    findBar_ = new FindBar(this, [this]() -> ChatView& { return OutputArea(); }, [this] { inputLine_->SetFocus(); });
    tabs_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &ChatFrame::OnTabChanged, this);
    AddTab(0);
    const wxFont font = ChatFontFromSettings(settings_);
    inputLine_->SetBackgroundColour(*wxBLACK);
    inputLine_->SetForegroundColour(*wxWHITE);
    inputLine_->SetFont(font);
    inputLine_->SetDefaultStyle(wxTextAttr(wxNullColour, wxNullColour, font));
}

void ChatFrame::LayOut()
{
    // The tabs take the extra room; the find bar (when open) and the input line keep theirs.
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(tabs_, 1, wxEXPAND);
    column->Add(findBar_, 0, wxEXPAND);
    column->Add(inputLine_, 0, wxEXPAND);
    SetSizer(column);
    SetMinClientSize(column->ComputeFittingClientSize(this));
}

void ChatFrame::ApplyColoursAndFont(ZoneTab& tab)
{
    const wxFont font = TabCount() > 1 ? ChatFontInForce(OutputArea()) : ChatFontFromSettings(settings_);
    for (wxWindow* child : {static_cast<wxWindow*>(&tab.OutputArea()), static_cast<wxWindow*>(&tab.Users())}) {
        child->SetBackgroundColour(*wxBLACK);
        child->SetForegroundColour(*wxWHITE);
        child->SetFont(font);
    }
}

int ChatFrame::TabCount() const { return int(tabs_->GetPageCount()); }

ZoneTab& ChatFrame::Tab(int position) const { return *static_cast<ZoneTab*>(tabs_->GetPage(size_t(position))); }

ZoneTab& ChatFrame::ActiveTab() const
{
    if (front_ == nullptr) {
        const int selected = tabs_->GetSelection();
        front_ = &Tab(selected == wxNOT_FOUND ? 0 : selected);
    }
    return *front_;
}

ChatView& ChatFrame::OutputArea() const { return ActiveTab().OutputArea(); }
UserList& ChatFrame::Users() const { return ActiveTab().Users(); }
ChatClient& ChatFrame::Client() const { return ActiveTab().Client(); }

ZoneTab* ChatFrame::AddTab(int zoneIndex)
{
    auto* tab = new ZoneTab(tabs_, settings_, zoneIndex, programFolder_);
    ChatClient& client = tab->Client();
    // Handled after the tick: asking for attention may run the event loop.
    client.SetMentionHandler([this, tab](const std::string& sender, const std::string& text) {
        if (&ActiveTab() != tab)
            tab->NoteMention();
        const std::string zone = tab->ZoneName();
        CallAfter([this, zone, sender, text] { OnMention(zone, sender, text); });
    });
    tab->Users().SetToolTipSource([tab](const std::string& name) { return tab->Client().ToolTipFor(name); });
    tab->Users().SetPlayerCommand([this](int id, const std::string& name) { RunPlayerCommand(id, name); });
    tabs_->AddPage(tab, BytesToWx(tab->ZoneName()), false);
    tab->SetInFront(TabCount() == 1);
    ApplyColoursAndFont(*tab);
    if (zoneIndex == 0)
        client.Output().Print(kStartupHint, kSlotWhite, true);
    return tab;
}

ZoneTab* ChatFrame::OpenZone(int zoneIndex, bool toFront)
{
    for (int position = 0; position < TabCount(); ++position) {
        if (Tab(position).ZoneIndex() == zoneIndex) {
            if (toFront)
                tabs_->SetSelection(size_t(position));
            return &Tab(position);
        }
    }
    // Two zones never share a folder, whatever their names became meanwhile.
    const std::string folder =
        zoneIndex == 0 ? programFolder_ : programFolder_ + ZoneList::FolderOf(ZoneList::Read(settings_, zoneIndex).name);
    for (int position = 0; position < TabCount(); ++position) {
        if (wxString(Tab(position).Folder()).IsSameAs(folder, false)) {
            wxMessageBox("The zone \"" + BytesToWx(ZoneList::Read(settings_, zoneIndex).name) +
                             "\" would keep its files where the open tab \"" + BytesToWx(Tab(position).ZoneName()) +
                             "\" keeps them. Give it another name in the Server List.",
                         "Quillon", wxOK | wxICON_WARNING, this);
            return nullptr;
        }
    }
    ZoneTab* tab = AddTab(zoneIndex);
    if (toFront)
        tabs_->SetSelection(size_t(TabCount() - 1));
    return tab;
}

void ChatFrame::ConnectZone(int zoneIndex)
{
    ZoneTab* tab = OpenZone(zoneIndex);
    if (tab != nullptr && !tab->Client().Connected())
        tab->Client().Connect();
    ShowActiveState();
}

void ChatFrame::ZoneRemoved(int zoneIndex)
{
    // The last tab cannot close: the first zone takes its place.
    if (TabCount() == 1 && Tab(0).ZoneIndex() == zoneIndex)
        OpenZone(0, true);
    for (int position = TabCount() - 1; position >= 0; --position) {
        if (Tab(position).ZoneIndex() == zoneIndex)
            CloseTab(position);
    }
    for (int position = 0; position < TabCount(); ++position) {
        if (Tab(position).ZoneIndex() > zoneIndex)
            Tab(position).Settings().SetIndex(Tab(position).ZoneIndex() - 1);
    }
}

// The last tab stays, so the input line always has a zone; closing it only disconnects.
void ChatFrame::CloseTab(int position)
{
    if (TabCount() == 1) {
        Tab(position).Client().Disconnect();
        ShowActiveState();
        return;
    }
    front_ = nullptr;
    tabs_->DeletePage(size_t(position));
    front_ = nullptr;
    ShowActiveState();
}

// Every saved zone whose AutoConnect is on, in the order of the list; the first tab stays in front.
void ChatFrame::ConnectAutomatically()
{
    const int count = ZoneList::Count(settings_);
    for (int index = 0; index < count; ++index) {
        if (!ZoneList::Read(settings_, index).autoConnect)
            continue;
        if (ZoneTab* tab = OpenZone(index, false))
            tab->Client().Connect();
    }
    ShowActiveState();
}

// The menu, the find bar and the seen count follow the tab in front.
void ChatFrame::ShowActiveState()
{
    front_ = nullptr;
    for (int position = 0; position < TabCount(); ++position)
        Tab(position).SetInFront(&Tab(position) == &ActiveTab());
    SetConnectedMenuState(Client().Connected());
    ActiveTab().MarkSeen();
    UpdateTabLabels();
}

void ChatFrame::UpdateTabLabels()
{
    for (int position = 0; position < TabCount(); ++position) {
        if (Tab(position).TakeLabelChange())
            tabs_->SetPageText(size_t(position), BytesToWx(Tab(position).Label()));
    }
}

void ChatFrame::SetConnectedMenuState(bool connected)
{
    wxMenuBar* bar = GetMenuBar();
    bar->Enable(kIdConnect, !connected);
    bar->Enable(kIdDisconnect, connected);
    menuConnected_ = connected;
}

ChatOutput& ChatFrame::Output() const { return Client().Output(); }

void ChatFrame::SubmitInputLine()
{
    if (Client().Submit(WxToBytes(inputLine_->GetValue()), Users().SelectedName()))
        inputLine_->Clear();
}

StaffContext ChatFrame::Staff() { return StaffContext{Users(), Client().Commands(), banDialog_}; }

void ChatFrame::RunPlayerCommand(int id, const std::string& shownName)
{
    // The list shows control characters as a sign; the commands need the name itself.
    ChatClient& client = Client();
    const std::string name = client.ServerSpelling(shownName);
    switch (id) {
    case kMenuIgnore:
        client.Ignores().ToggleIgnore(name);
        break;
    case kMenuPermIgnore:
        client.Ignores().TogglePermIgnore(name);
        break;
    case kMenuKick:
        StaffKick(Staff(), name);
        break;
    case kMenuBan:
        StaffBan(Staff(), name);
        break;
    case kMenuSilence:
        SilencePlayer(client.Commands(), name);
        break;
    case kMenuInfo:
        InfoOnPlayer(client.Commands(), name);
        break;
    default:
        break;
    }
}

// --- commands ------------------------------------------------------------------

void ChatFrame::OnConnect(wxCommandEvent&)
{
    Client().Connect();
    SetConnectedMenuState(Client().Connected());
}

void ChatFrame::OnDisconnect(wxCommandEvent&)
{
    Client().Disconnect();
    SetConnectedMenuState(false);
}

void ChatFrame::OnExit(wxCommandEvent&) { Close(true); }

void ChatFrame::OnFont(wxCommandEvent&)
{
    SelectChatFont(*this, ChatFontTargets{OutputArea(), *inputLine_, Users()}, settings_);
    const wxFont font = ChatFontInForce(OutputArea());
    for (int position = 0; position < TabCount(); ++position)
        ApplyChatFont(ChatFontTargets{Tab(position).OutputArea(), *inputLine_, Tab(position).Users()}, font);
}

void ChatFrame::OnSettings(wxCommandEvent&)
{
    auto dialog = settingsDialog_.Open(settings_, [this](wxWindow& parent) { ShowServerList(&parent); });
    if (!dialog)
        return;
    dialog->ShowModal();
    for (int position = 0; position < TabCount(); ++position) {
        Tab(position).Client().ApplyDisplaySettings();
        Tab(position).RefreshName();
    }
    UpdateTabLabels();
    if (!Settings::Read(settings_, Settings::WindowNotify)) {
        alerts_.Seen();
        SetTitle(alerts_.Title());
    }
}

void ChatFrame::OnDisplayIgnoreList(wxCommandEvent&) { Client().Ignores().ShowIgnoreLists(true, true); }

void ChatFrame::OnGenericBan(wxCommandEvent&) { StaffGenericBan(Staff()); }

void ChatFrame::OnServerLog(wxCommandEvent&) { SendServerLog(Client().Commands()); }

void ChatFrame::OnServerLag(wxCommandEvent&) { SendServerLag(Client().Commands()); }

void ChatFrame::OnAbout(wxCommandEvent&)
{
    wxMessageBox("Quillon v0.91 Alpha\nQuillon is a Driftwake Chat Client.", "About Quillon", wxOK | wxICON_INFORMATION,
                 this);
}

void ChatFrame::OnFind(wxCommandEvent&) { findBar_->Open(); }

void ChatFrame::OnServerList(wxCommandEvent&)
{
    ShowServerList(this);
}

void ChatFrame::ShowServerList(wxWindow* parent)
{
    auto dialog = serverList_.Open(parent, settings_, [this](int index) { ZoneRemoved(index); });
    if (!dialog)
        return;
    const bool chosen = dialog->ShowModal() == wxID_OK;
    // Names may have changed.
    for (int position = 0; position < TabCount(); ++position)
        Tab(position).RefreshName();
    UpdateTabLabels();
    if (chosen && dialog->Chosen() >= 0)
        ConnectZone(dialog->Chosen());
}

// Ctrl+Page Down and Ctrl+Page Up: the next and the previous tab; Alt+1 to Alt+9:
// tab N; Ctrl+W: the zone in front disconnects and its tab closes.
void ChatFrame::OnTabKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    const int modifiers = event.GetModifiers();
    const int count = TabCount();
    const int active = tabs_->GetSelection();
    if (modifiers == wxMOD_CONTROL && (key == WXK_PAGEDOWN || key == WXK_NUMPAD_PAGEDOWN))
        tabs_->SetSelection(size_t((active + 1) % count));
    else if (modifiers == wxMOD_CONTROL && (key == WXK_PAGEUP || key == WXK_NUMPAD_PAGEUP))
        tabs_->SetSelection(size_t((active + count - 1) % count));
    else if (modifiers == wxMOD_ALT && key >= '1' && key <= '9') {
        if (key - '1' < count)
            tabs_->SetSelection(size_t(key - '1'));
    } else if (modifiers == wxMOD_CONTROL && key == 'W')
        CloseTab(active);
    else
        event.Skip();
}

void ChatFrame::OnTabChanged(wxBookCtrlEvent& event)
{
    event.Skip();
    front_ = nullptr;
    ShowActiveState();
}

// While the window is in the background, a mention counts in the title, asks for
// attention and raises a notification (one per sender and zone in ten seconds)
// that names the zone.
void ChatFrame::OnMention(const std::string& zone, const std::string& sender, const std::string& text)
{
    if (active_ || !Settings::Read(settings_, Settings::WindowNotify))
        return;
    int passedOver = 0;
    const bool notify = alerts_.Arrived(zone + "\n" + sender, wxGetLocalTimeMillis().GetValue(), passedOver);
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
    const std::string from = sender.empty() ? std::string("Quillon") : Visible(sender);
    notifier_(BytesToWx(EscapeMarkup(from + " in " + Visible(zone))), BytesToWx(EscapeMarkup(body)));
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
    for (int position = 0; position < TabCount(); ++position)
        Tab(position).Client().Step();
    // A session that ended for good (a refused login, a look-up that failed) frees Connect again.
    if (Client().Connected() != menuConnected_)
        SetConnectedMenuState(Client().Connected());
    ActiveTab().MarkSeen();
    UpdateTabLabels();
}
