#pragma once

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

// Stands in for the user at modal dialogs: every dialog that opens while it is
// registered takes the next scripted step. A dialog nobody scripted is cancelled
// unshown and counted as unexpected.
class ModalScript : public wxModalDialogHook {
public:
    using Answer = std::function<int(wxDialog&)>;
    using Act = std::function<void(wxDialog&)>;

    ModalScript()
    {
        Register();
        watchdog_.Bind(wxEVT_TIMER, &ModalScript::OnWatchdog, this);
    }
    ~ModalScript() override { Unregister(); }

    // The dialog is not shown: `answer` may fill it in, and what it returns is
    // what ShowModal returns.
    void Then(Answer answer) { steps_.push_back({std::move(answer), nullptr}); }
    // The dialog is shown for real; once it is on screen, `act` runs inside its
    // modal loop and must end it (click a button, close it).
    void ThenWhileShown(Act act) { steps_.push_back({nullptr, std::move(act)}); }

    int Enter(wxDialog* dialog) override
    {
        ++opened;
        if (steps_.empty()) {
            ++unexpected;
            return wxID_CANCEL;
        }
        Step step = std::move(steps_.front());
        steps_.pop_front();
        if (step.answer)
            return step.answer(*dialog);
        shown_ = dialog;
        WhenOnScreen(dialog, std::move(step.act));
        // A step that fails to end its dialog must not hang the test run.
        watchdog_.StartOnce(kWatchdogMs);
        return wxID_NONE;
    }
    void Exit(wxDialog* dialog) override
    {
        if (dialog == shown_) {
            watchdog_.Stop();
            shown_ = nullptr;
        }
    }

    bool Done() const { return steps_.empty(); }

    int opened = 0;
    int unexpected = 0;

private:
    static constexpr int kWatchdogMs = 10000;

    struct Step {
        Answer answer;
        Act act;
    };

    static void WhenOnScreen(wxDialog* dialog, Act act)
    {
        dialog->CallAfter([dialog, act = std::move(act)]() mutable {
            if (dialog->IsShownOnScreen())
                act(*dialog);
            else
                WhenOnScreen(dialog, std::move(act));
        });
    }

    void OnWatchdog(wxTimerEvent&)
    {
        if (shown_ == nullptr || !shown_->IsModal())
            return;
        ADD_FAILURE() << "dialog \"" << shown_->GetTitle() << "\" was left open";
        shown_->EndModal(wxID_CANCEL);
    }

    std::deque<Step> steps_;
    wxDialog* shown_ = nullptr;
    wxTimer watchdog_;
};

// A real click through the X server on the dialog's child with this id.
inline void ClickChild(wxDialog& dialog, int id)
{
    wxWindow* child = dialog.FindWindow(id);
    ASSERT_NE(child, nullptr) << id;
    wxUIActionSimulator sim;
    sim.MouseMove(child->GetScreenRect().GetPosition() + child->GetSize() / 2);
    sim.MouseClick();
}

// A button press as the button itself reports it.
inline void PressChild(wxDialog& dialog, int id)
{
    wxWindow* child = dialog.FindWindow(id);
    ASSERT_NE(child, nullptr) << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(child);
    child->GetEventHandler()->ProcessEvent(event);
}
