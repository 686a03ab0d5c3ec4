// The user list: names in their colours and icons, and under the real mouse the
// player's details as a tool tip and the player menu.
#include "GuiTest.h"

#include "app/UserList.h"

#include <wx/imaglist.h>
#include <wx/menu.h>

namespace {

class UserListTest : public FrameTest {
protected:
    UserList& List() { return frame_->Users(); }

    // On the screen: the middle of the named entry, or (for "") below the last one.
    wxPoint At(const wxString& name)
    {
        wxRect rect;
        const long index = name.empty() ? List().GetItemCount() - 1 : List().FindItem(-1, name);
        EXPECT_TRUE(List().GetItemRect(index, rect, wxLIST_RECT_LABEL));
        return List().ClientToScreen(
            wxPoint(rect.x + 10, name.empty() ? rect.GetBottom() + 40 : rect.y + rect.height / 2));
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
};

TEST_F(UserListTest, ShowsEachKindInItsColourAndIconWithTheDetailsOnHoverAndThePlayerMenu)
{
    OpenFrame();
    frame_->Client().GetZone().OnZonePacket(ZonePackets::PlayersEntering(
        {SimPlayer{3, "Bob", "Wings", 0, 7, 1234, 0, 5, 6}, SimPlayer{4, "Carl", "", 8, 2}}));
    // On the list but not in the player table: the list is out of step.
    frame_->Output().AddUser("Ghost", kOwnFreq);
    frame_->Output().AddUser("\x80uro", kOwnFreqSpec);
    std::vector<std::string> shown; // name, colour and icon of each entry
    for (int i = 0; i < List().GetItemCount(); ++i) {
        wxListItem item;
        item.SetId(i);
        item.SetMask(wxLIST_MASK_IMAGE | wxLIST_MASK_TEXT);
        EXPECT_TRUE(List().GetItem(item));
        shown.push_back(item.GetText().utf8_string() + " " +
                        List().GetItemTextColour(i).GetAsString(wxC2S_HTML_SYNTAX).ToStdString() + " " +
                        std::to_string(item.GetImage()));
    }
    EXPECT_EQ(shown,
              (std::vector<std::string>{"Bob #A0A0FF 0", "Carl #A0A0FF 1", "Ghost #FFFF00 0", "\u20ACuro #FFFF00 1"}));
    frame_->Output().RemoveUser("\x80uro");
    EXPECT_EQ(List().GetItemCount(), 3);
    // The spectator's icon is a green S on the plain icon's black.
    const wxImage plain = List().GetImageList(wxIMAGE_LIST_SMALL)->GetBitmap(0).ConvertToImage();
    const wxImage spectator = List().GetImageList(wxIMAGE_LIST_SMALL)->GetBitmap(1).ConvertToImage();
    for (wxPoint p : {wxPoint(8, 4), wxPoint(7, 5), wxPoint(9, 7), wxPoint(11, 9), wxPoint(7, 10)}) {
        EXPECT_EQ(wxColour(spectator.GetRed(p.x, p.y), spectator.GetGreen(p.x, p.y), spectator.GetBlue(p.x, p.y)),
                  wxColour(0, 255, 0));
        EXPECT_EQ(wxColour(plain.GetRed(p.x, p.y), plain.GetGreen(p.x, p.y), plain.GetBlue(p.x, p.y)), *wxBLACK);
    }

    frame_->Raise();
    EXPECT_EQ(ToolTipAt("Bob"), "----------------------------------------\n(Name)>  Bob\n(Sqaud)> Wings\n"
                                "(Freq)>    7\n(Ship)>     1\n(Points)>  1234\n(Wins)>    5\n(Losses)> 6");
    EXPECT_NE(ToolTipAt("Carl").Find("(Name)>  Carl\n(Sqaud)> \n(Freq)>    2\n(Ship)>     9\n"), wxNOT_FOUND);
    EXPECT_EQ(ToolTipAt(""), "");
    EXPECT_EQ(ToolTipAt("Ghost"), "");

    std::vector<std::string> menu;
    List().SetMenuShower([&](UserList&, wxMenu& opened, const wxPoint&) {
        menu = {opened.GetTitle().ToStdString()};
        // GTK shows the title as an item of its own with a separator under it.
        for (const wxMenuItem* item : opened.GetMenuItems())
            if (item->IsSeparator() ? menu.size() > 1 : item->GetId() >= 1000)
                menu.push_back(item->IsSeparator() ? "-" : item->GetItemLabelText().ToStdString());
        wxCommandEvent ignore(wxEVT_MENU, 1025);
        List().GetEventHandler()->ProcessEvent(ignore);
    });
    List().SetItemState(List().FindItem(-1, "Bob"), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxUIActionSimulator sim;
    for (const char* at : {"", "Carl"}) { // nothing opens below the last entry
        sim.MouseMove(At(at));
        sim.MouseClick(wxMOUSE_BTN_RIGHT);
        PumpUntil([&] { return !menu.empty(); }, 1000);
        EXPECT_EQ(menu.empty(), *at == '\0');
    }
    EXPECT_EQ(menu, (std::vector<std::string>{"Carl", "Name to ClipBoard", "Ignore Player", "Perm Ignore Player", "-",
                                              "Kick Player", "Ban Player", "Silence Player", "Info Player"}));
    EXPECT_TRUE(frame_->Client().Ignores().IsIgnored("carl"));
    EXPECT_FALSE(frame_->Client().Ignores().IsIgnored("Bob"));
    EXPECT_EQ(List().SelectedName(), std::optional<std::string>("Bob"));
}

} // namespace
