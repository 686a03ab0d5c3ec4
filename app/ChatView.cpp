#include "app/ChatView.h"

#include "app/WxText.h"
#include "console/Links.h"
#include "zone/Names.h"

#include <wx/clipbrd.h>
#include <wx/dcbuffer.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/utils.h>

#if wxUSE_ACCESSIBILITY
#include <wx/access.h>
#endif

#include <algorithm>
#include <cctype>

namespace {

constexpr size_t kMostLinesWrapped = 1024; // the wrap cache starts over past this
const wxColour kBackground(0, 0, 0);

bool WordByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) != 0 || byte == '_' || (byte >= 0xC0 && byte != 0xD7 && byte != 0xF7);
}

// The links of a line, found when it is drawn: the store keeps only the text.
std::vector<std::pair<size_t, size_t>> LinksOf(std::string_view text)
{
    const std::string line(text);
    if (FindNoCase(line, "http", 0) == std::string::npos)
        return {};
    return FindLinks(line);
}

#if wxUSE_ACCESSIBILITY
// What a screen reader gets where the toolkit allows it (Windows): the area's name,
// its role as text, and the newest line as its value, announced as it changes.
class ChatViewAccessible : public wxWindowAccessible {
public:
    explicit ChatViewAccessible(ChatView* view) : wxWindowAccessible(view), view_(view) {}
    wxAccStatus GetName(int childId, wxString* name) override
    {
        if (childId != wxACC_SELF)
            return wxACC_NOT_IMPLEMENTED;
        *name = "Chat output";
        return wxACC_OK;
    }
    wxAccStatus GetRole(int childId, wxAccRole* role) override
    {
        if (childId != wxACC_SELF)
            return wxACC_NOT_IMPLEMENTED;
        *role = wxROLE_SYSTEM_TEXT;
        return wxACC_OK;
    }
    wxAccStatus GetValue(int childId, wxString* value) override
    {
        if (childId != wxACC_SELF)
            return wxACC_NOT_IMPLEMENTED;
        *value = view_->NewestLine();
        return wxACC_OK;
    }

private:
    ChatView* view_;
};
#endif

} // namespace

ChatView::ChatView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, id, pos, size, wxVSCROLL | wxALWAYS_SHOW_SB | wxWANTS_CHARS | wxBORDER_SUNKEN, "text"),
      opener_([](const wxString& address) { wxLaunchDefaultBrowser(address); })
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(kBackground);
    SetCursor(wxCursor(wxCURSOR_IBEAM));
    MeasureFont();
    Bind(wxEVT_PAINT, &ChatView::OnPaint, this);
    Bind(wxEVT_SIZE, &ChatView::OnSize, this);
    for (const auto type :
         {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
          wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
        Bind(type, &ChatView::OnScroll, this);
    Bind(wxEVT_MOUSEWHEEL, &ChatView::OnWheel, this);
    Bind(wxEVT_LEFT_DOWN, &ChatView::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &ChatView::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, &ChatView::OnDoubleClick, this);
    Bind(wxEVT_MOTION, &ChatView::OnMotion, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &ChatView::OnCaptureLost, this);
    Bind(wxEVT_CONTEXT_MENU, &ChatView::OnContextMenu, this);
    Bind(wxEVT_KEY_DOWN, &ChatView::OnKeyDown, this);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CopySelection(); }, kIdCopy);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { SelectAll(); }, kIdSelectAll);
}

void ChatView::SetLines(const LineStore& lines)
{
    lines_ = &lines;
    topLine_ = lines.First();
    anchor_ = caret_ = TextPos{lines.First(), 0};
    wrapped_.clear();
    following_ = true;
    Changed();
}

// --- what the console tells -------------------------------------------------------

void ChatView::AppendStyled(const std::string&, Rgb, bool)
{
    // Laid out when drawn: a burst of lines costs one layout of the screen.
    layoutDue_ = true;
    Refresh();
}

