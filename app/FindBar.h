#pragma once

#include <wx/panel.h>

#include <functional>
#include <string>

class ChatView;
class wxStaticText;
class wxTextCtrl;

// Ctrl+F: a find field above the input line. Typing finds the next place of
// its text in the output (without regard to case), selects it and scrolls to
// it; Enter finds the next, Shift+Enter the one before; Escape closes the bar.
class FindBar : public wxPanel {
public:
    static constexpr int kIdField = 350;

    // Searches the lines the output area in front shows (`output` gives it);
    // `closed` runs when Escape closes the bar.
    FindBar(wxWindow* parent, std::function<ChatView&()> output, std::function<void()> closed);

    // Shows the bar with its text selected and the focus in it.
    void Open();
    wxTextCtrl& Field() const { return *field_; }

private:
    void OnText(wxCommandEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    // Searches from the current match (or the start) and shows what it finds.
    void Find(bool forward, bool skipCurrent);

    std::function<ChatView&()> output_;
    std::function<void()> closed_;
    wxTextCtrl* field_ = nullptr;
    wxStaticText* status_ = nullptr;
};
