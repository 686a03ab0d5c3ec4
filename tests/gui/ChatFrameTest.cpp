#include "GuiTest.h"
#include "ModalScript.h"

#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"

#include <wx/fontenum.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

namespace {

const char* const kHint =
    "Click Settings->Settings to set up the Client. Click File->Connect to Connect the bot once its setup.";

using ChatFrameTest = FrameTest;

TEST_F(ChatFrameTest, OpensWithTheHintInEightPointBoldWhiteOnBlackAndTheFocusOnTheInputLine)
{
    OpenFrame();
    DrainOutput();
    wxTextCtrl& output = frame_->OutputControl();
    ASSERT_EQ(output.GetValue(), kHint);
    wxTextAttr style;
    ASSERT_TRUE(output.GetStyle(output.GetLastPosition() - 1, style));
    EXPECT_EQ(style.GetTextColour(), *wxWHITE);
    for (wxWindow* child : {static_cast<wxWindow*>(&output), static_cast<wxWindow*>(&frame_->Users()),
                            static_cast<wxWindow*>(&frame_->Input())}) {
        SCOPED_TRACE(child->GetId());
        EXPECT_EQ(child->GetBackgroundColour(), *wxBLACK);
        EXPECT_EQ(child->GetForegroundColour(), *wxWHITE);
        const wxFont font = child->GetFont();
        EXPECT_EQ(font.GetPointSize(), 8);
        EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_BOLD);
        if (wxFontEnumerator::IsValidFacename("Arial"))
            EXPECT_EQ(font.GetFaceName(), "Arial");
        else
            EXPECT_EQ(font.GetFamily(), wxFONTFAMILY_SWISS);
    }
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &frame_->Input(); }));
}

TEST_F(ChatFrameTest, ConnectAndDisconnectSwitchTheMenuAndSayWhatTheyDo)
{
    OpenFrame();
    // Nothing listens there; the client only says hello.
    frame_->SettingsHandle().WriteString("Server", "IP", "127.0.0.1");
    frame_->SettingsHandle().WriteString("Server", "Port", "9");
    wxMenuBar* bar = frame_->GetMenuBar();
    std::vector<std::string> shown;
    for (size_t m = 0; m < bar->GetMenuCount(); ++m) {
        shown.push_back(bar->GetMenuLabel(m).ToStdString());
        for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems())
            shown.push_back(item->IsSeparator() ? "-" : item->GetItemLabel().ToStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"&File", "&Connect", "&DisConnect", "-", "E&xit\tAlt-X", "&Settings",
                                               "&Font\tF3", "&Settings\tF5", "&Display Ignore List\tF11", "&Staff",
                                               "Generic Ban\tF10", "Server Log", "Server Lag", "&Help",
                                               "&About...\tF1"}));
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));
    EXPECT_FALSE(bar->IsEnabled(kIdDisconnect));

    Command(kIdConnect);
    EXPECT_FALSE(bar->IsEnabled(kIdConnect));
    EXPECT_TRUE(bar->IsEnabled(kIdDisconnect));
    EXPECT_EQ(NewLines(), (std::vector<std::string>{kHint, "Initilizing Winsock...", "Successfully Initilized!",
                                                    "Connecting to, IP: 127.0.0.1, Port: 9",
                                                    "Type ?cmdhelp for a list of Chat Client Commands."}));
    Command(kIdDisconnect);
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));
    EXPECT_FALSE(bar->IsEnabled(kIdDisconnect));
    EXPECT_EQ(NewLines(), std::vector<std::string>{"Disconnecting..."});
    for (int id :
         {kIdExit, kIdFont, kIdSettings, kIdDisplayIgnoreList, kIdGenericBan, kIdServerLog, kIdServerLag, kIdAbout})
        EXPECT_TRUE(bar->IsEnabled(id)) << id;
}

TEST_F(ChatFrameTest, OnlyTheOutputAreaTakesExtraSpaceAndTheFrameKeepsItsMinimum)
{
    OpenFrame();
    wxWindow& output = frame_->OutputControl();
    const wxSize output0 = output.GetSize();
    const wxRect users0 = frame_->Users().GetRect();
    const wxRect input0 = frame_->Input().GetRect();
    EXPECT_EQ(users0.width, 200);
    EXPECT_EQ(input0.width, frame_->GetClientSize().x);

    frame_->SetSize(frame_->GetSize() + wxSize(200, 100));
    ASSERT_TRUE(PumpUntil([&] { return output.GetSize().x == output0.x + 200; }));
    PumpPending();
    EXPECT_EQ(output.GetSize(), output0 + wxSize(200, 100));
    EXPECT_EQ(frame_->Users().GetRect(), wxRect(users0.x + 200, 0, 200, users0.height + 100));
    EXPECT_EQ(frame_->Input().GetRect(), wxRect(0, input0.y + 100, input0.width + 200, input0.height));

    frame_->SetSize(wxSize(200, 150));
    PumpPending();
    EXPECT_GE(frame_->GetClientSize().x, 540);
    EXPECT_GE(frame_->GetClientSize().y, 325);
}

TEST_F(ChatFrameTest, F1ShowsTheAboutBox)
{
    OpenFrame();
    FocusInput();
    ModalScript script;
    wxString message, caption;
    script.Then([&](wxDialog& d) {
        message = dynamic_cast<wxMessageDialog&>(d).GetMessage();
        caption = d.GetTitle();
        return int(wxID_OK);
    });
    wxUIActionSimulator().Char(WXK_F1);
    ASSERT_TRUE(PumpUntil([&] { return script.Done(); }));
    EXPECT_EQ(message, "Quillon v0.91 Alpha\nQuillon is a Driftwake Chat Client.");
    EXPECT_EQ(caption, "About Quillon");
}

} // namespace
