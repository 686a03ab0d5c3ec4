#pragma once

#include "console/Views.h"

#include <wx/listctrl.h>

class ChatFrame;

// The player list of the main window: one column of names, each drawn in its
// text colour with one of two small icons (the second marks a spectator).
class UserList : public wxListCtrl, public UserListView {
public:
    UserList(ChatFrame& frame, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

    // UserListView
    void Prepare(const std::string& header, int columnWidth, const std::vector<Picture>& icons) override;
    void SetHeader(const std::string& text) override;
    int Count() const override;
    std::string TextAt(int index) const override;
    void Insert(int index, const std::string& text) override;
    void Remove(int index) override;
    void SetLook(int index, Rgb colour, int image) override;

    ChatFrame& Frame() const { return frame_; }

private:
    ChatFrame& frame_;
};

// A console picture as a bitmap of the same size.
wxBitmap BitmapFromPicture(const Picture& picture);
