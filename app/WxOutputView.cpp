#include "app/WxOutputView.h"

#include "app/WxText.h"
#include "console/Links.h"
#include "zone/Names.h"

#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

WxOutputView::WxOutputView(wxTextCtrl& control)
    : control_(control), opener_([](const wxString& address) { wxLaunchDefaultBrowser(address); })
{
    control_.Bind(wxEVT_LEFT_UP, &WxOutputView::OnLeftUp, this);
    control_.Bind(wxEVT_MOTION, &WxOutputView::OnMotion, this);
}

WxOutputView::~WxOutputView()
{
    control_.Unbind(wxEVT_LEFT_UP, &WxOutputView::OnLeftUp, this);
    control_.Unbind(wxEVT_MOTION, &WxOutputView::OnMotion, this);
}

void WxOutputView::AppendStyled(const std::string& text, Rgb colour, bool marked)
{
    // AppendText would jump to the end and drop the user's selection even while
    // they are reading further up, and WriteText replaces a selection; so write
    // at an empty selection at the end and put the user's selection back.
    long selectedFrom = 0;
    long selectedTo = 0;
    control_.GetSelection(&selectedFrom, &selectedTo);
    const bool hadSelection = selectedFrom != selectedTo;
    const bool follow = hadSelection && IsAtEnd();

    const long start = control_.GetLastPosition();
    control_.SetSelection(start, start);
    control_.WriteText(BytesToWx(text));
    const long end = control_.GetLastPosition();
    const wxColour foreground(colour.r, colour.g, colour.b);
    const Rgb tint = Colours::kMentionTint;
    control_.SetStyle(start, end, wxTextAttr(foreground));
    // The tint starts after the break that ends the line before. A rich edit
    // control gives new text the look of the character before it, so the first
    // piece after a tinted one is given the plain background again.
    if (marked || afterMarked_) {
        const wxColour background = marked ? wxColour(tint.r, tint.g, tint.b) : control_.GetBackgroundColour();
        control_.SetStyle(start + (text.compare(0, 1, "\n") == 0 ? 1 : 0), end, wxTextAttr(foreground, background));
    }
    afterMarked_ = marked;
    if (FindNoCase(text, "http", 0) != std::string::npos) {
        wxTextAttr underlined;
        underlined.SetFontUnderlined(true);
        for (const auto& [at, length] : FindLinks(text)) {
            control_.SetStyle(start + long(at), start + long(at + length), underlined);
            links_.emplace_back(removed_ + start + long(at), removed_ + start + long(at + length));
        }
    }

    if (hadSelection) {
        control_.SetSelection(selectedFrom, selectedTo);
        // At the end, the write has asked GTK to bring the cursor into view once the
        // text is laid out; with the selection back, that would scroll up to it.
        if (follow)
            control_.ShowPosition(end);
    }
}

bool WxOutputView::IsAtEnd() const
{
    // True exactly when the last line is in view. GTK often stops one empty line
    // short of the end after scrolling there itself, hence the one-line allowance.
    const int position = control_.GetScrollPos(wxVERTICAL);
    const int thumb = control_.GetScrollThumb(wxVERTICAL);
    const int range = control_.GetScrollRange(wxVERTICAL);
    return position + thumb >= range - control_.GetCharHeight();
}

void WxOutputView::RemoveFirst(size_t characters)
{
    // Only ever called at the end of the text, right after an append: the view
    // stays at the end, and a selection further down keeps its text.
    long selectedFrom = 0;
    long selectedTo = 0;
    control_.GetSelection(&selectedFrom, &selectedTo);
    const long cut = long(characters);
    control_.Remove(0, cut);
    removed_ += cut;
    while (!links_.empty() && links_.front().second <= removed_)
        links_.pop_front();
    if (selectedFrom != selectedTo && selectedTo > cut)
        control_.SetSelection(std::max(0L, selectedFrom - cut), selectedTo - cut);
    control_.ShowPosition(control_.GetLastPosition());
}

wxString WxOutputView::LinkAt(long position) const
{
    const long absolute = removed_ + position;
    const auto link = std::upper_bound(links_.begin(), links_.end(), absolute,
                                       [](long at, const std::pair<long, long>& l) { return at < l.first; });
    if (link == links_.begin() || absolute >= std::prev(link)->second)
        return wxString();
    const auto& [from, to] = *std::prev(link);
    return control_.GetRange(from - removed_, to - removed_);
}

void WxOutputView::OnLeftUp(wxMouseEvent& event)
{
    event.Skip();
    long from = 0;
    long to = 0;
    control_.GetSelection(&from, &to);
    long position = 0;
    // A drag that selected text is not a click on a link.
    if (from != to || control_.HitTest(event.GetPosition(), &position) != wxTE_HT_ON_TEXT)
        return;
    const wxString address = LinkAt(position);
    if (!address.empty() && IsWebLink(WxToBytes(address)))
        opener_(address);
}

void WxOutputView::OnMotion(wxMouseEvent& event)
{
    event.Skip();
    long position = 0;
    const bool over = !links_.empty() && control_.HitTest(event.GetPosition(), &position) == wxTE_HT_ON_TEXT &&
                      !LinkAt(position).empty();
    if (over != overLink_) {
        overLink_ = over;
        control_.SetCursor(over ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
    }
}
