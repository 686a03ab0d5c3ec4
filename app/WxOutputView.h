#pragma once

#include "console/Views.h"

#include <deque>
#include <functional>
#include <utility>

class wxMouseEvent;
class wxString;
class wxTextCtrl;

// The chat output area as ChatOutput sees it: the multi-line text control of the
// main window, showing protocol text decoded from Windows-1252. Web addresses
// in it are underlined, and a click on one opens it in the desktop's browser.
class WxOutputView : public OutputView {
public:
    using LinkOpener = std::function<void(const wxString& address)>;

    explicit WxOutputView(wxTextCtrl& control);
    ~WxOutputView() override;

    void AppendStyled(const std::string& text, Rgb colour, bool marked) override;
    bool IsAtEnd() const override;
    void RemoveFirst(size_t characters) override;

    // The address at a position of the text, or an empty text.
    wxString LinkAt(long position) const;
    void SetLinkOpener(LinkOpener opener) { opener_ = std::move(opener); }

private:
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);

    wxTextCtrl& control_;
    LinkOpener opener_;
    // The links shown, as positions counted from the first character ever shown.
    std::deque<std::pair<long, long>> links_;
    long removed_ = 0; // characters removed from the front so far
    bool overLink_ = false;
    bool afterMarked_ = false;
};
