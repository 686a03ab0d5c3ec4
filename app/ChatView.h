#pragma once

#include "console/LineStore.h"
#include "console/Views.h"

#include <wx/window.h>

#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class wxDC;

// The chat output area: draws the console's lines, decoded from Windows-1252, on
// black, and lays out only the lines on screen. The scroll bar counts lines, not
// wrapped rows, so a font or width change costs what one screen costs, however
// much is kept. Lines wrap at the last space that fits, and a word wider than the
// window breaks at its edge. While the user reads further up the view holds
// still and says it is not at the end, which holds the output queue; back at the
// end it follows new lines again.
//
// Web addresses are underlined; the pointer turns into a hand over them and a
// click (not a drag) opens one in the browser. Dragging selects, a double click
// selects a word, Shift+click extends; Ctrl+C and the context menu copy.
class ChatView : public wxWindow, public OutputView {
public:
    using LinkOpener = std::function<void(const wxString& address)>;
    static constexpr int kMargin = 3;
    enum : int { kIdCopy = 120, kIdSelectAll = 121 };

    ChatView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // The lines to draw; set once the console exists.
    void SetLines(const LineStore& lines);
    const LineStore* Lines() const { return lines_; }

    // OutputView: the console has added to or trimmed the lines.
    void AppendStyled(const std::string& text, Rgb colour, bool marked) override;
    bool IsAtEnd() const override { return following_; }
    void RemoveFirst(size_t characters) override;

    bool SetFont(const wxFont& font) override;
    bool AcceptsFocus() const override { return true; }

    // The selection, from its start to its end (equal when there is none).
    TextPos SelectionStart() const { return std::min(anchor_, caret_); }
    TextPos SelectionEnd() const { return std::max(anchor_, caret_); }
    bool HasSelection() const { return anchor_ != caret_; }
    void Select(TextPos from, TextPos to);
    void SelectAll();
    wxString SelectedText() const;
    // To the clipboard, or on X11 to the primary selection that a middle click pastes.
    void CopySelection(bool primary = false) const;

    // Scrolling. ShowPosition brings a line into view (an ordinary scroll back,
    // so the output holds while it is above the end).
    void ShowPosition(TextPos pos);
    void ScrollRows(long rows);
    void ScrollToStart();
    void ScrollToEnd();
    uint64_t TopLine()
    {
        Settle();
        return topLine_;
    }

    // Where a place of the text is drawn (its row's top left), and the place
    // under a point; false when the place is not on screen or the point is past
    // the text.
    bool PointOf(TextPos pos, wxPoint& point);
    bool PositionAt(const wxPoint& point, TextPos& pos);
    int RowHeight() const { return rowHeight_; }
    // Draws what is on screen, as a paint does.
    void Draw(wxDC& dc);
    // The web address at a place of the text, or an empty text.
    wxString LinkAt(TextPos pos) const;
    void SetLinkOpener(LinkOpener opener) { opener_ = std::move(opener); }
    // The last line, as a screen reader is given it.
    wxString NewestLine() const;
    // Whether the pointer shows the hand of a link.
    bool PointingAtLink() const { return overLink_; }

private:
    // A line cut into rows that fit the width: where each row starts.
    using Rows = std::vector<uint32_t>;
    struct Wrapped {
        size_t length = 0; // the line's length when it was wrapped (the last line grows)
        Rows rows;
    };

    void MeasureFont();
    const Rows& RowsOf(uint64_t line) const;
    void Wrap(std::string_view text, Rows& rows) const;
    int TextWidth() const;
    int VisibleRows() const;
    // Whether the rows from the top row to the last line's end all fit on screen.
    bool EndInView() const;
    void AnchorAtEnd();
    // Brings the top row and the scroll bar up to date with the lines.
    void Settle();
    void Changed();
    void UpdateScrollBar();
    TextPos WordAround(TextPos pos, TextPos& end) const;

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnKeyDown(wxKeyEvent& event);

    const LineStore* lines_ = nullptr;
    LinkOpener opener_;
    std::array<int, 256> charWidth_{};
    int rowHeight_ = 16;
    int ascent_ = 12;
    // The first row on screen: a line and a row of it.
    uint64_t topLine_ = 0;
    size_t topRow_ = 0;
    bool following_ = true;
    bool layoutDue_ = true;
    int wheelRest_ = 0;
    TextPos anchor_;
    TextPos caret_;
    bool dragging_ = false;
    bool overLink_ = false;
    mutable std::unordered_map<uint64_t, Wrapped> wrapped_;
    mutable int wrappedWidth_ = -1;
};
