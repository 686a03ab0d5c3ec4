#pragma once

#include "console/InputEditing.h"
#include "console/InputRouting.h"

#include <wx/textctrl.h>

#include <functional>
#include <string>
#include <vector>

class RecentSenders;

// The one-line field where the user types. Enter hands the line to the frame;
// Page Up and Page Down move the user list's selection; Up and Down walk the
// lines typed before; Tab completes a player's name. The field takes the
// colour of the kind of line its first character makes, and "::" at the start
// fills in the latest private sender's name.
class InputLine : public wxTextCtrl {
public:
    static constexpr unsigned long kMaxLength = 255;

    // What the field's keys reach outside it.
    struct Actions {
        std::function<void()> submit;       // Enter
        std::function<void()> selectPrevious; // Page Up
        std::function<void()> selectNext;   // Page Down
        std::function<RecentSenders*()> recentSenders; // for "::"
        std::function<std::vector<std::string>()> playerNames; // for Tab
    };

    InputLine(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style, Actions actions);

    bool RemoteMode() const { return assist_.RemoteMode(); }
    // The colour the field's text was last given.
    wxColour TextColour() const { return colour_; }

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnInputChanged(wxCommandEvent& event);
    void OnMaxLength(wxCommandEvent& event);
    void Colour(const wxColour& colour);
    void Replace(const std::string& text, long cursor);
    void ShowHistoryLine(const std::string& line);
    void CompleteName();

    Actions actions_;
    InputAssist assist_;
    InputHistory history_;
    NameCompleter completer_;
    wxColour colour_;

    wxDECLARE_EVENT_TABLE();
};
