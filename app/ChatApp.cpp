#include "app/ChatApp.h"

#include "app/ChatFrame.h"

#include <wx/msgdlg.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include <cstdio>

ChatApp::ChatApp() = default;
ChatApp::~ChatApp() = default;

ChatFrame* ChatApp::CreateMainFrame()
{
    // No window of ours handles idle or update-UI events. By default wxWidgets sends
    // both through every window's event tables after each event, the frame timer's
    // hundred ticks a second included; only the windows that ask get them now.
    // (Their internal idle work runs as before.)
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    return new ChatFrame("Quillon", wxPoint(50, 50), wxSize(528, 390), wxDEFAULT_FRAME_STYLE);
}

bool ChatApp::OnInit()
{
    // Two windows on one settings store would write the same logs, maps and
    // settings. The lock lives beside the settings file (on Windows it is a
    // mutex of the user's session), so another HOME is another Quillon.
    running_ = std::make_unique<wxSingleInstanceChecker>();
    if (running_->Create(".Quillon-" + wxGetUserId() + ".lock", wxGetHomeDir()) && running_->IsAnotherRunning()) {
        const char* text = "Quillon is already running with these settings: switch to its window.";
        std::fprintf(stderr, "%s\n", text);
        wxMessageBox(text, "Quillon", wxOK | wxICON_INFORMATION);
        return false;
    }
    // No command-line options: everything the program needs is in the settings store.
    CreateMainFrame()->Show(true);
    return true;
}
