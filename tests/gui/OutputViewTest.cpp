#include "GuiTest.h"

#include "app/WxOutputView.h"
#include "app/WxText.h"

namespace {

class OutputViewTest : public FrameTest {
protected:
    void SetUp() override
    {
        OpenFrame();
        DrainOutput(); // the start-up hint
        output_ = &frame_->OutputControl();
        view_ = &frame_->OutputView();
    }

    // Fills the control well past one screen and lets GTK lay it out.
    void FillLines()
    {
        for (int i = 0; i < 200; ++i)
            view_->AppendStyled("\nfiller line " + std::to_string(i), {160, 160, 255}, false);
        PumpPending();
    }

    wxTextCtrl* output_ = nullptr;
    WxOutputView* view_ = nullptr;
};

TEST_F(OutputViewTest, EachPieceShowsInItsSlotsColourAndAsWindows1252)
{
    struct Piece {
        std::string text;
        int slot;
        bool endLine;
        wxString shown;
        wxColour colour;
    };
    const std::string bytes = "caf\xE9 \x80 \x93q\x94 \x81";
    const Piece pieces[] = {
        {"green", 0, false, "\ngreen", {0, 255, 0}},
        {"yellow", 3, true, "yellow", {255, 255, 0}},
        // A line break from the server shows as a sign and breaks no line.
        {"one\ntwo", 6, true, L"\none\u00A4two", {255, 0, 0}},
        {bytes, 2, true, L"\ncaf\u00E9 \u20AC \u201Cq\u201D \u0081", {160, 160, 255}},
    };
    for (const Piece& piece : pieces) {
        SCOPED_TRACE(piece.text);
        const long start = output_->GetLastPosition();
        frame_->Output().Print(piece.text, piece.slot, piece.endLine);
        DrainOutput();
        ASSERT_EQ(output_->GetRange(start, output_->GetLastPosition()), piece.shown);
        for (long pos = start; pos < output_->GetLastPosition(); ++pos) {
            wxTextAttr style;
            ASSERT_TRUE(output_->GetStyle(pos, style));
            if (piece.shown[pos - start] != '\n') {
                EXPECT_EQ(style.GetTextColour(), piece.colour) << pos - start;
            }
        }
    }
    // What is shown reads back as the bytes that came in.
    const std::string shown = WxToBytes(output_->GetValue());
    EXPECT_EQ(shown.substr(shown.size() - bytes.size()), bytes);

    // Every slot's colour; anything past the ten is white.
    const wxColour green(0, 255, 0), blue(160, 160, 255), yellow(255, 255, 0), red(255, 0, 0);
    const wxColour bySlot[] = {green, blue, blue, yellow, blue, green, red, green, red, {255, 128, 0}, *wxWHITE};
    for (int slot = 0; slot <= 10; ++slot) {
        const long start = output_->GetLastPosition();
        frame_->Output().Print("slot", slot, true);
        DrainOutput();
        wxTextAttr style;
        ASSERT_TRUE(output_->GetStyle(start + 2, style));
        EXPECT_EQ(style.GetTextColour(), bySlot[slot]) << slot;
    }
}

TEST_F(OutputViewTest, FollowsTheEndEvenWithASelectionFarAbove)
{
    FillLines();
    ASSERT_TRUE(PumpUntil([&] { return output_->GetScrollRange(wxVERTICAL) > output_->GetScrollThumb(wxVERTICAL); }));
    // The user selected a line at the top, then dragged the scroll bar back down.
    output_->SetSelection(0, 5);
    const wxString selected = output_->GetStringSelection();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); })) << i;
        view_->AppendStyled("\nmore " + std::to_string(i), {0, 255, 0}, false);
    }
    EXPECT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); }));
    EXPECT_EQ(output_->GetStringSelection(), selected);
}

TEST_F(OutputViewTest, HoldsEverythingWhileScrolledBackAndKeepsTheSelection)
{
    FillLines();
    output_->ShowPosition(0);
    ASSERT_TRUE(PumpUntil([&] { return output_->GetScrollPos(wxVERTICAL) == 0; }));
    PumpPending();
    ASSERT_FALSE(view_->IsAtEnd());
    output_->SetSelection(10, 20);
    const wxString before = output_->GetValue();

    ChatOutput& out = frame_->Output();
    out.Print("held one", 16, true);
    out.Print("held two", 0, true);
    // Many ticks pass; nothing is added and the view does not move.
    wxStopWatch watch;
    while (watch.Time() < 100)
        PumpPending();
    EXPECT_EQ(out.QueuedPieces(), 2u);
    EXPECT_EQ(output_->GetValue(), before);
    EXPECT_EQ(output_->GetScrollPos(wxVERTICAL), 0);

    output_->ShowPosition(output_->GetLastPosition());
    ASSERT_TRUE(PumpUntil([&] { return view_->IsAtEnd(); }));
    DrainOutput();
    EXPECT_TRUE(output_->GetValue().EndsWith("\nheld one\nheld two"));
    EXPECT_EQ(output_->GetStringSelection(), before.Mid(10, 10));
}

} // namespace
