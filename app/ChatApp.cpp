#include "app/ChatApp.h"

#include "app/ChatFrame.h"

ChatFrame* ChatApp::CreateMainFrame()
{
    return new ChatFrame("Quillon", wxPoint(50, 50), wxSize(528, 390), wxDEFAULT_FRAME_STYLE);
}

bool ChatApp::OnInit()
{
    // No command-line options: everything the program needs is in the settings store.
    CreateMainFrame()->Show(true);
    return true;
}
