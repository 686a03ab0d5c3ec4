#include "app/InputLine.h"

#include "app/WxText.h"

#include <wx/utils.h>

// clang-format off
wxBEGIN_EVENT_TABLE(InputLine, wxTextCtrl)
    EVT_KEY_DOWN(InputLine::OnKeyDown)
    EVT_TEXT(wxID_ANY, InputLine::OnInputChanged)
    EVT_TEXT_MAXLEN(wxID_ANY, InputLine::OnMaxLength)
wxEND_EVENT_TABLE();
// clang-format on

InputLine::InputLine(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                     Actions actions)
    : wxTextCtrl(parent, id, wxEmptyString, pos, size, style, wxDefaultValidator, "text"), actions_(std::move(actions))
{
    SetMaxLength(kMaxLength);
}

void InputLine::OnKeyDown(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        history_.Add(WxToBytes(GetValue()));
        actions_.submit();
        break;
    case WXK_UP:
    case WXK_NUMPAD_UP: {
        std::string line;
        if (history_.Older(WxToBytes(GetValue()), line))
            ShowHistoryLine(line);
        break;
    }
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN: {
        std::string line;
        if (history_.Newer(line))
            ShowHistoryLine(line);
        break;
    }
    case WXK_TAB:
        if (event.HasAnyModifiers())
            event.Skip();
        else
            CompleteName();
        break;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
        actions_.selectPrevious();
        break;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
        actions_.selectNext();
        break;
    default:
        event.Skip();
        break;
    }
}

// Puts text in the field, coloured as typing it would have, with the cursor at `cursor`.
void InputLine::Replace(const std::string& text, long cursor)
{
    ChangeValue(BytesToWx(text));
    wxCommandEvent changed(wxEVT_TEXT, GetId());
    OnInputChanged(changed);
    SetInsertionPoint(cursor);
}

void InputLine::ShowHistoryLine(const std::string& line) { Replace(line, long(line.size())); }

void InputLine::CompleteName()
{
    if (!actions_.playerNames)
        return;
    const std::string text = WxToBytes(GetValue());
    NameCompleter::Result completed;
    if (!completer_.Complete(text, size_t(GetInsertionPoint()), actions_.playerNames(), completed))
        return;
    Replace(completed.text, long(completed.cursor));
}

void InputLine::Colour(const wxColour& colour)
{
    colour_ = colour;
    // The whole field at once: GTK's one-line entry has no styles for ranges.
    SetForegroundColour(colour);
    SetStyle(0, GetLastPosition(), wxTextAttr(colour));
    SetDefaultStyle(wxTextAttr(colour));
    Refresh();
}

void InputLine::OnInputChanged(wxCommandEvent& event)
{
    event.Skip();
    // The client goes before the child windows when the frame is destroyed.
    if (IsBeingDeleted())
        return;
    const InputAssist::Change change = assist_.OnInputChanged(WxToBytes(GetValue()), actions_.recentSenders());
    if (change.colour)
        Colour(wxColour(change.colour->r, change.colour->g, change.colour->b));
    if (change.newText) {
        SetValue(BytesToWx(*change.newText));
        // After the edit that brought us here has placed its own cursor.
        CallAfter([this] { SetInsertionPointEnd(); });
    }
}

void InputLine::OnMaxLength(wxCommandEvent&) { wxBell(); }
