#include "GuiTest.h"

#include "app/ChatFrame.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"

#include <wx/imaglist.h>

namespace {

const wxColour kYellow(255, 255, 0);
const wxColour kLightBlue(160, 160, 255);

class UserListTest : public FrameTest {
protected:
    void SetUp() override { OpenFrame(); }

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

    wxString Header()
    {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
        EXPECT_TRUE(List().GetColumn(0, column));
        return column.GetText();
    }
};

TEST_F(UserListTest, StartsWithOneNamedColumnAndTwoIcons)
{
    EXPECT_EQ(List().GetColumnCount(), 1);
    EXPECT_EQ(Header(), "No Info");
    EXPECT_EQ(List().GetColumnWidth(0), 178);
    EXPECT_EQ(List().GetItemCount(), 0);

    wxImageList* icons = List().GetImageList(wxIMAGE_LIST_SMALL);
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(icons->GetImageCount(), 2);
    EXPECT_EQ(icons->GetSize(), wxSize(17, 15));
    const wxImage plain = icons->GetBitmap(0).ConvertToImage();
    const wxImage spectator = icons->GetBitmap(1).ConvertToImage();
    EXPECT_EQ(wxColour(plain.GetRed(8, 4), plain.GetGreen(8, 4), plain.GetBlue(8, 4)), *wxBLACK);
    // The spectator's green S: top bar, left side, middle, right side, bottom bar.
    for (wxPoint p : {wxPoint(8, 4), wxPoint(11, 4), wxPoint(7, 5), wxPoint(9, 7), wxPoint(11, 9), wxPoint(7, 10)})
        EXPECT_EQ(wxColour(spectator.GetRed(p.x, p.y), spectator.GetGreen(p.x, p.y), spectator.GetBlue(p.x, p.y)),
                  wxColour(0, 255, 0))
            << p.x << "," << p.y;
    EXPECT_EQ(wxColour(spectator.GetRed(0, 0), spectator.GetGreen(0, 0), spectator.GetBlue(0, 0)), *wxBLACK);

    frame_->Output().SetUserListTitle("Total Players: 3");
    EXPECT_EQ(Header(), "Total Players: 3");
}

TEST_F(UserListTest, KeepsNamesInOrderWithTheirColoursAndIcons)
{
    ChatOutput& out = frame_->Output();
    out.AddUser("carl", ChatOutput::kOtherFreq);
    out.AddUser("bob", ChatOutput::kOwnFreqSpec);
    out.AddUser("Alice", ChatOutput::kOwnFreq);
    out.AddUser("Dora", ChatOutput::kOtherFreqSpec);
    EXPECT_EQ(Names(), (std::vector<wxString>{"Alice", "bob", "carl", "Dora"}));

    EXPECT_EQ(List().GetItemTextColour(0), kYellow);
    EXPECT_EQ(ImageOf(0), 0);
    EXPECT_EQ(List().GetItemTextColour(1), kYellow);
    EXPECT_EQ(ImageOf(1), 1);
    EXPECT_EQ(List().GetItemTextColour(2), kLightBlue);
    EXPECT_EQ(ImageOf(2), 0);
    EXPECT_EQ(List().GetItemTextColour(3), kLightBlue);
    EXPECT_EQ(ImageOf(3), 1);

    // bob leaves the user's frequency but keeps spectating.
    out.SetUserKind("BOB", ChatOutput::kOtherFreqSpec);
    EXPECT_EQ(List().GetItemTextColour(1), kLightBlue);
    EXPECT_EQ(ImageOf(1), 1);

    out.RemoveUser("CARL");
    out.RemoveUser("nobody");
    EXPECT_EQ(Names(), (std::vector<wxString>{"Alice", "bob", "Dora"}));
}

TEST_F(UserListTest, NamesShowAsWindows1252AndAreFoundByTheirBytes)
{
    ChatOutput& out = frame_->Output();
    out.AddUser("J\xF6rg", ChatOutput::kOwnFreq);
    out.AddUser("\x80uro", ChatOutput::kOwnFreq);
    EXPECT_EQ(Names(), (std::vector<wxString>{L"J\u00F6rg", L"\u20ACuro"}));
    EXPECT_EQ(List().TextAt(0), "J\xF6rg");

    out.RemoveUser("J\xF6rg");
    EXPECT_EQ(Names(), (std::vector<wxString>{L"\u20ACuro"}));
}

} // namespace
