#include "GuiTest.h"

#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/SettingsStore.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"

#include <wx/accel.h>
#include <wx/fontenum.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <memory>

namespace {

const char* const kHint =
    "Click Settings->Settings to set up the Client. Click File->Connect to Connect the bot once its setup.";
const char* const kCommandHelp = "Type ?cmdhelp for a list of Chat Client Commands.";

void Command(wxWindow* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

using ChatFrameTest = FrameTest;

TEST_F(ChatFrameTest, OpensAsTheProgramsOneWindow)
{
    OpenFrame();
    EXPECT_EQ(frame_->GetTitle(), "Quillon");
    EXPECT_EQ(frame_->GetName(), "frame");
    EXPECT_EQ(frame_->GetPosition(), wxPoint(50, 50));
    EXPECT_EQ(frame_->GetSize().y, 390);
    // 528 pixels are narrower than the output area and the user list side by side;
    // the frame grows to its minimum rather than cutting the list off.
    EXPECT_GE(frame_->GetSize().x, 528);
    EXPECT_EQ(frame_->GetWindowStyleFlag() & wxDEFAULT_FRAME_STYLE, long(wxDEFAULT_FRAME_STYLE));
    EXPECT_EQ(frame_->GetStatusBar(), nullptr);
    EXPECT_EQ(frame_->GetToolBar(), nullptr);

    const wxIcon icon = frame_->GetIcon();
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_EQ(icon.GetHeight(), 32);

    const wxTimer& timer = frame_->FrameTimer();
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(timer.GetId(), 800);
    EXPECT_EQ(timer.GetInterval(), 10);
    EXPECT_FALSE(timer.IsOneShot());
}

TEST_F(ChatFrameTest, ChildWindowsCarryTheirIdsAndNames)
{
    OpenFrame();
    wxWindow* output = frame_->FindWindow(100);
    wxWindow* users = frame_->FindWindow(200);
    wxWindow* input = frame_->FindWindow(300);
    ASSERT_NE(output, nullptr);
    ASSERT_NE(users, nullptr);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(output, &frame_->OutputControl());
    EXPECT_EQ(users, static_cast<wxWindow*>(&frame_->Users()));
    EXPECT_EQ(input, static_cast<wxWindow*>(&frame_->Input()));
    EXPECT_EQ(output->GetName(), "text");
    EXPECT_EQ(users->GetName(), "UserList");
    EXPECT_EQ(input->GetName(), "text");

    auto& text = frame_->OutputControl();
    EXPECT_TRUE(text.IsMultiLine());
    EXPECT_FALSE(text.IsEditable());
    EXPECT_TRUE(frame_->Input().IsSingleLine());
    EXPECT_TRUE(frame_->Input().HasFlag(wxTE_PROCESS_ENTER));
    EXPECT_TRUE(frame_->Users().HasFlag(wxLC_REPORT));
    EXPECT_TRUE(frame_->Users().HasFlag(wxLC_SINGLE_SEL));
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == input; }));
}

struct MenuItemWanted {
    const char* label;
    const char* help;
    int id;
    int accelFlags; // -1: no accelerator
    int accelKey;
};

struct MenuWanted {
    const char* title;
    std::vector<MenuItemWanted> items; // id 0: separator
};

const std::vector<MenuWanted> kMenus = {
    {"&File",
     {{"&Connect", "Connect to the Server", 60, -1, 0},
      {"&DisConnect", "Disconnect from the Server", 65, -1, 0},
      {"", "", 0, -1, 0},
      {"E&xit\tAlt-X", "Quit this program", 1, wxACCEL_ALT, 'X'}}},
    {"&Settings",
     {{"&Font\tF3", "Font Selection", 50, wxACCEL_NORMAL, WXK_F3},
      {"&Settings\tF5", "Chat Client Settings", 55, wxACCEL_NORMAL, WXK_F5},
      {"&Display Ignore List\tF11", "Display Ignore List", 57, wxACCEL_NORMAL, WXK_F11}}},
    {"&Staff",
     {{"Generic Ban\tF10", "Mod: Make a Generic Ban", 70, wxACCEL_NORMAL, WXK_F10},
      {"Server Log", "Sysop: Show Server Log", 75, -1, 0},
      {"Server Lag", "Sysop: Show Server Lag", 80, -1, 0}}},
    {"&Help", {{"&About...\tF1", "Show about dialog", 5013, wxACCEL_NORMAL, WXK_F1}}},
};

