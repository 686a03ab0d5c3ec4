#include "app/UserList.h"

#include "app/WxText.h"
#include "console/PlayerMenu.h"

#include <wx/bitmap.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/menu.h>

// clang-format off
wxBEGIN_EVENT_TABLE(UserList, wxListCtrl)
    EVT_MENU_RANGE(kMenuKick, kMenuPermIgnore, UserList::OnPlayerMenu)
wxEND_EVENT_TABLE();
// clang-format on

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

void CopyNameToClipboard(const std::string& name)
{
    if (!wxTheClipboard->Open())
        return;
    wxTheClipboard->SetData(new wxTextDataObject(BytesToWx(name)));
    wxTheClipboard->Flush();
    wxTheClipboard->Close();
}

UserList::UserList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxListCtrl(parent, id, pos, size, style, wxDefaultValidator, "UserList"),
      menuShower_([](UserList& list, wxMenu& menu, const wxPoint& at) { list.PopupMenu(&menu, at); })
{
    // The entries live in a child window of their own; its mouse coordinates are
    // the ones the hit test takes.
    ItemArea().Bind(wxEVT_MOTION, &UserList::OnUserListMotion, this);
    ItemArea().Bind(wxEVT_LEAVE_WINDOW, &UserList::OnUserListLeave, this);
    ItemArea().Bind(wxEVT_RIGHT_DOWN, &UserList::OnUserListRightDown, this);
}

UserList::~UserList() = default;

wxWindow& UserList::ItemArea()
{
    // The generic list control (GTK, macOS) draws its entries in a child window
    // of this name; the native Windows control has none.
    for (wxWindow* child : GetChildren())
        if (child->GetName() == "listctrlmainwindow")
            return *child;
    return *this;
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

// --- selection -------------------------------------------------------------------

std::optional<std::string> UserList::SelectedName() const
{
    const long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected < 0)
        return std::nullopt;
    return TextAt(int(selected));
}

void UserList::Select(long index)
{
    const long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected >= 0)
        SetItemState(selected, 0, wxLIST_STATE_SELECTED);
    SetItemState(index, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EnsureVisible(index);
}

void UserList::SelectPrevious()
{
    const long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected > 0)
        Select(selected - 1);
}

void UserList::SelectNext()
{
    const long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected + 1 < GetItemCount())
        Select(selected + 1);
}

// --- tool tip and player menu ------------------------------------------------------

long UserList::EntryAt(const wxPoint& point) const
{
    int flags = 0;
    const long index = HitTest(point, flags);
    return (flags & wxLIST_HITTEST_ONITEM) != 0 ? index : -1;
}

void UserList::ShowToolTip(const std::string& text)
{
    // Set only on a change: GTK restarts a shown tip whenever it is set.
    if (text == toolTip_)
        return;
    toolTip_ = text;
    if (text.empty())
        UnsetToolTip();
    else
        SetToolTip(BytesToWx(text));
}

void UserList::OnUserListMotion(wxMouseEvent& event)
{
    event.Skip();
    // The client goes before the child windows when the frame is destroyed.
    if (IsBeingDeleted() || !toolTipSource_)
        return;
    const long index = EntryAt(event.GetPosition());
    // An entry that names nobody present gets no tip: there are no details to show.
    ShowToolTip(index < 0 ? std::string() : toolTipSource_(TextAt(int(index))));
}

void UserList::OnUserListLeave(wxMouseEvent& event)
{
    ShowToolTip(std::string());
    event.Skip();
}

void UserList::OnUserListRightDown(wxMouseEvent& event)
{
    const long index = EntryAt(event.GetPosition());
    if (index < 0)
        return;
    // The menu stays until the next one, so its title can still be read when its command arrives.
    playerMenu_ = std::make_unique<wxMenu>(GetItemText(index));
    for (const PlayerMenuItem& item : kPlayerMenu) {
        if (item.id == kMenuSeparator)
            playerMenu_->AppendSeparator();
        else
            playerMenu_->Append(item.id, item.text);
    }
    const wxPoint at = ScreenToClient(ItemArea().ClientToScreen(event.GetPosition()));
    menuShower_(*this, *playerMenu_, at);
}

void UserList::OnPlayerMenu(wxCommandEvent& event)
{
    if (playerMenu_ == nullptr)
        return;
    RunPlayerMenuCommand(event.GetId(), WxToBytes(playerMenu_->GetTitle()));
}

void UserList::RunPlayerMenuCommand(int id, const std::string& name)
{
    if (id == kMenuNameToClipboard)
        CopyNameToClipboard(name);
    else if (playerCommand_)
        playerCommand_(id, name);
}
