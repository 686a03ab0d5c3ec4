// The user list: names in their colours and icons, and under the real mouse the
// player's details as a tool tip and the player menu.
#include "GuiTest.h"

#include "app/ChatFrame.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

namespace {

const wxColour kYellow(255, 255, 0);
const wxColour kLightBlue(160, 160, 255);

class UserListTest : public FrameTest {
protected:
    void SetUp() override
    {
        OpenFrame();
        List().SetMenuShower([this](UserList&, wxMenu& menu, const wxPoint&) {
            std::vector<std::string> shown{menu.GetTitle().ToStdString()};
            // GTK shows the title as an item of its own with a separator under it.
            for (const wxMenuItem* item : menu.GetMenuItems())
                if (item->IsSeparator() ? shown.size() > 1 : item->GetId() >= 1000)
                    shown.push_back(item->IsSeparator() ? "-" : item->GetItemLabelText().ToStdString());
            menus_.push_back(shown);
            wxCommandEvent chosen(wxEVT_MENU, choose_);
            if (choose_ != 0)
                List().GetEventHandler()->ProcessEvent(chosen);
        });
    }

    UserList& List() { return frame_->Users(); }
    std::vector<wxString> Names()
    {
        std::vector<wxString> names;
        for (int i = 0; i < List().GetItemCount(); ++i)
            names.push_back(List().GetItemText(i));
        return names;
    }
    int ImageOf(int index)
    {
        wxListItem item;
        item.SetId(index);
        item.SetMask(wxLIST_MASK_IMAGE);
        EXPECT_TRUE(List().GetItem(item));
        return item.GetImage();
    }

    // On the screen: the middle of the named entry, or (for "") below the last one.
    wxPoint At(const wxString& name)
    {
        wxRect rect;
        const long index = name.empty() ? List().GetItemCount() - 1 : List().FindItem(-1, name);
        EXPECT_TRUE(List().GetItemRect(index, rect, wxLIST_RECT_LABEL));
        return List().ClientToScreen(wxPoint(rect.x + 10, name.empty() ? rect.GetBottom() + 40 : rect.y + rect.height / 2));
    }
    wxString ToolTipAt(const wxString& name)
    {
        wxUIActionSimulator sim;
        sim.MouseMove(At(name) + wxPoint(1, 0));
        sim.MouseMove(At(name));
        PumpUntil([&] { return List().ItemArea().GetScreenRect().Contains(wxGetMousePosition()); });
        PumpPending();
        return List().GetToolTipText();
    }
    void RightClickAt(const wxString& name, int choose)
    {
        choose_ = choose;
        wxUIActionSimulator sim;
        sim.MouseMove(At(name));
        const size_t before = menus_.size();
        sim.MouseClick(wxMOUSE_BTN_RIGHT);
        PumpUntil([&] { return menus_.size() > before; }, 1000);
    }

    std::vector<std::vector<std::string>> menus_;
    int choose_ = 0;
};

TEST_F(UserListTest, KeepsNamesInOrderWithTheColoursAndIconsOfTheirKind)
{
    ChatOutput& out = frame_->Output();
    EXPECT_EQ(List().GetColumnWidth(0), 178);
    out.SetUserListTitle("Total Players: 4");
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT);
    ASSERT_TRUE(List().GetColumn(0, column));
    EXPECT_EQ(column.GetText(), "Total Players: 4");

    out.AddUser("carl", ChatOutput::kOtherFreq);
    out.AddUser("bob", ChatOutput::kOwnFreqSpec);
    out.AddUser("\x80uro", ChatOutput::kOwnFreq);
    out.AddUser("Dora", ChatOutput::kOtherFreqSpec);
    EXPECT_EQ(Names(), (std::vector<wxString>{"bob", "carl", "Dora", L"\u20ACuro"}));
    const std::pair<wxColour, int> kinds[] = {{kYellow, 1}, {kLightBlue, 0}, {kLightBlue, 1}, {kYellow, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(List().GetItemTextColour(i), kinds[i].first) << i;
        EXPECT_EQ(ImageOf(i), kinds[i].second) << i;
    }
    // bob leaves the user's frequency but keeps spectating.
    out.SetUserKind("BOB", ChatOutput::kOtherFreqSpec);
    EXPECT_EQ(List().GetItemTextColour(0), kLightBlue);
    EXPECT_EQ(ImageOf(0), 1);

    out.RemoveUser("CARL");
    out.RemoveUser("\x80uro");
    out.RemoveUser("nobody");
    EXPECT_EQ(Names(), (std::vector<wxString>{"bob", "Dora"}));
}

TEST_F(UserListTest, HoverShowsThePlayersDetailsAndTheMenuActsOnItsTitlesName)
{
    frame_->Link().Dispatch(ZonePackets::PlayersEntering(
        {SimPlayer{3, "Bob", "Wings", 0, 7, 1234, 0, 5, 6}, SimPlayer{4, "Carl", "", 8, 2}}));
    // On the list but not in the player table: the list is out of step.
    frame_->Output().AddUser("Ghost", ChatOutput::kOtherFreq);
    frame_->Raise();
    EXPECT_EQ(ToolTipAt("Bob"), "----------------------------------------\n"
                                "(Name)>  Bob\n"
                                "(Sqaud)> Wings\n"
                                "(Freq)>    7\n"
                                "(Ship)>     1\n"
                                "(Points)>  1234\n"
                                "(Wins)>    5\n"
                                "(Losses)> 6");
    EXPECT_NE(ToolTipAt("Carl").Find("(Ship)>     9\n"), wxNOT_FOUND);
    EXPECT_EQ(ToolTipAt(""), "");
    EXPECT_EQ(ToolTipAt("Ghost"), "");

    List().SetItemState(List().FindItem(-1, "Bob"), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    RightClickAt("Carl", 1025); // Ignore Player
    ASSERT_EQ(menus_.size(), 1u);
    EXPECT_EQ(menus_[0], (std::vector<std::string>{"Carl", "Name to ClipBoard", "Ignore Player", "Perm Ignore Player",
                                                   "-", "Kick Player", "Ban Player", "Silence Player", "Info Player"}));
    EXPECT_TRUE(frame_->Link().IsIgnored("carl"));
    EXPECT_FALSE(frame_->Link().IsIgnored("Bob"));
    EXPECT_EQ(List().SelectedName(), std::optional<std::string>("Bob"));

    RightClickAt("Bob", 1020); // Name to ClipBoard
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTextDataObject text;
    EXPECT_TRUE(wxTheClipboard->GetData(text));
    wxTheClipboard->Close();
    EXPECT_EQ(text.GetText(), "Bob");

    RightClickAt("", 0);
    EXPECT_EQ(menus_.size(), 2u);
}

} // namespace