void ChatView::RemoveFirst(size_t)
{
    const TextPos first{lines_->First(), 0};
    if (topLine_ < first.line) {
        topLine_ = first.line;
        topRow_ = 0;
    }
    anchor_ = std::max(anchor_, first);
    caret_ = std::max(caret_, first);
    Changed();
}

// --- layout -------------------------------------------------------------------------

bool ChatView::SetFont(const wxFont& font)
{
    if (!wxWindow::SetFont(font))
        return false;
    MeasureFont();
    wrapped_.clear();
    topRow_ = 0;
    Changed();
    return true;
}

// Every byte's width in the font, so that wrapping a line is a sum, linear in its
// length, with no call into the toolkit per line.
void ChatView::MeasureFont()
{
    const wxFont font = GetFont();
    for (int byte = 0; byte < 256; ++byte) {
        const char shown = byte < 0x20 ? char(0xA4) : char(byte);
        int width = 0;
        int height = 0;
        GetTextExtent(BytesToWx(std::string(1, shown)), &width, &height, nullptr, nullptr, &font);
        charWidth_[size_t(byte)] = std::max(1, width);
    }
    int width = 0, height = 0, descent = 0;
    GetTextExtent("Xg", &width, &height, &descent, nullptr, &font);
    rowHeight_ = std::max(1, height);
    ascent_ = height - descent;
    wrappedWidth_ = -1;
}

int ChatView::TextWidth() const { return std::max(1, GetClientSize().x - 2 * kMargin); }

int ChatView::VisibleRows() const { return std::max(1, GetClientSize().y / rowHeight_); }

// Greedy: a row ends at the last space that fits (the space stays on it), or,
// in a word wider than the window, at the window's edge.
void ChatView::Wrap(std::string_view text, Rows& rows) const
{
    const int width = TextWidth();
    rows.assign(1, 0);
    size_t rowStart = 0;
    size_t afterSpace = 0; // where the row could break, 0: nowhere yet
    int x = 0;
    int xAfterSpace = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int w = charWidth_[static_cast<unsigned char>(text[i])];
        if (text[i] == ' ') { // may hang over the edge
            x += w;
            afterSpace = i + 1;
            xAfterSpace = x;
            continue;
        }
        if (x + w > width && i > rowStart) {
            if (afterSpace > rowStart && x - xAfterSpace + w <= width) { // the word goes down whole
                rowStart = afterSpace;
                x -= xAfterSpace;
            } else { // too wide for a row of its own: broken at the edge
                rowStart = i;
                x = 0;
            }
            rows.push_back(uint32_t(rowStart));
            afterSpace = 0;
        }
        x += w;
    }
}

const ChatView::Rows& ChatView::RowsOf(uint64_t line) const
{
    const int width = TextWidth();
    if (width != wrappedWidth_ || wrapped_.size() >= kMostLinesWrapped) {
        wrapped_.clear();
        wrappedWidth_ = width;
    }
    const std::string_view text = lines_->At(line).text;
    Wrapped& wrapped = wrapped_[line];
    if (wrapped.rows.empty() || wrapped.length != text.size()) {
        Wrap(text, wrapped.rows);
        wrapped.length = text.size();
    }
    return wrapped.rows;
}

bool ChatView::EndInView() const
{
    long room = VisibleRows();
    for (uint64_t line = topLine_; line < lines_->End(); ++line) {
        room -= long(RowsOf(line).size()) - long(line == topLine_ ? topRow_ : 0);
        if (room < 0)
            return false;
    }
    return true;
}

void ChatView::AnchorAtEnd()
{
    topLine_ = lines_->First();
    topRow_ = 0;
    size_t room = size_t(VisibleRows());
    for (uint64_t line = lines_->End(); line-- > lines_->First();) {
        const size_t rows = RowsOf(line).size();
        if (rows >= room) {
            topLine_ = line;
            topRow_ = rows - room;
            return;
        }
        room -= rows;
    }
}

