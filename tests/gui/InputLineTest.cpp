// The input line of the real main window under real key presses.
#include "GuiTest.h"

#include "app/UserList.h"

namespace {

class InputLineTest : public ZoneFrameTest {
protected:
    InputLine& Input() { return frame_->Input(); }
    long Selected() const { return frame_->Users().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }

    // Types with real key presses ("\r" is Enter) and waits until the field shows `expected`.
    bool Type(const wxString& keys, const wxString& expected)
    {
        wxUIActionSimulator sim;
        keys.StartsWith("\r") ? sim.Char(WXK_RETURN) : sim.Text(keys.utf8_str());
        return PumpUntil([&] { return Input().GetValue() == expected; }, 3000);
    }
};

TEST_F(InputLineTest, TypingColoursTheFieldAndDoubleColonFillsInTheNewestSender)
{
    FocusInput();
    ASSERT_TRUE(Type("'hi", "'hi"));
    EXPECT_EQ(Input().TextColour(), wxColour(255, 255, 0));
    EXPECT_EQ(Input().GetForegroundColour(), wxColour(255, 255, 0));
    Input().Clear();
    Zone().recentSenders.Note("A");
    Zone().recentSenders.Note("B");
    ASSERT_TRUE(Type("::", ":B:"));
    EXPECT_EQ(Input().TextColour(), wxColour(0, 255, 0));
    ASSERT_TRUE(Type("x", ":B:x")); // the cursor waits after the name

    // The 256th character is refused.
    Input().ChangeValue(wxString('a', 254));
    Input().SetInsertionPointEnd();
    wxUIActionSimulator().Text("bc");
    PumpUntil([&] { return Input().GetValue().length() > 255; }, 300);
    EXPECT_EQ(Input().GetValue(), wxString('a', 254) + "b");
}

TEST_F(InputLineTest, PageUpAndPageDownMoveTheUserListSelectionAndNotTheText)
{
    for (const char* name : {"Alice", "Bob", "Carl"})
        frame_->Output().AddUser(name, kOtherFreq);
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
}

TEST_F(InputLineTest, EnterSendsTheLineToTheSelectedPlayerOrKeepsItWhenNoneIs)
{
    EnterArena();
    FocusInput();
    // Bob is selected with Page Down (Bob, Carol, Staffer).
    wxUIActionSimulator().Char(WXK_PAGEDOWN);
    ASSERT_TRUE(PumpUntil([&] { return Selected() == 0; }));
    for (const char* line : {"hello", "/psst", "\"your team", "?nopubchat"}) {
        ASSERT_TRUE(Type(line, line));
        EXPECT_TRUE(Type("\r", ""));
    }
    EXPECT_EQ(ChatsSent(), (std::vector<std::string>{"2:0 hello", "5:5 psst", "4:4 your team"}));
    EXPECT_FALSE(Zone().filters.publicChat);

    frame_->Users().SetItemState(0, 0, wxLIST_STATE_SELECTED);
    ASSERT_TRUE(Type("/who?", "/who?"));
    wxUIActionSimulator().Char(WXK_RETURN);
    EXPECT_TRUE(PumpUntil([&] {
        const LineStore& shown = frame_->Output().Lines();
        return shown.At(shown.End() - 1).text == "ERROR: No User Selected for Private Message.";
    }));
    EXPECT_EQ(Input().GetValue(), "/who?");
    EXPECT_EQ(ChatsSent(), std::vector<std::string>{});
}

} // namespace

namespace {

TEST_F(InputLineTest, UpAndDownWalkTheLinesSentAndTabCompletesNames)
{
    EnterArena();
    FocusInput();
    for (const char* line : {"first", "second"}) {
        ASSERT_TRUE(Type(line, line));
        ASSERT_TRUE(Type("\r", ""));
    }
    ASSERT_TRUE(Type("draft", "draft"));
    const std::pair<int, const char*> walk[] = {{WXK_UP, "second"}, {WXK_UP, "first"},  {WXK_UP, "first"},
                                                {WXK_DOWN, "second"}, {WXK_DOWN, "draft"}, {WXK_DOWN, "draft"}};
    for (const auto& [key, shown] : walk) {
        wxUIActionSimulator().Char(key);
        EXPECT_TRUE(PumpUntil([&] { return Input().GetValue() == shown; }, 2000)) << shown;
    }
    EXPECT_EQ(Input().GetInsertionPoint(), Input().GetLastPosition());

    // Bob, Carol, Staffer and, arriving now, Bobby and bo.
    server_->SendPlayersEntering({SimPlayer{20, "Bobby", "", 8, 0}, SimPlayer{21, "bo", "", 8, 0}});
    ASSERT_TRUE(PumpUntil([&] { return Zone().players.FindByName("Bobby") == 20; }));
    auto tab = [&](const wxString& expected) {
        wxUIActionSimulator().Char(WXK_TAB);
        return PumpUntil([&] { return Input().GetValue() == expected; }, 2000);
    };
    Input().Clear();
    ASSERT_TRUE(Type(":B", ":B"));
    // The shortest first, then by name; the private form is closed, ready for the text.
    EXPECT_TRUE(tab(":bo:"));
    EXPECT_TRUE(tab(":Bob:"));
    EXPECT_TRUE(tab(":Bobby:"));
    EXPECT_TRUE(tab(":bo:"));
    EXPECT_EQ(Input().TextColour(), wxColour(0, 255, 0));
    Input().Clear();
    ASSERT_TRUE(Type("hi ca", "hi ca"));
    EXPECT_TRUE(tab("hi Carol"));
    ASSERT_TRUE(Type(" and x", "hi Carol and x"));
    // No match: nothing changes, and the focus stays.
    wxUIActionSimulator().Char(WXK_TAB);
    PumpPending();
    EXPECT_EQ(Input().GetValue(), "hi Carol and x");
    EXPECT_EQ(wxWindow::FindFocus(), &Input());
}

} // namespace
