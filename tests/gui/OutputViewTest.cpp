#include "GuiTest.h"

#include "app/ChatFrame.h"
#include "app/WxOutputView.h"
#include "console/ChatOutput.h"

#include <wx/textctrl.h>

#include <string>

namespace {

class OutputViewTest : public FrameTest {
protected:
    void SetUp() override
    {
        OpenFrame();
        DrainOutput(); // the start-up hint
        output_ = &frame_->OutputControl();
        view_ = std::make_unique<WxOutputView>(*output_);
    }

    wxColour ColourAt(long pos) const
    {
        wxTextAttr style;
        EXPECT_TRUE(output_->GetStyle(pos, style));
        return style.GetTextColour();
    }

    // Fills the control well past one screen and lets GTK lay it out.
    void FillLines(int count)
    {
        for (int i = 0; i < count; ++i)
            view_->AppendStyled("\nfiller line " + std::to_string(i), {160, 160, 255});
        PumpPending();
    }

    void ScrollToTop()
    {
        output_->ShowPosition(0);
        ASSERT_TRUE(PumpUntil([&] { return output_->GetScrollPos(wxVERTICAL) == 0; }));
        PumpPending();
    }

    void ScrollToEnd()
    {
        output_->ShowPosition(output_->GetLastPosition());
        ASSERT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); }));
    }

    wxTextCtrl* output_ = nullptr;
    std::unique_ptr<WxOutputView> view_;
};

TEST_F(OutputViewTest, EachPieceKeepsItsColour)
{
    ChatOutput& out = frame_->Output();
    const long start = output_->GetLastPosition();
    out.Print("green", 0);
    out.Print("yellow", 3, true);
    out.Print("orange", 9);
    out.Print("white", 42, true);
    DrainOutput();

    EXPECT_EQ(output_->GetRange(start, output_->GetLastPosition()), "\ngreenyellow\norangewhite");
    // Positions: "\n" at start, then the runs.
    const long green = start + 1, yellow = green + 5, orange = yellow + 7, white = orange + 6;
    EXPECT_EQ(ColourAt(green), wxColour(0, 255, 0));
    EXPECT_EQ(ColourAt(green + 4), wxColour(0, 255, 0));
    EXPECT_EQ(ColourAt(yellow), wxColour(255, 255, 0));
    EXPECT_EQ(ColourAt(yellow + 5), wxColour(255, 255, 0));
    EXPECT_EQ(ColourAt(orange), wxColour(255, 128, 0));
    EXPECT_EQ(ColourAt(white), wxColour(255, 255, 255));
    EXPECT_EQ(ColourAt(white + 4), wxColour(255, 255, 255));

    // A piece with line feeds is several lines in one colour.
    const long multi = output_->GetLastPosition();
    out.Print("one\ntwo", 6, true);
    DrainOutput();
    EXPECT_EQ(output_->GetRange(multi, output_->GetLastPosition()), "\none\ntwo");
    EXPECT_EQ(ColourAt(multi + 1), wxColour(255, 0, 0));
    EXPECT_EQ(ColourAt(multi + 5), wxColour(255, 0, 0));
}

TEST_F(OutputViewTest, ProtocolBytesShowAsWindows1252AndComeBackUnchanged)
{
    const std::string bytes = "caf\xE9 \x80 \x93quoted\x94 \x81";
    const long start = output_->GetLastPosition();
    view_->AppendStyled(bytes, {255, 255, 255});
    EXPECT_EQ(output_->GetRange(start, output_->GetLastPosition()),
              wxString(L"caf\u00E9 \u20AC \u201Cquoted\u201D \u0081"));
    const std::string shown = view_->ShownText();
    ASSERT_GE(shown.size(), bytes.size());
    EXPECT_EQ(shown.substr(shown.size() - bytes.size()), bytes);
}

TEST_F(OutputViewTest, FollowsTheEndWhileTheUserIsThere)
{
    FillLines(200);
    ASSERT_TRUE(PumpUntil([&] { return output_->GetScrollRange(wxVERTICAL) > output_->GetScrollThumb(wxVERTICAL); }));
    // Appending at the end keeps the last line in view, piece after piece.
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); })) << i;
        view_->AppendStyled("\nmore " + std::to_string(i), {0, 255, 0});
    }
    EXPECT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); }));

    // The same while something far above stays selected (the user selected a
    // line, then dragged the scroll bar back down).
    output_->SetSelection(0, 5);
    const wxString selected = output_->GetStringSelection();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); })) << i;
        view_->AppendStyled("\nstill more " + std::to_string(i), {0, 255, 0});
    }
    EXPECT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); }));
    EXPECT_EQ(output_->GetStringSelection(), selected);
}

TEST_F(OutputViewTest, HoldsEverythingWhileScrolledBackAndKeepsTheSelection)
{
    FillLines(200);
    ScrollToTop();
    ASSERT_FALSE(view_->IsAtEnd());
    output_->SetSelection(10, 20);
    const wxString before = output_->GetValue();
    const int scrollPos = output_->GetScrollPos(wxVERTICAL);

    ChatOutput& out = frame_->Output();
    out.Print("held one", 16, true);
    out.Print("held two", 0, true);
    // Many ticks pass; nothing is added and the view does not move.
    wxStopWatch watch;
    while (watch.Time() < 100)
        PumpPending();
    EXPECT_EQ(out.QueuedPieces(), 2u);
    EXPECT_EQ(output_->GetValue(), before);
    EXPECT_EQ(output_->GetScrollPos(wxVERTICAL), scrollPos);

    ScrollToEnd();
    DrainOutput();
    EXPECT_TRUE(output_->GetValue().EndsWith("\nheld one\nheld two"));
    long from = 0, to = 0;
    output_->GetSelection(&from, &to);
    EXPECT_EQ(from, 10);
    EXPECT_EQ(to, 20);
    EXPECT_EQ(output_->GetStringSelection(), before.Mid(10, 10));
}

TEST_F(OutputViewTest, AppendingAtTheEndLeavesASelectionAlone)
{
    const wxString before = output_->GetValue();
    output_->SetSelection(0, 5);
    view_->AppendStyled("\nnew text", {255, 0, 0});
    EXPECT_EQ(output_->GetValue(), before + "\nnew text");
    EXPECT_EQ(output_->GetStringSelection(), before.Left(5));
}

} // namespace
