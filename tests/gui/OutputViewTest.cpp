// The output area as the user meets it: what it draws, the mouse and the keys.
#include "GuiTest.h"

#include "app/FontSelection.h"
#include "app/UserList.h"

#include <wx/clipbrd.h>
#include <wx/dcmemory.h>

namespace {

class OutputViewTest : public FrameTest {
protected:
    void SetUp() override
    {
        OpenFrame();
        DrainOutput(); // the start-up hint
        view_ = &frame_->OutputArea();
    }

    ChatOutput& Out() { return frame_->Output(); }
    const LineStore& Lines() { return Out().Lines(); }

    void Fill(int count, const std::string& text = "filler line ")
    {
        for (int i = 0; i < count; ++i)
            Out().Print(text + std::to_string(i), 1, true);
        DrainOutput();
        PumpPending();
    }
    // The last line that holds `text`.
    uint64_t LineWith(const std::string& text)
    {
        for (uint64_t n = Lines().End(); n-- > Lines().First();)
            if (Lines().At(n).text.find(text) != std::string_view::npos)
                return n;
        ADD_FAILURE() << "no line holds " << text;
        return 0;
    }
    TextPos PosOf(const std::string& text)
    {
        const uint64_t line = LineWith(text);
        return TextPos{line, Lines().At(line).text.find(text)};
    }

