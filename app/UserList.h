#pragma once

#include "console/Views.h"

#include <wx/listctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class wxMenu;

// The player list of the main window: one column of names, each drawn in its
// text colour with one of two small icons (the second marks a spectator).
// Hovering over a name shows the player's details; a right click opens the
// player menu, whose actions act on the name it is titled with.
class UserList : public wxListCtrl, public UserListView {
public:
    // Shows a pop-up menu at a point of the list; the chosen item arrives as a menu command.
    using MenuShower = std::function<void(UserList&, wxMenu&, const wxPoint&)>;

    // The details shown for a name; empty for none.
    using ToolTipSource = std::function<std::string(const std::string& name)>;
    // A player menu item chosen for a name (all but Name to ClipBoard, which the list does itself).
    using PlayerCommand = std::function<void(int id, const std::string& name)>;

    UserList(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);
    ~UserList() override;

    // UserListView
    void Prepare(const std::string& header, int columnWidth, const std::vector<Picture>& icons) override;
    void SetHeader(const std::string& text) override;
    int Count() const override;
    std::string TextAt(int index) const override;
    void Insert(int index, const std::string& text) override;
    void Remove(int index) override;
    void SetLook(int index, Rgb colour, int image) override;

    void SetToolTipSource(ToolTipSource source) { toolTipSource_ = std::move(source); }
    void SetPlayerCommand(PlayerCommand command) { playerCommand_ = std::move(command); }

    // The selected entry's text, if an entry is selected.
    std::optional<std::string> SelectedName() const;
    // Page Up and Page Down in the input line: the entry above or below the
    // selected one, scrolled into view. With nothing selected, Page Down selects
    // the first entry and Page Up does nothing.
    void SelectPrevious();
    void SelectNext();

    // The window that shows the entries and gets the mouse over them.
    wxWindow& ItemArea();
    // The entry under a point of the item area, or -1.
    long EntryAt(const wxPoint& point) const;
    // The player menu for `name`, titled with it; null before the first right click.
    wxMenu* PlayerMenu() const { return playerMenu_.get(); }
    // Tests choose menu items without a real pop-up.
    void SetMenuShower(MenuShower shower) { menuShower_ = std::move(shower); }
    // The action of a player menu item on `name`.
    void RunPlayerMenuCommand(int id, const std::string& name);

private:
    void OnUserListMotion(wxMouseEvent& event);
    void OnUserListLeave(wxMouseEvent& event);
    void OnUserListRightDown(wxMouseEvent& event);
    void OnPlayerMenu(wxCommandEvent& event);
    void ShowToolTip(const std::string& text);
    void Select(long index);

    ToolTipSource toolTipSource_;
    PlayerCommand playerCommand_;
    std::unique_ptr<wxMenu> playerMenu_;
    MenuShower menuShower_;
    std::string toolTip_;

    wxDECLARE_EVENT_TABLE();
};

// A console picture as a bitmap of the same size.
wxBitmap BitmapFromPicture(const Picture& picture);

// Puts the name on the system clipboard as text, to stay there after the program ends.
void CopyNameToClipboard(const std::string& name);
