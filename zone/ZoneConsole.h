#pragma once

#include <string>

// Colour slots of the output: the chat kinds (0 to 9) are slots of their own;
// these two are for the client's own lines.
enum ColourSlot : int { kSlotGreen = 0, kSlotWhite = 16 };

// Player list entry kinds: own frequency or another, in a ship or spectating.
enum UserKind : int { kOwnFreq = 2, kOtherFreq = 3, kOwnFreqSpec = 4, kOtherFreqSpec = 5 };

// The console as the zone layer sees it: where its lines go, the player list
// it keeps current, the user's ignore lists and the user's own "?" commands.
class ZoneConsole {
public:
    virtual ~ZoneConsole() = default;

    virtual void Print(const std::string& text, int colourSlot, bool endLine) = 0;
    // The line printed next speaks to the user: their name in it, or a private message.
    virtual void Mention(const std::string& sender, const std::string& text) = 0;

    virtual void SetUserListTitle(const std::string& text) = 0;
    virtual void AddUser(const std::string& name, int kind) = 0;
    virtual void RemoveUser(const std::string& name) = 0;
    virtual void SetUserKind(const std::string& name, int kind) = 0;

    virtual bool IsIgnored(const std::string& name) const = 0;
    // A "?" line of the zone entry automation; true when it named a command of the client's own.
    virtual bool RunLocalCommand(const std::string& line) = 0;
};
