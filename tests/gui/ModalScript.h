#pragma once

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

// Stands in for the user at modal dialogs: every dialog that opens while it is
// registered takes the next scripted step. A dialog nobody scripted is cancelled
// unshown and counted as unexpected. (A shown dialog that a failing step leaves
// open is ended by the test's time limit.)
class ModalScript : public wxModalDialogHook {
public:
    using Step = std::function<int(wxDialog&)>;

    ModalScript() { Register(); }
    ~ModalScript() override { Unregister(); }

    // The dialog is not shown: `answer` may fill it in, and what it returns is
    // what ShowModal returns.
    void Then(Step answer) { steps_.push_back({std::move(answer), false}); }
    // The dialog is shown for real; once it is on screen, `act` runs inside its
    // modal loop and must end it (click a button, close it).
    void ThenWhileShown(std::function<void(wxDialog&)> act)
    {
        steps_.push_back({[act](wxDialog& d) { return act(d), 0; }, true});
    }

    int Enter(wxDialog* dialog) override
    {
        ++opened;
        if (steps_.empty())
            return ++unexpected, wxID_CANCEL;
        auto [step, shown] = std::move(steps_.front());
        steps_.pop_front();
        if (!shown)
            return step(*dialog);
        WhenOnScreen(dialog, std::move(step));
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

    bool Done() const { return steps_.empty(); }

    int opened = 0;
    int unexpected = 0;

private:
    static void WhenOnScreen(wxDialog* dialog, Step step)
    {
        dialog->CallAfter([dialog, step = std::move(step)]() mutable {
            if (dialog->IsShownOnScreen())
                step(*dialog);
            else
                WhenOnScreen(dialog, std::move(step));
        });
    }

    std::deque<std::pair<Step, bool>> steps_; // a step and whether its dialog is shown
};

// A dialog's text field or check box by its id.
inline wxTextCtrl& TextChild(wxWindow& dialog, int id) { return *static_cast<wxTextCtrl*>(dialog.FindWindow(id)); }
inline wxCheckBox& CheckChild(wxWindow& dialog, int id) { return *static_cast<wxCheckBox*>(dialog.FindWindow(id)); }

// A real click through the X server on the dialog's child with this id.
inline void ClickChild(wxDialog& dialog, int id)
{
    wxWindow* child = dialog.FindWindow(id);
    ASSERT_NE(child, nullptr) << id;
    wxUIActionSimulator sim;
    sim.MouseMove(child->GetScreenRect().GetPosition() + child->GetSize() / 2);
    sim.MouseClick();
}