    // The view drawn as a paint draws it.
    wxImage Picture()
    {
        wxBitmap bitmap(view_->GetClientSize());
        wxMemoryDC dc(bitmap);
        view_->Draw(dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }
    static int Count(const wxImage& image, const wxRect& area, const wxColour& colour)
    {
        int count = 0;
        const wxRect inside = area.Intersect(wxRect(0, 0, image.GetWidth(), image.GetHeight()));
        for (int y = inside.y; y < inside.GetBottom() + 1; ++y)
            for (int x = inside.x; x < inside.GetRight() + 1; ++x)
                count += image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
                         image.GetBlue(x, y) == colour.Blue();
        return count;
    }
    // The row on screen where `pos` is drawn.
    wxRect RowAt(TextPos pos)
    {
        wxPoint at;
        EXPECT_TRUE(view_->PointOf(pos, at));
        return wxRect(0, at.y, view_->GetClientSize().x, view_->RowHeight());
    }
    // The screen point inside the character at `pos`.
    wxPoint ScreenAt(TextPos pos)
    {
        wxPoint at;
        EXPECT_TRUE(view_->PointOf(pos, at));
        return view_->ClientToScreen(at + wxPoint(1, view_->RowHeight() / 2));
    }
    void PointerTo(const wxPoint& screen)
    {
        frame_->Raise();
        wxUIActionSimulator().MouseMove(screen);
        PumpPending();
    }
    void Click(TextPos pos, int modifiers = 0)
    {
        PointerTo(ScreenAt(pos));
        wxUIActionSimulator sim;
        if (modifiers & wxMOD_SHIFT)
            sim.KeyDown(WXK_SHIFT);
        sim.MouseClick();
        if (modifiers & wxMOD_SHIFT)
            sim.KeyUp(WXK_SHIFT);
        PumpPending();
    }
    void Wheel(int rotation)
    {
        wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
        wheel.m_wheelRotation = rotation;
        wheel.m_wheelDelta = 120;
        wheel.m_linesPerAction = 3;
        wheel.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
        view_->GetEventHandler()->ProcessEvent(wheel);
        PumpPending();
    }
    void Key(int key, int modifiers = 0)
    {
        wxUIActionSimulator().Char(key, modifiers);
        PumpPending();
    }
    std::string Clipboard()
    {
        wxTextDataObject data;
        if (!wxTheClipboard->Open())
            return "(closed)";
        wxTheClipboard->GetData(data);
        wxTheClipboard->Close();
        return data.GetText().ToStdString(wxConvUTF8);
    }

    ChatView* view_ = nullptr;
};

TEST_F(OutputViewTest, EachSlotDrawsInItsColourOnBlackWithTheMentionBandAndUnderlinedLinks)
{
    const wxColour green(0, 255, 0), blue(160, 160, 255), yellow(255, 255, 0), red(255, 0, 0);
    const wxColour bySlot[] = {green, blue, blue, yellow, blue, green, red, green, red, {255, 128, 0}, *wxWHITE};
    for (int slot = 0; slot <= 10; ++slot)
        Out().Print("WWW slot " + std::to_string(slot) + ".", slot, true);
    Out().MarkLine();
    Out().Print("a line that names the user", kSlotGreen, true);
    Out().Print("see https://example.org/page now", kSlotWhite, true);
    Out().Print("caf\xE9 \x80 \x93q\x94", 1, true);
    DrainOutput();
    PumpPending();

    const wxImage picture = Picture();
    for (int slot = 0; slot <= 10; ++slot) {
        const wxRect row = RowAt(PosOf("WWW slot " + std::to_string(slot) + "."));
        EXPECT_GT(Count(picture, row, bySlot[slot]), 20) << slot;
        for (const wxColour& other : {green, blue, yellow, red}) {
            if (other != bySlot[slot]) {
                EXPECT_EQ(Count(picture, row, other), 0) << slot;
            }
        }
    }
    // The band runs the whole width behind the line; the line before has none.
    const wxColour band(40, 40, 96);
    const wxRect marked = RowAt(PosOf("names the user"));
    EXPECT_GT(Count(picture, wxRect(marked.GetRight() - 30, marked.y, 20, marked.height), band),
              20 * marked.height - 1);
    EXPECT_EQ(Count(picture, RowAt(PosOf("WWW slot 10")), band), 0);
    // The address is underlined in its colour: one unbroken stroke under it, none under the rest.
    const TextPos link = PosOf("https://");
    const wxRect linkRow = RowAt(link);
    wxPoint from, to, after;
    ASSERT_TRUE(view_->PointOf(link, from));
    ASSERT_TRUE(view_->PointOf(TextPos{link.line, link.column + 24}, to));
    ASSERT_TRUE(view_->PointOf(TextPos{link.line, link.column + 28}, after));
    int longestStroke = 0;
    for (int y = linkRow.y + linkRow.height / 2; y < linkRow.GetBottom() + 1; ++y)
        longestStroke = std::max(longestStroke, Count(picture, wxRect(from.x, y, to.x - from.x, 1), *wxWHITE));
    EXPECT_GE(longestStroke, to.x - from.x - 1);
    EXPECT_EQ(Count(picture, wxRect(to.x + 2, linkRow.GetBottom() - 2, after.x - to.x, 3), *wxWHITE), 0);

    // The bytes stay as they came; a copy decodes them from Windows-1252.
    const TextPos cafe = PosOf("caf");
    EXPECT_EQ(Lines().At(cafe.line).text, "caf\xE9 \x80 \x93q\x94");
    view_->Select(cafe, TextPos{cafe.line, 10});
    EXPECT_EQ(view_->SelectedText(), wxString(L"caf\u00E9 \u20AC \u201Cq\u201D"));
}

TEST_F(OutputViewTest, DraggingSelectsADoubleClickTakesAWordShiftExtendsAndCtrlCCopies)
{
    Out().Print("alpha bravo charlie delta", kSlotWhite, true);
    Out().Print("echo foxtrot golf", kSlotWhite, true);
    DrainOutput();
    PumpPending();
    const TextPos bravo = PosOf("bravo");
    const TextPos golf = PosOf("golf");

    // Press on "bravo", drag to "golf", let go.
    PointerTo(ScreenAt(bravo));
    wxUIActionSimulator sim;
    sim.MouseDown();
    PumpPending();
    PointerTo(ScreenAt(PosOf("echo")));
    PointerTo(ScreenAt(golf) - wxPoint(1, 0));
    sim.MouseUp();
    PumpPending();
    EXPECT_EQ(view_->SelectedText(), "bravo charlie delta\necho foxtrot ");
    EXPECT_EQ(wxWindow::FindFocus(), view_) << "a click in the output gives it the keys";
    Key('c', wxMOD_CONTROL);
    EXPECT_EQ(Clipboard(), "bravo charlie delta\necho foxtrot ");

    PointerTo(ScreenAt(PosOf("charlie")));
    sim.MouseDblClick();
    PumpPending();
    EXPECT_EQ(view_->SelectedText(), "charlie");
    Click(PosOf("foxtrot"), wxMOD_SHIFT);
    EXPECT_EQ(view_->SelectedText(), "charlie delta\necho ");

    // The context menu's commands.
    wxCommandEvent selectAll(wxEVT_MENU, ChatView::kIdSelectAll);
    view_->GetEventHandler()->ProcessEvent(selectAll);
    EXPECT_EQ(view_->SelectedText(), wxString(Out().Shown()));
    Click(bravo);
    EXPECT_FALSE(view_->HasSelection()) << "a click without a drag selects nothing";
}

TEST_F(OutputViewTest, AClickOpensAWebAddressAndNothingElseDoesNotADragNorOtherSchemes)
{
    std::vector<std::string> opened;
    view_->SetLinkOpener([&](const wxString& address) { opened.push_back(address.ToStdString()); });
    Out().Print("see https://example.org/a?b=1, or ftp://example.org/x", kSlotWhite, true);
    Out().Print("javascript:alert(1) and http:// and HTTP://Example.org", kSlotWhite, true);
    DrainOutput();
    PumpPending();

    PointerTo(ScreenAt(PosOf("example.org/a")));
    EXPECT_TRUE(PumpUntil([&] { return view_->PointingAtLink(); }));
    Click(PosOf("example.org/a"));
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/a?b=1"});
    PointerTo(ScreenAt(PosOf("or ftp")));
    EXPECT_TRUE(PumpUntil([&] { return !view_->PointingAtLink(); }));
    for (const char* text : {"ftp://", "javascript:", "http:// and"})
        Click(PosOf(text));
    // A drag that starts on an address selects; it opens nothing.
    PointerTo(ScreenAt(PosOf("Example.org")));
    wxUIActionSimulator sim;
    sim.MouseDown();
    PointerTo(ScreenAt(PosOf("Example.org")) + wxPoint(30, 0));
    sim.MouseUp();
    PumpPending();
    EXPECT_TRUE(view_->HasSelection());
    Click(PosOf("le.org")); // away from the drag's start: not a double click
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/a?b=1", "HTTP://Example.org"}));
}

TEST_F(OutputViewTest, WheelKeysAndBarScrollWhileNewLinesWaitUntilTheUserIsBackAtTheEnd)
{
    Fill(300);
    ASSERT_TRUE(view_->IsAtEnd());
    view_->Update();
    EXPECT_EQ(view_->GetScrollRange(wxVERTICAL), int(Lines().Count()));
    const uint64_t bottomTop = view_->TopLine();
    PointerTo(view_->GetScreenRect().GetPosition() + wxPoint(20, 20));

    Wheel(120); // one notch up: three rows
    EXPECT_EQ(view_->TopLine(), bottomTop - 3);
    EXPECT_FALSE(view_->IsAtEnd());
    const wxString before = wxString(Out().Shown());
    Out().Print("held one", kSlotWhite, true);
    Out().Print("held two", kSlotWhite, true);
    for (int i = 0; i < 20; ++i)
        PumpPending();
    EXPECT_EQ(Out().QueuedPieces(), 2u);
    EXPECT_EQ(view_->TopLine(), bottomTop - 3);

    // With the keys in the output: Page Up and Down, Ctrl+Home and Ctrl+End.
    Click(TextPos{view_->TopLine(), 0});
    ASSERT_EQ(wxWindow::FindFocus(), view_);
    const long page = view_->GetClientSize().y / view_->RowHeight() - 1;
    Key(WXK_PAGEUP);
    EXPECT_EQ(view_->TopLine(), bottomTop - 3 - page);
    Key(WXK_HOME, wxMOD_CONTROL);
    EXPECT_EQ(view_->TopLine(), Lines().First());
    EXPECT_EQ(view_->GetScrollPos(wxVERTICAL), 0);
    // The row below the last whole one but one becomes the top row.
    TextPos pageBelow;
    view_->PositionAt(wxPoint(5, int(page) * view_->RowHeight() + 1), pageBelow);
    Key(WXK_PAGEDOWN);
    EXPECT_EQ(view_->TopLine(), pageBelow.line);
    // The bar's thumb, dragged to line 100.
    wxScrollWinEvent thumb(wxEVT_SCROLLWIN_THUMBTRACK, 100, wxVERTICAL);
    view_->GetEventHandler()->ProcessEvent(thumb);
    EXPECT_EQ(view_->TopLine(), Lines().First() + 100);
    EXPECT_EQ(Out().QueuedPieces(), 2u) << "nothing moved while reading";

    Key(WXK_END, wxMOD_CONTROL);
    EXPECT_TRUE(view_->IsAtEnd());
    DrainOutput();
    EXPECT_EQ(wxString(Out().Shown()), before + "\nheld one\nheld two");
    Wheel(-120 * 5); // down past the end stays at the end
    EXPECT_TRUE(view_->IsAtEnd());
}

TEST_F(OutputViewTest, AtTheEndItFollowsNewLinesAndTrimmingKeepsTheSelectionInPlace)
{
    Out().SetScrollback(100);
    Fill(90, "early ");
    const TextPos early = PosOf("early 85");
    view_->Select(early, TextPos{early.line, 8});
    for (int i = 0; i < 200; ++i)
        Out().Print("more " + std::to_string(i), kSlotGreen, true);
    DrainOutput();
    PumpPending();
    EXPECT_TRUE(view_->IsAtEnd());
    EXPECT_LE(Lines().Count(), 100u);
    wxPoint last;
    EXPECT_TRUE(view_->PointOf(PosOf("more 199"), last)) << "the newest line is on screen";
    EXPECT_FALSE(view_->HasSelection()) << "its line was let go";

    const TextPos kept = PosOf("more 190");
    view_->Select(kept, TextPos{kept.line, 8});
    Out().Print("more 200", kSlotGreen, true);
    for (int i = 201; i < 240; ++i)
        Out().Print("more " + std::to_string(i), kSlotGreen, true);
    DrainOutput();
    EXPECT_EQ(view_->SelectedText(), "more 190");
    EXPECT_TRUE(view_->IsAtEnd());
}

TEST_F(OutputViewTest, AWordWiderThanTheWindowBreaksAtItsEdgeAndAFontChangeKeepsLinesAndColours)
{
    // 512 KiB without a space, between two short lines.
    Out().Print("before", 3, true);
    Out().Print(std::string(512 * 1024, 'x'), kSlotGreen, true);
    Out().Print("after", 3, true);
    DrainOutput();
    PumpPending();
    const uint64_t word = LineWith("xxxx");
    view_->ShowPosition(TextPos{word, 0});
    wxPoint first, edge, next;
    ASSERT_TRUE(view_->PointOf(TextPos{word, 0}, first));
    const int width = view_->GetClientSize().x - 2 * ChatView::kMargin;
    int perRow = 1;
    for (wxPoint at; view_->PointOf(TextPos{word, size_t(perRow)}, at) && at.y == first.y;)
        ++perRow;
    ASSERT_TRUE(view_->PointOf(TextPos{word, size_t(perRow - 1)}, edge));
    ASSERT_TRUE(view_->PointOf(TextPos{word, size_t(perRow)}, next));
    const int charWidth = (edge.x - first.x) / (perRow - 1);
    EXPECT_EQ(next, wxPoint(ChatView::kMargin, first.y + view_->RowHeight()));
    EXPECT_LE(perRow * charWidth, width) << "the row fits";
    EXPECT_GT((perRow + 1) * charWidth, width) << "and is full";
    // Words wrap whole: every row of a line of words starts with a word, the space left behind.
    std::string words;
    for (int i = 0; i < 40; ++i)
        words += "alpha bravo charlie ";
    view_->ScrollToEnd(); // back at the end, the held lines come
    Out().Print(words, kSlotGreen, true);
    DrainOutput();
    view_->ShowPosition(PosOf("alpha bravo"));
    const uint64_t wordsLine = LineWith("alpha bravo");
    int rowsSeen = 1;
    wxPoint previous;
    ASSERT_TRUE(view_->PointOf(TextPos{wordsLine, 0}, previous));
    for (size_t column = 1; column < 300; ++column) {
        wxPoint at;
        ASSERT_TRUE(view_->PointOf(TextPos{wordsLine, column}, at)) << column;
        if (at.y != previous.y) {
            ++rowsSeen;
            EXPECT_EQ(words[column - 1], ' ') << column;
            EXPECT_NE(words[column], ' ') << column;
            EXPECT_EQ(at.x, ChatView::kMargin);
        }
        previous = at;
    }
    EXPECT_GT(rowsSeen, 2);
    view_->ShowPosition(TextPos{word, 0});

    // Its rows scroll by like lines of their own.
    view_->ScrollRows(50);
    EXPECT_EQ(view_->TopLine(), word);
    EXPECT_FALSE(view_->PointOf(TextPos{word, 0}, first));
    EXPECT_TRUE(view_->PointOf(TextPos{word, size_t(perRow * 52)}, first));

    // A larger font: the same lines, each in its colour, in taller rows; the bar still counts lines.
    view_->ScrollToEnd();
    PumpPending();
    const int rowHeight = view_->RowHeight();
    const int range = view_->GetScrollRange(wxVERTICAL);
    wxFont larger = view_->GetFont();
    larger.SetPointSize(larger.GetPointSize() + 6);
    ApplyChatFont(ChatFontTargets{*view_, frame_->Input(), frame_->Users()}, larger);
    PumpPending();
    EXPECT_GT(view_->RowHeight(), rowHeight);
    EXPECT_EQ(view_->GetScrollRange(wxVERTICAL), range);
    EXPECT_TRUE(view_->IsAtEnd());
    const wxImage picture = Picture();
    EXPECT_GT(Count(picture, RowAt(TextPos{wordsLine, words.size() - 3}), wxColour(0, 255, 0)), 20);
    EXPECT_EQ(ChatFontInForce(*view_).GetPointSize(), larger.GetPointSize());
}

} // namespace