void ChatView::Settle()
{
    if (!layoutDue_ || lines_ == nullptr)
        return;
    layoutDue_ = false;
    topLine_ = std::max(topLine_, lines_->First());
    if (following_)
        AnchorAtEnd();
    UpdateScrollBar();
#if wxUSE_ACCESSIBILITY
    wxAccessible::NotifyEvent(wxACC_EVENT_OBJECT_VALUECHANGE, this, wxOBJID_CLIENT, wxACC_SELF);
#endif
}

void ChatView::Changed()
{
    layoutDue_ = true;
    Refresh();
}

// The bar counts lines: its thumb is the lines that start on screen.
void ChatView::UpdateScrollBar()
{
    const long count = long(lines_->Count());
    long onScreen = 0;
    long room = VisibleRows();
    for (uint64_t line = topLine_; line < lines_->End() && room > 0; ++line, ++onScreen)
        room -= long(RowsOf(line).size()) - long(line == topLine_ ? topRow_ : 0);
    const long position = following_ ? count - onScreen : long(topLine_ - lines_->First());
    SetScrollbar(wxVERTICAL, int(position), int(std::max(1L, onScreen)), int(count));
}

// --- scrolling ----------------------------------------------------------------------

void ChatView::ScrollRows(long rows)
{
    Settle();
    if (lines_ == nullptr || lines_->Empty())
        return;
    for (; rows < 0; ++rows) {
        if (topRow_ > 0)
            --topRow_;
        else if (topLine_ > lines_->First())
            topRow_ = RowsOf(--topLine_).size() - 1;
        else
            break;
    }
    for (; rows > 0 && !EndInView(); --rows) {
        if (topRow_ + 1 < RowsOf(topLine_).size())
            ++topRow_;
        else if (topLine_ + 1 < lines_->End()) {
            ++topLine_;
            topRow_ = 0;
        }
    }
    following_ = EndInView();
    Changed();
}

void ChatView::ScrollToStart()
{
    Settle();
    if (lines_ == nullptr)
        return;
    topLine_ = lines_->First();
    topRow_ = 0;
    following_ = EndInView();
    Changed();
}

void ChatView::ScrollToEnd()
{
    following_ = true;
    Changed();
}

void ChatView::ShowPosition(TextPos pos)
{
    if (lines_ == nullptr || lines_->Empty())
        return;
    wxPoint point;
    if (PointOf(pos, point) && point.y + rowHeight_ <= GetClientSize().y)
        return;
    pos = std::min(std::max(pos, TextPos{lines_->First(), 0}), lines_->EndPos());
    const Rows& rows = RowsOf(pos.line);
    topLine_ = pos.line;
    topRow_ = size_t(std::upper_bound(rows.begin(), rows.end(), uint32_t(pos.column)) - rows.begin()) - 1;
    following_ = false;
    ScrollRows(-std::min(2L, long(VisibleRows() / 3))); // a little of what came before
}

// --- drawing ------------------------------------------------------------------------

void ChatView::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    Draw(dc);
}

