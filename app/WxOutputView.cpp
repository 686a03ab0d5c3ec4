#include "app/WxOutputView.h"

#include "app/WxText.h"

#include <wx/textctrl.h>

WxOutputView::WxOutputView(wxTextCtrl& control) : control_(control) {}

void WxOutputView::AppendStyled(const std::string& text, Rgb colour)
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
    control_.SetStyle(start, end, wxTextAttr(wxColour(colour.r, colour.g, colour.b)));

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

std::string WxOutputView::ShownText() const { return WxToBytes(control_.GetValue()); }