TEST_F(ChatFrameTest, MenusCarryTheirLabelsHelpTextsIdsAndAccelerators)
{
    OpenFrame();
    wxMenuBar* bar = frame_->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetMenuCount(), kMenus.size());
    for (size_t m = 0; m < kMenus.size(); ++m) {
        const MenuWanted& menu = kMenus[m];
        SCOPED_TRACE(menu.title);
        EXPECT_EQ(bar->GetMenuLabel(m), menu.title);
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(items.size(), menu.items.size());
        size_t i = 0;
        for (const wxMenuItem* item : items) {
            const MenuItemWanted& want = menu.items[i++];
            SCOPED_TRACE(want.label);
            if (want.id == 0) {
                EXPECT_TRUE(item->IsSeparator());
                continue;
            }
            EXPECT_EQ(item->GetId(), want.id);
            EXPECT_EQ(item->GetItemLabel(), want.label);
            EXPECT_EQ(item->GetHelp(), want.help);
            EXPECT_FALSE(item->IsCheckable());
            std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
            if (want.accelFlags < 0) {
                EXPECT_EQ(accel, nullptr);
            } else {
                ASSERT_NE(accel, nullptr);
                EXPECT_EQ(accel->GetFlags(), want.accelFlags);
                EXPECT_EQ(accel->GetKeyCode(), want.accelKey);
            }
        }
    }
}

TEST_F(ChatFrameTest, ConnectAndDisconnectSwitchTheMenu)
{
    OpenFrame();
    // Nothing listens there; the client only says hello.
    frame_->SettingsHandle().WriteString("Server", "IP", "127.0.0.1");
    frame_->SettingsHandle().WriteString("Server", "Port", "9");
    wxMenuBar* bar = frame_->GetMenuBar();
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));
    EXPECT_FALSE(bar->IsEnabled(kIdDisconnect));

    Command(frame_, kIdConnect);
    EXPECT_FALSE(bar->IsEnabled(kIdConnect));
    EXPECT_TRUE(bar->IsEnabled(kIdDisconnect));
    DrainOutput();
    EXPECT_EQ(frame_->OutputControl().GetValue(), wxString(kHint) +
                                                      "\nInitilizing Winsock...\nSuccessfully Initilized!\n"
                                                      "Connecting to, IP: 127.0.0.1, Port: 9\n" +
                                                      kCommandHelp);

    Command(frame_, kIdDisconnect);
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));
    EXPECT_FALSE(bar->IsEnabled(kIdDisconnect));
    DrainOutput();
    EXPECT_TRUE(frame_->OutputControl().GetValue().EndsWith("\nDisconnecting..."));

    // Everything else stays as it was.
    for (int id :
         {kIdExit, kIdFont, kIdSettings, kIdDisplayIgnoreList, kIdGenericBan, kIdServerLog, kIdServerLag, kIdAbout})
        EXPECT_TRUE(bar->IsEnabled(id)) << id;
}

TEST_F(ChatFrameTest, StartsWithTheHintInWhiteOnBlack)
{
    OpenFrame();
    DrainOutput();
    wxTextCtrl& output = frame_->OutputControl();
    ASSERT_EQ(output.GetValue(), kHint);
    for (long pos : {0L, output.GetLastPosition() / 2, output.GetLastPosition() - 1}) {
        wxTextAttr style;
        ASSERT_TRUE(output.GetStyle(pos, style)) << pos;
        EXPECT_EQ(style.GetTextColour(), *wxWHITE) << pos;
    }
    for (wxWindow* child : {static_cast<wxWindow*>(&output), static_cast<wxWindow*>(&frame_->Users()),
                            static_cast<wxWindow*>(&frame_->Input())}) {
        EXPECT_EQ(child->GetBackgroundColour(), *wxBLACK) << child->GetId();
        EXPECT_EQ(child->GetForegroundColour(), *wxWHITE) << child->GetId();
    }
}

TEST_F(ChatFrameTest, OnlyTheOutputAreaTakesExtraWidthAndTheInputLineKeepsItsHeight)
{
    OpenFrame();
    wxWindow& output = frame_->OutputControl();
    wxWindow& users = frame_->Users();
    wxWindow& input = frame_->Input();
    const wxRect output0 = output.GetRect();
    const wxRect users0 = users.GetRect();
    const wxRect input0 = input.GetRect();

    EXPECT_EQ(output0.GetTopLeft(), wxPoint(0, 0));
    EXPECT_EQ(users0.x, output0.GetRight() + 1);
    EXPECT_EQ(users0.width, 200);
    EXPECT_EQ(input0.x, 0);
    EXPECT_EQ(input0.y, output0.GetBottom() + 1);
    EXPECT_EQ(input0.width, frame_->GetClientSize().x);
    EXPECT_EQ(input0.GetBottom() + 1, frame_->GetClientSize().y);

    const wxSize before = frame_->GetSize();
    frame_->SetSize(before + wxSize(200, 100));
    ASSERT_TRUE(PumpUntil([&] { return output.GetSize().x == output0.width + 200; }));
    PumpPending();

    EXPECT_EQ(output.GetSize(), output0.GetSize() + wxSize(200, 100));
    EXPECT_EQ(users.GetRect(), wxRect(users0.x + 200, 0, 200, users0.height + 100));
    EXPECT_EQ(input.GetRect(), wxRect(0, input0.y + 100, input0.width + 200, input0.height));

    // The frame does not shrink below what the three windows need.
    frame_->SetSize(wxSize(200, 150));
    PumpPending();
    EXPECT_GE(frame_->GetClientSize().x, 540);
    EXPECT_GE(frame_->GetClientSize().y, 325);
}

