// The input line of the real main window under real key presses.
#include "GuiTest.h"

#include "app/ChatFrame.h"
#include "app/InputLine.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"
#include "zone/ZoneSession.h"

#include <wx/textctrl.h>
#include <wx/uiaction.h>

namespace {

class InputLineTest : public ZoneFrameTest {
protected:
    InputLine& Input() { return frame_->Input(); }

    // Types with real key presses and waits until the field shows `expected`.
    bool Type(const char* text, const wxString& expected)
    {
        wxUIActionSimulator().Text(text);
        return PumpUntil([&] { return Input().GetValue() == expected; }, 3000);
    }
    bool Press(int key, const wxString& expected)
    {
        wxUIActionSimulator().Char(key);
        return PumpUntil([&] { return Input().GetValue() == expected; }, 3000);
    }
    long Selected() const { return frame_->Users().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }
};

TEST_F(InputLineTest, TypingColoursTheFieldAndDoubleColonFillsInTheNewestSender)
{
    FocusInput();
    ASSERT_TRUE(Type("'hi", "'hi"));
    EXPECT_EQ(Input().TextColour(), wxColour(255, 255, 0));
    EXPECT_EQ(Input().GetForegroundColour(), wxColour(255, 255, 0));
    Input().Clear();
    ASSERT_TRUE(Type(";x", ";x"));
    EXPECT_EQ(Input().TextColour(), wxColour(255, 128, 0));

    Input().Clear();
    SessionOf(frame_->Link())->NoteRecentSender("A");
    SessionOf(frame_->Link())->NoteRecentSender("B");
    ASSERT_TRUE(Type("::", ":B:"));
    EXPECT_TRUE(Input().RemoteMode());
    EXPECT_EQ(Input().TextColour(), wxColour(0, 255, 0));
    // The cursor waits after the name, ready for the message.
    ASSERT_TRUE(Type("x", ":B:x"));
}

TEST_F(InputLineTest, RefusesThe256thCharacter)
{
    FocusInput();
    Input().ChangeValue(wxString('a', 254));
    Input().SetInsertionPointEnd();
    wxUIActionSimulator().Text("bc");
    PumpUntil([&] { return Input().GetValue().length() > 255; }, 300);
    EXPECT_EQ(Input().GetValue(), wxString('a', 254) + "b");
}

TEST_F(InputLineTest, PageUpAndPageDownMoveTheUserListSelectionAndNotTheText)
{
    for (const char* name : {"Alice", "Bob", "Carl"})
        frame_->Output().AddUser(name, ChatOutput::kOtherFreq);
    FocusInput();
    wxUIActionSimulator().Char(WXK_PAGEUP); // nothing selected: nothing to move
    PumpPending();
    EXPECT_EQ(Selected(), -1);
    const std::pair<int, long> steps[] = {{WXK_PAGEDOWN, 0}, {WXK_PAGEDOWN, 1}, {WXK_PAGEDOWN, 2}, {WXK_PAGEDOWN, 2},
                                          {WXK_PAGEUP, 1},   {WXK_PAGEUP, 0},   {WXK_PAGEUP, 0}};
    for (const auto& [key, selected] : steps) {
        wxUIActionSimulator().Char(key);
        EXPECT_TRUE(PumpUntil([&] { return Selected() == selected; }, 2000)) << key << " to " << selected;
    }
    EXPECT_EQ(frame_->Users().GetSelectedItemCount(), 1);
    EXPECT_EQ(Input().GetValue(), "");
    EXPECT_EQ(wxWindow::FindFocus(), &Input());
}

TEST_F(InputLineTest, EnterSendsTheLineToTheSelectedPlayerOrKeepsItWhenNoneIs)
{
    EnterArena();
    FocusInput();
    auto submit = [&](const char* line) {
        Input().ChangeValue(line);
        Input().SetInsertionPointEnd();
        return Press(WXK_RETURN, "");
    };
    EXPECT_TRUE(submit("hello"));
    EXPECT_TRUE(submit(":Far:away"));
    // Bob is selected with Page Down (Bob, Carol, Staffer).
    wxUIActionSimulator().Char(WXK_PAGEDOWN);
    ASSERT_TRUE(PumpUntil([&] { return Selected() == 0; }));
    EXPECT_TRUE(submit("/psst"));
    EXPECT_TRUE(submit("\"your team"));
    EXPECT_TRUE(submit("?nopubchat"));
    EXPECT_EQ(ChatsSent(), (std::vector<std::string>{"2:0 hello", "7:0 :Far:away", "5:5 psst", "4:4 your team"}));
    EXPECT_FALSE(SessionOf(frame_->Link())->filters.publicChat);

    frame_->Users().SetItemState(0, 0, wxLIST_STATE_SELECTED);
    Input().ChangeValue("/who?");
    Input().SetInsertionPointEnd();
    wxUIActionSimulator().Char(WXK_RETURN);
    wxTextCtrl& output = frame_->OutputControl();
    EXPECT_TRUE(PumpUntil([&] {
        return output.GetLineText(output.GetNumberOfLines() - 1) == "ERROR: No User Selected for Private Message.";
    }));
    EXPECT_EQ(Input().GetValue(), "/who?");
    EXPECT_EQ(ChatsSent(), std::vector<std::string>{});
}

} // namespace
