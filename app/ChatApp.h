#pragma once

#include <wx/app.h>

class ChatFrame;

// The application object: its one job is to open the main window.
class ChatApp : public wxApp {
public:
    bool OnInit() override;

    // The main window as the program opens it, not yet shown.
    static ChatFrame* CreateMainFrame();
};
