// What the window adds to the zone's chat: find, mentions and notifications,
// timestamps, links, the scrollback limit, the window settings and geometry.
#include "GuiTest.h"
#include "ModalScript.h"

#include "app/CFGDialog.h"
#include "app/FindBar.h"
#include "app/UserList.h"

#include <wx/checkbox.h>
#include <wx/msgdlg.h>

#include <regex>

namespace {

class ChatFeaturesTest : public ZoneFrameTest {
protected:
    ChatView& Output() { return frame_->OutputArea(); }
    const LineStore& Lines() { return frame_->Output().Lines(); }
    std::string LastLine() { return Lines().Empty() ? "" : std::string(Lines().At(Lines().End() - 1).text); }
    void Activate(bool active)
    {
        wxActivateEvent event(wxEVT_ACTIVATE, active);
        frame_->GetEventHandler()->ProcessEvent(event);
    }
    // Where the last line holding `text` has it.
    TextPos PositionOf(const std::string& text)
    {
        for (uint64_t n = Lines().End(); n-- > Lines().First();)
            if (const size_t at = Lines().At(n).text.find(text); at != std::string_view::npos)
                return TextPos{n, at};
        ADD_FAILURE() << "not shown: " << text;
        return TextPos{};
    }
    bool Tinted(const std::string& text) { return Lines().At(PositionOf(text).line).marked; }
};

TEST_F(ChatFeaturesTest, CtrlFFindsForwardAndBackWithoutRegardToCaseAndEscapeReturnsToTheInput)
{
    for (const char* line : {"one needle", "hay", "two NEEDLE", "hay", "three Needle"})
        frame_->Output().Print(line, kSlotWhite, true);
    NewLines();
    FocusInput();
    wxUIActionSimulator().Char('f', wxMOD_CONTROL);
    FindBar& bar = frame_->Finder();
    ASSERT_TRUE(PumpUntil([&] { return bar.IsShown() && wxWindow::FindFocus() == &bar.Field(); }));
    wxUIActionSimulator().Text("needle");
    ASSERT_TRUE(PumpUntil([&] { return bar.Field().GetValue() == "needle"; }));
    EXPECT_EQ(Output().SelectionStart(), (TextPos{PositionOf("one needle").line, 4})) << "the first from the top";
    const std::pair<int, std::string> steps[] = {
        {0, "two NEEDLE"}, {0, "three Needle"}, {0, "one needle"}, {wxMOD_SHIFT, "three Needle"}};
    for (const auto& [modifiers, line] : steps) {
        wxUIActionSimulator().Char(WXK_RETURN, modifiers);
        EXPECT_TRUE(PumpUntil([&, line = line] {
            const TextPos at{PositionOf(line).line, line.find(" ") + 1};
            return Output().SelectionStart() == at && Output().SelectionEnd() == TextPos{at.line, at.column + 6};
        })) << line;
    }
    // A find that scrolled back holds new lines until the user is at the end again.
    for (int i = 0; i < 200; ++i)
        frame_->Output().Print("more hay " + std::to_string(i), kSlotWhite, true);
    NewLines();
    wxUIActionSimulator().Char(WXK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return Output().SelectionStart().line == PositionOf("one needle").line; }));
    wxPoint at;
    EXPECT_TRUE(Output().PointOf(Output().SelectionStart(), at)) << "the match is on screen";
    EXPECT_FALSE(Output().IsAtEnd());
    frame_->Output().Print("held", kSlotWhite, true);
    PumpPending();
    EXPECT_EQ(frame_->Output().QueuedPieces(), 1u);
    wxUIActionSimulator().Char(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !bar.IsShown() && wxWindow::FindFocus() == &frame_->Input(); }));
}

TEST_F(ChatFeaturesTest, AMentionIsTintedAndInTheBackgroundNotifiesOncePerSenderAndCountsInTheTitle)
{
    std::vector<std::string> notes;
    frame_->SetNotifier(
        [&](const wxString& title, const wxString& text) { notes.push_back((title + ": " + text).ToStdString()); });
    EnterArena();
    // In front: tinted, but no notification and no count.
    server_->SendChat(2, kBob, "hello staffer!");
    ASSERT_TRUE(PumpUntil([&] { return !NewLines().empty(); }));
    EXPECT_TRUE(Tinted("hello staffer!"));
    EXPECT_EQ(frame_->GetTitle(), "Quillon");

    Activate(false);
    server_->SendChat(2, kBob, "staffers are busy");          // not the name as a word
    server_->SendChat(0, 0, "Staffer, the arena");            // the server's own lines never count
    server_->SendChat(2, kBob, "Staffer: <b>look</b> & see"); // notifies, its markup shown as text
    server_->SendChat(5, kBob, "psst");                       // a private message counts, not notified again
    server_->SendChat(5, 9, "from Carol");                    // another sender, but within two seconds
    server_->SendChat(7, 0, "(Remote)Staffer hi");            // remote private
    ASSERT_TRUE(PumpUntil([&] { return frame_->GetTitle() == "(4) Quillon"; }));
    ASSERT_TRUE(PumpUntil([&] { return NewLines(), LastLine() == "(Remote)Staffer hi"; }));
    EXPECT_EQ(notes, (std::vector<std::string>{"Bob in Sim Zone: Staffer: &lt;b&gt;look&lt;/b&gt; &amp; see"}));
    EXPECT_FALSE(Tinted("staffers are busy"));
    EXPECT_TRUE(Tinted("psst"));
    Activate(true);
    EXPECT_EQ(frame_->GetTitle(), "Quillon");

    // Ignored players and Notify=0: nothing at all.
    frame_->Client().Ignores().ToggleIgnore("Carol");
    SettingsStore().WriteBool("Window", "Notify", false);
    Activate(false);
    server_->SendChat(5, 9, "ignored");
    server_->SendChat(2, kBob, "Staffer again");
    ASSERT_TRUE(PumpUntil([&] { return NewLines(), LastLine().find("Staffer again") != std::string::npos; }));
    EXPECT_EQ(frame_->GetTitle(), "Quillon");
    EXPECT_EQ(notes.size(), 1u);
}

