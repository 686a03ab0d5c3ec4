#pragma once

#include "console/InputRouting.h"

#include <wx/textctrl.h>

class ChatFrame;

// The one-line field where the user types. Enter hands the line to the frame;
// Page Up and Page Down move the user list's selection; the field takes the
// colour of the kind of line its first character makes, and "::" at the start
// fills in the latest private sender's name.
class InputLine : public wxTextCtrl {
public:
    static constexpr unsigned long kMaxLength = 255;

    InputLine(ChatFrame& frame, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

    bool RemoteMode() const { return assist_.RemoteMode(); }
    // The colour the field's text was last given.
    wxColour TextColour() const { return colour_; }

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnInputChanged(wxCommandEvent& event);
    void OnMaxLength(wxCommandEvent& event);
    void Colour(const wxColour& colour);

    ChatFrame& frame_;
    InputAssist assist_;
    wxColour colour_;

    wxDECLARE_EVENT_TABLE();
};
