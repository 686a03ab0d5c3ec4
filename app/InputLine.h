#pragma once

#include <wx/textctrl.h>

class ChatFrame;

// The one-line field where the user types; Enter hands the line to the frame.
class InputLine : public wxTextCtrl {
public:
    static constexpr unsigned long kMaxLength = 255;

    InputLine(ChatFrame& frame, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

private:
    void OnKeyDown(wxKeyEvent& event);

    ChatFrame& frame_;

    wxDECLARE_EVENT_TABLE();
};
