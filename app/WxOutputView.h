#pragma once

#include "console/Views.h"

class wxTextCtrl;

// The chat output area as ChatOutput sees it: the multi-line text control of the
// main window, showing protocol text decoded from Windows-1252.
class WxOutputView : public OutputView {
public:
    explicit WxOutputView(wxTextCtrl& control);

    void AppendStyled(const std::string& text, Rgb colour) override;
    bool IsAtEnd() const override;
    std::string ShownText() const override;

private:
    wxTextCtrl& control_;
};
