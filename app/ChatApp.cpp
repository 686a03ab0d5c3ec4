#include "app/ChatApp.h"

#include "app/ChatFrame.h"

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
    // No command-line options: everything the program needs is in the settings store.
    CreateMainFrame()->Show(true);
    return true;
}