TEST_F(ChatFrameTest, FontDefaultsToEightPointBoldArialOrTheSansFace)
{
    OpenFrame();
    for (wxWindow* child : {static_cast<wxWindow*>(&frame_->OutputControl()), static_cast<wxWindow*>(&frame_->Users()),
                            static_cast<wxWindow*>(&frame_->Input())}) {
        const wxFont font = child->GetFont();
        EXPECT_EQ(font.GetPointSize(), 8);
        EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_BOLD);
        EXPECT_EQ(font.GetStyle(), wxFONTSTYLE_NORMAL);
        if (wxFontEnumerator::IsValidFacename("Arial"))
            EXPECT_EQ(font.GetFaceName(), "Arial");
        else
            EXPECT_EQ(font.GetFamily(), wxFONTFAMILY_SWISS);
    }
}

TEST_F(ChatFrameTest, FontComesFromTheSettingsAndAMissingFaceKeepsSizeAndWeight)
{
    {
        SettingsStore settings;
        settings.WriteString("Font", "FontName", "Quillon Missing Face");
        settings.WriteInteger("Font", "FontSize", 12);
        settings.WriteInteger("Font", "FontStyle", 93);  // italic
        settings.WriteInteger("Font", "FontWeight", 90); // normal
    }
    OpenFrame();
    const wxFont font = frame_->OutputControl().GetFont();
    EXPECT_EQ(font.GetPointSize(), 12);
    EXPECT_EQ(font.GetStyle(), wxFONTSTYLE_ITALIC);
    EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_NORMAL);
    EXPECT_NE(font.GetFaceName(), "Quillon Missing Face");
    EXPECT_EQ(frame_->Input().GetFont().GetPointSize(), 12);
    EXPECT_EQ(frame_->Users().GetFont().GetPointSize(), 12);
}

// Answers the next modal dialog instead of showing it, and remembers what it said.
class MessageBoxCatcher : public wxModalDialogHook {
public:
    MessageBoxCatcher() { Register(); }
    ~MessageBoxCatcher() override { Unregister(); }

    int Enter(wxDialog* dialog) override
    {
        ++shown;
        if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
            message = box->GetMessage();
            caption = box->GetTitle();
            style = box->GetMessageDialogStyle();
        }
        return wxID_OK;
    }

    int shown = 0;
    wxString message;
    wxString caption;
    long style = 0;
};

TEST_F(ChatFrameTest, AboutShowsTheProgramsNameAndVersion)
{
    OpenFrame();
    MessageBoxCatcher box;
    Command(frame_, kIdAbout);
    EXPECT_EQ(box.shown, 1);
    EXPECT_EQ(box.message, "Quillon v0.91 Alpha\nQuillon is a Driftwake Chat Client.");
    EXPECT_EQ(box.caption, "About Quillon");
    EXPECT_EQ(box.style & (wxOK | wxICON_INFORMATION), long(wxOK | wxICON_INFORMATION));
}

TEST_F(ChatFrameTest, ExitClosesTheFrame)
{
    OpenFrame();
    Command(frame_, kIdExit);
    EXPECT_TRUE(FrameClosed());
}

// Real key presses through the X server: the accelerators reach their commands.
class ChatFrameKeysTest : public FrameTest {
protected:
    void FocusInput()
    {
        frame_->Raise();
        frame_->Input().SetFocus();
        wxUIActionSimulator sim;
        sim.MouseMove(frame_->Input().GetScreenRect().GetPosition() + wxPoint(5, 5));
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &frame_->Input(); }));
    }
};

TEST_F(ChatFrameKeysTest, F1OpensAboutAndAltXExits)
{
    OpenFrame();
    FocusInput();
    MessageBoxCatcher box;
    wxUIActionSimulator sim;
    sim.Char(WXK_F1);
    ASSERT_TRUE(PumpUntil([&] { return box.shown == 1; }));
    EXPECT_EQ(box.caption, "About Quillon");

    sim.Char('x', wxMOD_ALT);
    EXPECT_TRUE(PumpUntil([&] { return FrameClosed(); }));
}

TEST_F(ChatFrameKeysTest, InputLineRefusesThe256thCharacter)
{
    OpenFrame();
    FocusInput();
    InputLine& input = frame_->Input();
    input.ChangeValue(wxString('a', 254));
    input.SetInsertionPointEnd();
    wxUIActionSimulator sim;
    sim.Text("bc");
    PumpUntil([&] { return input.GetValue().length() > 255; }, 300);
    EXPECT_EQ(input.GetValue(), wxString('a', 254) + "b");
}

} // namespace