void ChatView::Draw(wxDC& dc)
{
    Settle();
    dc.SetBackground(wxBrush(kBackground));
    dc.Clear();
    if (lines_ == nullptr)
        return;
    dc.SetFont(GetFont());
    dc.SetBackgroundMode(wxTRANSPARENT);
    const wxSize size = GetClientSize();
    const Rgb tint = Colours::kMentionTint;
    const wxColour band(tint.r, tint.g, tint.b);
    const wxColour selectedBack = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    const wxColour selectedText = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    const TextPos selFrom = SelectionStart();
    const TextPos selTo = SelectionEnd();

    int y = 0;
    size_t row = topRow_;
    for (uint64_t number = topLine_; number < lines_->End() && y < size.y; ++number, row = 0) {
        const LineStore::Line line = lines_->At(number);
        const Rows& rows = RowsOf(number);
        const auto links = LinksOf(line.text);
        // The selected columns of this line, [from, to).
        const size_t from = number < selFrom.line ? 0 : number == selFrom.line ? selFrom.column : line.text.size();
        const size_t to = number < selTo.line ? line.text.size() : number == selTo.line ? selTo.column : 0;
        size_t run = 0;
        for (; row < rows.size() && y < size.y; ++row, y += rowHeight_) {
            if (line.marked) {
                dc.SetPen(*wxTRANSPARENT_PEN);
                dc.SetBrush(wxBrush(band));
                dc.DrawRectangle(0, y, size.x, rowHeight_);
            }
            const size_t end = row + 1 < rows.size() ? rows[row + 1] : line.text.size();
            int x = kMargin;
            for (size_t at = rows[row]; at < end;) {
                while (run + 1 < line.runCount && line.runs[run + 1].at <= at)
                    ++run;
                size_t next = end;
                if (run + 1 < line.runCount)
                    next = std::min<size_t>(next, line.runs[run + 1].at);
                const bool selected = at >= from && at < to;
                next = std::min(next, at < from ? from : selected ? to : next);
                bool linked = false;
                for (const auto& [linkAt, length] : links) {
                    if (at >= linkAt && at < linkAt + length) {
                        linked = true;
                        next = std::min(next, linkAt + length);
                    } else if (linkAt > at) {
                        next = std::min(next, linkAt);
                    }
                }
                const std::string_view piece = line.text.substr(at, next - at);
                int width = 0;
                for (char c : piece)
                    width += charWidth_[static_cast<unsigned char>(c)];
                const Rgb rgb = line.runCount > 0 ? line.runs[run].colour : Colours::kWhite;
                wxColour colour(rgb.r, rgb.g, rgb.b);
                if (selected) {
                    dc.SetPen(*wxTRANSPARENT_PEN);
                    dc.SetBrush(wxBrush(selectedBack));
                    dc.DrawRectangle(x, y, width, rowHeight_);
                    colour = selectedText;
                }
                dc.SetTextForeground(colour);
                dc.DrawText(BytesToWx(std::string(piece)), x, y);
                if (linked) {
                    dc.SetPen(wxPen(colour));
                    dc.DrawLine(x, y + ascent_ + 1, x + width, y + ascent_ + 1);
                }
                x += width;
                at = next;
            }
        }
    }
}

bool ChatView::PointOf(TextPos pos, wxPoint& point)
{
    Settle();
    if (lines_ == nullptr || pos.line < topLine_ || pos.line >= lines_->End())
        return false;
    int y = -int(topRow_) * rowHeight_;
    for (uint64_t number = topLine_; number < pos.line; ++number) {
        y += int(RowsOf(number).size()) * rowHeight_;
        if (y >= GetClientSize().y)
            return false;
    }
    const std::string_view text = lines_->At(pos.line).text;
    const Rows& rows = RowsOf(pos.line);
    const size_t column = std::min(pos.column, text.size());
    const size_t row = size_t(std::upper_bound(rows.begin(), rows.end(), uint32_t(column)) - rows.begin()) - 1;
    y += int(row) * rowHeight_;
    int x = kMargin;
    for (size_t i = rows[row]; i < column; ++i)
        x += charWidth_[static_cast<unsigned char>(text[i])];
    point = wxPoint(x, y);
    return y >= 0 && y < GetClientSize().y;
}

