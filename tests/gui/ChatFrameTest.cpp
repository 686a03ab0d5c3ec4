#include "GuiTest.h"

#include "app/UserList.h"

#include <wx/menu.h>

namespace {

using ChatFrameTest = FrameTest;

TEST_F(ChatFrameTest, OpensWhiteOnBlackWithTheHintAndConnectAndDisconnectSwitchTheMenu)
{
    OpenFrame();
    EXPECT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &frame_->Input(); }));
    for (wxWindow* child : {static_cast<wxWindow*>(&frame_->OutputArea()), static_cast<wxWindow*>(&frame_->Users()),
                            static_cast<wxWindow*>(&frame_->Input())}) {
        EXPECT_EQ(child->GetBackgroundColour(), *wxBLACK) << child->GetId();
        EXPECT_EQ(child->GetForegroundColour(), *wxWHITE) << child->GetId();
    }
    // Nothing listens there; the client only says hello.
    frame_->SettingsHandle().WriteString("Server", "IP", "127.0.0.1");
    frame_->SettingsHandle().WriteString("Server", "Port", "9");
    wxMenuBar* bar = frame_->GetMenuBar();
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));
    EXPECT_FALSE(bar->IsEnabled(kIdDisconnect));
    Command(kIdConnect);
    EXPECT_FALSE(bar->IsEnabled(kIdConnect));
    EXPECT_TRUE(bar->IsEnabled(kIdDisconnect));
    EXPECT_EQ(NewLines().at(0), "Click Settings->Settings to set up the Client. Click File->Connect to Connect the "
                                "bot once its setup.");
    Command(kIdDisconnect);
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));
    EXPECT_FALSE(bar->IsEnabled(kIdDisconnect));
    EXPECT_EQ(NewLines(), std::vector<std::string>{"Disconnecting..."});
    // A session that cannot start leaves Connect on offer.
    frame_->SettingsHandle().WriteString("Server", "Port", "abc");
    Command(kIdConnect);
    EXPECT_TRUE(PumpUntil([&] { return bar->IsEnabled(kIdConnect) && !bar->IsEnabled(kIdDisconnect); }));
}

} // namespace
