#include "app/UserList.h"

#include "app/ChatFrame.h"
#include "app/WxText.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/imaglist.h>

wxBitmap BitmapFromPicture(const Picture& picture)
{
    wxImage image(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const Rgb pixel = picture.At(x, y);
            image.SetRGB(x, y, pixel.r, pixel.g, pixel.b);
        }
    }
    return wxBitmap(image);
}

UserList::UserList(ChatFrame& frame, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxListCtrl(&frame, id, pos, size, style, wxDefaultValidator, "UserList"), frame_(frame)
{
}

void UserList::Prepare(const std::string& header, int columnWidth, const std::vector<Picture>& icons)
{
    InsertColumn(0, BytesToWx(header), wxLIST_FORMAT_LEFT, columnWidth);
    if (icons.empty())
        return;
    auto* images = new wxImageList(icons.front().width, icons.front().height, false, int(icons.size()));
    for (const Picture& picture : icons)
        images->Add(BitmapFromPicture(picture));
    AssignImageList(images, wxIMAGE_LIST_SMALL);
}

void UserList::SetHeader(const std::string& text)
{
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT);
    column.SetText(BytesToWx(text));
    SetColumn(0, column);
    // GTK repaints the header only when the whole control is invalidated.
    Refresh();
}

int UserList::Count() const { return GetItemCount(); }

std::string UserList::TextAt(int index) const { return WxToBytes(GetItemText(index)); }

void UserList::Insert(int index, const std::string& text) { InsertItem(index, BytesToWx(text), 0); }

void UserList::Remove(int index) { DeleteItem(index); }

void UserList::SetLook(int index, Rgb colour, int image)
{
    SetItemTextColour(index, wxColour(colour.r, colour.g, colour.b));
    SetItemImage(index, image);
}