bool ChatView::PositionAt(const wxPoint& point, TextPos& pos)
{
    Settle();
    if (lines_ == nullptr || lines_->Empty())
        return false;
    if (point.y < 0) {
        pos = TextPos{topLine_, RowsOf(topLine_)[topRow_]};
        return false;
    }
    uint64_t number = topLine_;
    size_t row = topRow_ + size_t(point.y / rowHeight_);
    for (; row >= RowsOf(number).size(); ++number) {
        if (number + 1 >= lines_->End()) {
            pos = lines_->EndPos();
            return false;
        }
        row -= RowsOf(number).size();
    }
    const std::string_view text = lines_->At(number).text;
    const Rows& rows = RowsOf(number);
    const size_t end = row + 1 < rows.size() ? rows[row + 1] : text.size();
    int x = kMargin;
    for (size_t i = rows[row]; i < end; ++i) {
        const int w = charWidth_[static_cast<unsigned char>(text[i])];
        if (point.x < x + w) {
            pos = TextPos{number, point.x < x + w / 2 ? i : i + 1};
            return point.x >= x;
        }
        x += w;
    }
    pos = TextPos{number, end};
    return false;
}

wxString ChatView::LinkAt(TextPos pos) const
{
    if (lines_ == nullptr || pos.line < lines_->First() || pos.line >= lines_->End())
        return wxString();
    const std::string_view text = lines_->At(pos.line).text;
    for (const auto& [at, length] : LinksOf(text))
        if (pos.column >= at && pos.column < at + length)
            return BytesToWx(std::string(text.substr(at, length)));
    return wxString();
}

// --- selection ----------------------------------------------------------------------

void ChatView::Select(TextPos from, TextPos to)
{
    anchor_ = from;
    caret_ = to;
    Refresh();
}

void ChatView::SelectAll()
{
    if (lines_ != nullptr)
        Select(TextPos{lines_->First(), 0}, lines_->EndPos());
}

wxString ChatView::SelectedText() const
{
    if (lines_ == nullptr || !HasSelection())
        return wxString();
    return BytesToWx(lines_->Text(SelectionStart(), SelectionEnd()));
}

void ChatView::CopySelection(bool primary) const
{
    if (!HasSelection())
        return;
    wxClipboard* clipboard = wxTheClipboard;
    clipboard->UsePrimarySelection(primary);
    if (clipboard->Open()) {
        clipboard->SetData(new wxTextDataObject(SelectedText()));
        clipboard->Close();
    }
    clipboard->UsePrimarySelection(false);
}

TextPos ChatView::WordAround(TextPos pos, TextPos& end) const
{
    const std::string_view text = lines_->At(pos.line).text;
    size_t from = std::min(pos.column, text.size());
    size_t to = from;
    if (from < text.size() && WordByte(text[from])) {
        while (from > 0 && WordByte(text[from - 1]))
            --from;
        while (to < text.size() && WordByte(text[to]))
            ++to;
    } else if (to < text.size()) {
        ++to;
    }
    end = TextPos{pos.line, to};
    return TextPos{pos.line, from};
}

// --- the user -----------------------------------------------------------------------

void ChatView::OnSize(wxSizeEvent& event)
{
    event.Skip();
    if (lines_ == nullptr)
        return;
    wrapped_.clear();
    wrappedWidth_ = -1;
    if (topLine_ < lines_->End())
        topRow_ = std::min(topRow_, RowsOf(topLine_).size() - 1);
    following_ = following_ || EndInView();
    Changed();
}

void ChatView::OnScroll(wxScrollWinEvent& event)
{
    if (event.GetOrientation() != wxVERTICAL || lines_ == nullptr || lines_->Empty())
        return;
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_SCROLLWIN_TOP)
        ScrollToStart();
    else if (type == wxEVT_SCROLLWIN_BOTTOM)
        ScrollToEnd();
    else if (type == wxEVT_SCROLLWIN_LINEUP || type == wxEVT_SCROLLWIN_LINEDOWN)
        ScrollRows(type == wxEVT_SCROLLWIN_LINEUP ? -1 : 1);
    else if (type == wxEVT_SCROLLWIN_PAGEUP || type == wxEVT_SCROLLWIN_PAGEDOWN)
        ScrollRows((type == wxEVT_SCROLLWIN_PAGEUP ? -1 : 1) * std::max(1, VisibleRows() - 1));
    else {
        Settle();
        topLine_ = std::min(lines_->First() + uint64_t(std::max(0, event.GetPosition())), lines_->End() - 1);
        topRow_ = 0;
        following_ = EndInView();
        Changed();
    }
}