TEST_F(ChatFeaturesTest, TheSettingsDialogTurnsOnTimestampsAndLimitsTheScrollbackOrRefusesABadNumber)
{
    const std::string before = ReadWholeFile(home_.Path() + ".Quillon");
    ModalScript script;
    wxString refusal;
    auto fill = [&](const char* lines, bool refused) {
        script.ThenWhileShown([&, lines, refused](wxDialog& d) {
            CheckChild(d, CFGDialog::kIdTimestamps).SetValue(true);
            TextChild(d, CFGDialog::kIdScrollback).SetValue(lines);
            ClickChild(d, CFGDialog::kIdOK);
            if (refused) { // the dialog stays open for the fix
                EXPECT_TRUE(PumpUntil([&] { return !refusal.empty(); }));
                EXPECT_TRUE(d.IsModal());
                ClickChild(d, CFGDialog::kIdCancel);
            }
        });
    };
    for (const char* bad : {"many", "-1", "10000001"}) {
        fill(bad, true);
        script.Then([&](wxDialog& box) {
            refusal = dynamic_cast<wxMessageDialog&>(box).GetMessage();
            return int(wxID_OK);
        });
        Command(kIdSettings);
        EXPECT_TRUE(script.Done()) << bad;
        EXPECT_EQ(refusal, "Scrollback lines must be a whole number from 0 (no limit) to 10000000.");
        EXPECT_EQ(ReadWholeFile(home_.Path() + ".Quillon"), before) << bad;
        refusal.clear();
    }
    fill("40", false);
    Command(kIdSettings);
    EXPECT_EQ(SettingsStore().ReadInteger("Window", "ScrollbackLines", 0), 40);

    frame_->Client().Output().ToggleLog("all.log");
    for (int i = 0; i < 100; ++i)
        frame_->Output().Print("line " + std::to_string(i), kSlotGreen, true);
    NewLines();
    EXPECT_LE(Lines().Count(), 40u);
    EXPECT_GE(Lines().Count(), 38u);
    EXPECT_TRUE(std::regex_match(LastLine(), std::regex(R"(\[\d\d:\d\d\] line 99)")));
    const LineStore::Line last = Lines().At(Lines().End() - 1);
    ASSERT_EQ(last.runCount, 2u);
    EXPECT_EQ(last.runs[0].colour, (Rgb{255, 255, 255})) << "the stamp is white";
    EXPECT_EQ(last.runs[1].at, 8u);
    EXPECT_EQ(last.runs[1].colour, (Rgb{0, 255, 0}));
    const std::string log = ReadWholeFile(frame_->Client().Folder().PathOf("Logs/all.log"));
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\r\n\[\d\d:\d\d\] line 0\r\n)")));
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\r\n\[\d\d:\d\d\] line 99\r\n$)")));
}

class WindowGeometryTest : public FrameTest {};

TEST_F(WindowGeometryTest, ThePlaceAndSizeOfTheLastRunComeBackUnlessOffScreenOrTooSmall)
{
    OpenFrame();
    const wxRect opened = frame_->GetRect();
    frame_->SetSize(wxRect(70, 80, 700, 500));
    PumpPending();
    frame_->Close(true);
    PumpPending();
    OpenFrame();
    EXPECT_EQ(frame_->GetRect(), wxRect(70, 80, 700, 500));
    // The output area took the extra width; the user list kept its own.
    EXPECT_GT(frame_->OutputArea().GetSize().x, 400);
    EXPECT_LT(frame_->Users().GetSize().x, 260);
    frame_->Destroy();
    PumpPending();

    SettingsStore settings;
    settings.WriteInteger("Window", "X", 50000);
    settings.WriteInteger("Window", "Width", 300);
    OpenFrame();
    EXPECT_EQ(frame_->GetPosition().x, opened.x);
    EXPECT_EQ(frame_->GetSize(), opened.GetSize()) << "a width too small drops the saved size";
    frame_->Destroy();
    PumpPending();

    // The title bar off the 1280 by 1024 screen but for its first pixels, and a size far beyond it.
    settings.WriteInteger("Window", "X", 1200);
    settings.WriteInteger("Window", "Y", 1000);
    settings.WriteInteger("Window", "Width", 100000);
    settings.WriteInteger("Window", "Height", 100000);
    OpenFrame();
    EXPECT_EQ(frame_->GetPosition(), opened.GetPosition());
    EXPECT_LE(frame_->GetSize().x, 1280);
    EXPECT_LE(frame_->GetSize().y, 1024);
}

} // namespace
