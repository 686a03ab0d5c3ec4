#include "app/InputLine.h"

#include "app/ChatFrame.h"

// clang-format off
wxBEGIN_EVENT_TABLE(InputLine, wxTextCtrl)
    EVT_KEY_DOWN(InputLine::OnKeyDown)
wxEND_EVENT_TABLE();
// clang-format on

InputLine::InputLine(ChatFrame& frame, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxTextCtrl(&frame, id, wxEmptyString, pos, size, style, wxDefaultValidator, "text"), frame_(frame)
{
    SetMaxLength(kMaxLength);
}

void InputLine::OnKeyDown(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        frame_.SubmitInputLine();
        break;
    default:
        event.Skip();
        break;
    }
}
