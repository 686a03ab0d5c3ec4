#pragma once

#include <string>

class Zone;

// The user list's player menu, in the order it shows; id 0 is a separator.
enum PlayerMenuId : int {
    kMenuSeparator = 0,
    kMenuKick = 1000,
    kMenuBan = 1005,
    kMenuSilence = 1010,
    kMenuInfo = 1015,
    kMenuNameToClipboard = 1020,
    kMenuIgnore = 1025,
    kMenuPermIgnore = 1030,
};

struct PlayerMenuItem {
    int id;
    const char* text;
};

inline constexpr PlayerMenuItem kPlayerMenu[] = {
    {kMenuNameToClipboard, "Name to ClipBoard"},
    {kMenuIgnore, "Ignore Player"},
    {kMenuPermIgnore, "Perm Ignore Player"},
    {kMenuSeparator, ""},
    {kMenuKick, "Kick Player"},
    {kMenuBan, "Ban Player"},
    {kMenuSilence, "Silence Player"},
    {kMenuInfo, "Info Player"},
};

// The tool tip for a user list entry, or nothing when the entry names no
// present player (the list is out of step with the player table).
std::string PlayerToolTipFor(const Zone& zone, const std::string& name);
