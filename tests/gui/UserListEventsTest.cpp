// The user list under the real mouse: the player's details as a tool tip, and
// the player menu with its copy and ignore actions.
#include "GuiTest.h"

#include "app/ChatFrame.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

// Failure messages show the text rather than its characters' codes.
static void PrintTo(const wxString& text, std::ostream* os) { *os << '"' << text.utf8_str() << '"'; }

namespace {

// A player-entering record as the zone sends it.
Packet Entering(uint16_t id, const std::string& name, const std::string& squad, uint8_t ship, uint16_t frequency,
                uint32_t points, uint16_t wins, uint16_t losses)
{
    Packet p(64);
    p.WriteU8(0x03, 0);
    p.WriteU8(ship, 1);
    p.WriteText(name, 3, 20);
    p.WriteText(squad, 23, 20);
    p.WriteU32(points, 43);
    p.WriteU16(id, 51);
    p.WriteU16(frequency, 53);
    p.WriteU16(wins, 55);
    p.WriteU16(losses, 57);
    return p;
}

struct ShownMenu {
    wxString title;
    std::vector<std::pair<int, wxString>> items; // id 0: separator
};

class UserListEventsTest : public FrameTest {
protected:
    void SetUp() override
    {
        OpenFrame();
        frame_->Link().Dispatch(Entering(3, "Bob", "Wings", 0, 7, 1234, 5, 6));
        frame_->Link().Dispatch(Entering(4, "Carl", "", 8, 2, 0, 0, 0));
        // On the list but not in the player table: the list is out of step.
        frame_->Output().AddUser("Ghost", ChatOutput::kOtherFreq);
        List().SetMenuShower([this](UserList&, wxMenu& menu, const wxPoint&) {
            ShownMenu shown;
            shown.title = menu.GetTitle();
            for (const wxMenuItem* item : menu.GetMenuItems()) {
                // GTK shows the title as an item of its own with a separator under it.
                if (item->IsSeparator() && !shown.items.empty())
                    shown.items.emplace_back(0, "");
                else if (item->GetId() >= 1000)
                    shown.items.emplace_back(item->GetId(), item->GetItemLabelText());
            }
            menus_.push_back(shown);
            if (choose_ != 0) {
                wxCommandEvent chosen(wxEVT_MENU, choose_);
                List().GetEventHandler()->ProcessEvent(chosen);
            }
        });
        frame_->Raise();
    }

    UserList& List() { return frame_->Users(); }

    // The middle of an entry, or a point below the last one, on the screen.
    wxPoint EntryOnScreen(long index)
    {
        wxRect rect;
        EXPECT_TRUE(List().GetItemRect(index, rect, wxLIST_RECT_LABEL));
        return List().ClientToScreen(wxPoint(rect.x + 10, rect.y + rect.height / 2));
    }
    wxPoint BelowTheLastEntry()
    {
        wxRect rect;
        EXPECT_TRUE(List().GetItemRect(List().GetItemCount() - 1, rect));
        return List().ClientToScreen(wxPoint(rect.x + 10, rect.GetBottom() + 40));
    }
    long IndexOf(const wxString& name) { return List().FindItem(-1, name); }

    wxString ToolTipAt(const wxPoint& screen)
    {
        wxUIActionSimulator sim;
        sim.MouseMove(screen + wxPoint(1, 0));
        sim.MouseMove(screen);
        PumpUntil([&] { return List().ItemArea().GetScreenRect().Contains(wxGetMousePosition()); });
        PumpPending();
        return List().GetToolTipText();
    }

    void RightClickAt(const wxPoint& screen)
    {
        wxUIActionSimulator sim;
        sim.MouseMove(screen);
        const size_t before = menus_.size();
        sim.MouseClick(wxMOUSE_BTN_RIGHT);
        PumpUntil([&] { return menus_.size() > before; }, 1000);
    }

    std::vector<ShownMenu> menus_;
    int choose_ = 0;
};

TEST_F(UserListEventsTest, HoveringShowsThePlayersDetailsAndNothingElseShowsATip)
{
    EXPECT_EQ(ToolTipAt(EntryOnScreen(IndexOf("Bob"))), "----------------------------------------\n"
                                                        "(Name)>  Bob\n"
                                                        "(Sqaud)> Wings\n"
                                                        "(Freq)>    7\n"
                                                        "(Ship)>     1\n"
                                                        "(Points)>  1234\n"
                                                        "(Wins)>    5\n"
                                                        "(Losses)> 6");
    EXPECT_NE(ToolTipAt(EntryOnScreen(IndexOf("Carl"))).Find("(Ship)>     9\n"), wxNOT_FOUND);
    EXPECT_EQ(ToolTipAt(BelowTheLastEntry()), "");
    EXPECT_EQ(ToolTipAt(EntryOnScreen(IndexOf("Bob"))).BeforeFirst('\n', nullptr), wxString('-', 40));
    EXPECT_EQ(ToolTipAt(EntryOnScreen(IndexOf("Ghost"))), "");
}

TEST_F(UserListEventsTest, RightClickOpensTheMenuTitledWithTheName)
{
    RightClickAt(EntryOnScreen(IndexOf("Carl")));
    ASSERT_EQ(menus_.size(), 1u);
    EXPECT_EQ(menus_[0].title, "Carl");
    EXPECT_EQ(menus_[0].items, (std::vector<std::pair<int, wxString>>{{1020, "Name to ClipBoard"},
                                                                      {1025, "Ignore Player"},
                                                                      {1030, "Perm Ignore Player"},
                                                                      {0, ""},
                                                                      {1000, "Kick Player"},
                                                                      {1005, "Ban Player"},
                                                                      {1010, "Silence Player"},
                                                                      {1015, "Info Player"}}));
    // A click below the last entry opens nothing.
    RightClickAt(BelowTheLastEntry());
    EXPECT_EQ(menus_.size(), 1u);
}

TEST_F(UserListEventsTest, TheMenuActsOnItsTitlesNameWhateverIsSelected)
{
    List().SetItemState(IndexOf("Bob"), wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    choose_ = 1025; // Ignore Player
    RightClickAt(EntryOnScreen(IndexOf("Carl")));
    ASSERT_EQ(menus_.size(), 1u);
    EXPECT_TRUE(frame_->Link().IsIgnored("carl"));
    EXPECT_FALSE(frame_->Link().IsIgnored("Bob"));
    EXPECT_EQ(List().SelectedName(), std::optional<std::string>("Bob"));
}

TEST_F(UserListEventsTest, NameToClipBoardPutsTheNameOnTheClipboard)
{
    choose_ = 1020;
    RightClickAt(EntryOnScreen(IndexOf("Bob")));
    ASSERT_EQ(menus_.size(), 1u);
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTextDataObject text;
    EXPECT_TRUE(wxTheClipboard->GetData(text));
    wxTheClipboard->Close();
    EXPECT_EQ(text.GetText(), "Bob");
}

} // namespace