void ChatView::OnWheel(wxMouseEvent& event)
{
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || event.GetWheelDelta() <= 0) {
        event.Skip();
        return;
    }
    // Touchpads send small steps: they add up to whole rows.
    wheelRest_ += event.GetWheelRotation() * std::max(1, event.GetLinesPerAction());
    const long rows = wheelRest_ / event.GetWheelDelta();
    wheelRest_ -= int(rows) * event.GetWheelDelta();
    if (rows != 0)
        ScrollRows(-rows);
}

void ChatView::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    TextPos pos;
    PositionAt(event.GetPosition(), pos);
    if (!event.ShiftDown())
        anchor_ = pos;
    caret_ = pos;
    dragging_ = true;
    if (!HasCapture())
        CaptureMouse();
    Refresh();
}

void ChatView::OnLeftUp(wxMouseEvent& event)
{
    if (HasCapture())
        ReleaseMouse();
    if (!dragging_)
        return;
    dragging_ = false;
    if (HasSelection()) { // a drag selected text: never a click on a link
        CopySelection(true);
        return;
    }
    TextPos pos;
    if (!PositionAt(event.GetPosition(), pos))
        return;
    const wxString address = LinkAt(pos);
    if (!address.empty() && IsWebLink(WxToBytes(address)))
        opener_(address);
}

void ChatView::OnDoubleClick(wxMouseEvent& event)
{
    TextPos pos;
    if (!PositionAt(event.GetPosition(), pos) && pos.column == 0)
        return;
    TextPos end;
    const TextPos start = WordAround(pos, end);
    Select(start, end);
    dragging_ = false;
}

void ChatView::OnMotion(wxMouseEvent& event)
{
    TextPos pos;
    if (dragging_ && event.LeftIsDown()) {
        const int y = event.GetPosition().y;
        if (y < 0 || y >= GetClientSize().y)
            ScrollRows(y < 0 ? -1 : 1);
        PositionAt(event.GetPosition(), pos);
        caret_ = pos;
        Refresh();
        return;
    }
    const bool over = PositionAt(event.GetPosition(), pos) && !LinkAt(pos).empty();
    if (over != overLink_) {
        overLink_ = over;
        SetCursor(wxCursor(over ? wxCURSOR_HAND : wxCURSOR_IBEAM));
    }
}

void ChatView::OnCaptureLost(wxMouseCaptureLostEvent&) { dragging_ = false; }

void ChatView::OnContextMenu(wxContextMenuEvent&)
{
    wxMenu menu;
    menu.Append(kIdCopy, "&Copy");
    menu.Enable(kIdCopy, HasSelection());
    menu.AppendSeparator();
    menu.Append(kIdSelectAll, "Select &All");
    PopupMenu(&menu);
}

void ChatView::OnKeyDown(wxKeyEvent& event)
{
    const bool control = event.GetModifiers() == wxMOD_CONTROL;
    switch (event.GetKeyCode()) {
    case 'C':
    case WXK_INSERT:
        if (control)
            CopySelection(false);
        else
            event.Skip();
        break;
    case 'A':
        if (control)
            SelectAll();
        else
            event.Skip();
        break;
    case WXK_PAGEUP:
    case WXK_PAGEDOWN:
        ScrollRows((event.GetKeyCode() == WXK_PAGEUP ? -1 : 1) * std::max(1, VisibleRows() - 1));
        break;
    case WXK_UP:
    case WXK_DOWN:
        ScrollRows(event.GetKeyCode() == WXK_UP ? -1 : 1);
        break;
    case WXK_HOME:
    case WXK_END:
        if (control)
            event.GetKeyCode() == WXK_HOME ? ScrollToStart() : ScrollToEnd();
        else
            event.Skip();
        break;
    default:
        event.Skip();
        break;
    }
}
