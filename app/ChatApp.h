#pragma once

#include <wx/app.h>

#include <memory>

class ChatFrame;
class wxSingleInstanceChecker;

// The application object: it opens the main window, once per settings store.
class ChatApp : public wxApp {
public:
    ChatApp();
    ~ChatApp() override;
    bool OnInit() override;

    // The main window as the program opens it, not yet shown.
    static ChatFrame* CreateMainFrame();

private:
    std::unique_ptr<wxSingleInstanceChecker> running_;
};
