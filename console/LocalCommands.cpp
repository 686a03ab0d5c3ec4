#include "console/LocalCommands.h"

#include "console/ChatOutput.h"
#include "console/Console.h"
#include "console/IgnoreLists.h"
#include "zone/ArenaList.h"
#include "zone/Zone.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kHelp[] = {
    "Quillon Command Help:",
    "NOTE: These commands disable RECIEVING only, you may still send.",
    "-  ?nopubchat    -    (On/Off) Public Chat.",
    "-  ?noteamchat    -    (On/Off) Team Chat.",
    "-  ?noarenachat    -    (On/Off) Arena Chat (?lag, ?chat and many others use Arena Messages).",
    "-  ?nowarnings    -    (On/Off) Sysop Warning Messages.",
    "-  ?nochat [#]    -    (On/Off) Chat #. ('?nochat 1' (dis/en)ables ;1;)",
    "",
    "-  ?go [#/(arena)]    -    Jump to a specific Public or Private Arena.",
    "-  ?logbuffer [(filename)]    -    Log Entire Contents of Buffer and Continue logging (filename is optional, "
    "default is session.log).",
    "-  ?log [(filename)]    -    Log from this point forward (filename is optional, default is session.log).",
    "-  ?away [(message)]    -    Enable/Disable an Away Message.",
    "-  ?arena    -    Display Arenas. Arena with (*) you are in.",
    "-  ?nleave    -    (On/Off) Display a Notification when players Leave.",
    "-  ?nenter    -    (On/Off) Display a Notification when players Enter.",
    "-  ?ndeath    -    (On/Off) Display a Notification when Players Die.",
    "-  ?ignore [(name)]    -    Add to the Temporary Ignore List. (Leave name Blank to Display List)",
    "-  ?pignore [(name)]    -    Add to the Perminent Ignore List. (Leave name Blank to Display List)",
    "",
};

// A switch and what its toggle says: first when it goes off, second when it comes back.
struct Switch {
    bool ReceptionFilters::*field;
    const char* turnedOff;
    const char* turnedOn;
};

constexpr Switch kPublicChat{&ReceptionFilters::publicChat, "Public chat Disabled.", "Public chat Enabled."};
constexpr Switch kTeamChat{&ReceptionFilters::teamChat, "Team chat Disabled.", "Team chat Enabled."};
constexpr Switch kArenaChat{&ReceptionFilters::arenaChat, "Arena chat Disabled.", "Arena chat Enabled."};
constexpr Switch kSysopWarnings{&ReceptionFilters::sysopWarnings, "All Sysop Server Warnings now Ignored.",
                                "Listening to Sysop Server Warnings."};
constexpr Switch kLeaveNotices{&ReceptionFilters::leaveNotices, "Player Leaving Notification Disabled.",
                               "Player Leaving Notification Enabled."};
constexpr Switch kEnterNotices{&ReceptionFilters::enterNotices, "Player Entering Notification Disabled.",
                               "Player Entering Notification Enabled."};
constexpr Switch kDeathNotices{&ReceptionFilters::deathNotices, "Player Death Notification Disabled.",
                               "Player Death Notification Enabled."};

constexpr int kLastChannel = 9;
constexpr const char* kAwayActivated = "Away Message Activated.";
constexpr const char* kAwayDisabled = "Away Message Disabled.";

void Green(Console& console, const std::string& text)
{
    console.output.Print(text, kSlotGreen, true);
}

void White(Console& console, const std::string& text)
{
    console.output.Print(text, kSlotWhite, true);
}

void Toggle(Console& console, const Switch& which)
{
    bool& shown = console.zone.filters.*which.field;
    shown = !shown;
    Green(console, shown ? which.turnedOn : which.turnedOff);
}

bool Matches(const std::string& line, const char* word)
{
    const size_t length = std::strlen(word);
    if (line.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != word[i])
            return false;
    return line.size() == length || line[length] == ' ';
}

// What follows the command word and the one character after it.
std::string ArgumentAfter(const std::string& line, const char* word)
{
    const size_t start = std::strlen(word) + 1;
    return line.size() > start ? line.substr(start) : std::string();
}

// "?nochat": the two characters after "?nochat " are the channel number.
constexpr size_t kChannelDigits = 8;
// "?away": the message keeps the space that follows the command word.
constexpr size_t kAwayMessage = 5;
// "?ignore" and "?pignore" lines this short name nobody: show the list instead.
constexpr size_t kBareIgnore = 8;
constexpr size_t kBarePermIgnore = 9;

// 0 lists channels 1 to 9; 1 to 9 switches that channel; anything else is refused.
void ToggleChannel(Console& console, int channel)
{
    auto& channels = console.zone.filters.channels;
    if (channel == 0) {
        for (int n = 1; n <= kLastChannel; ++n)
            Green(console, "Chat " + std::to_string(n) + (channels[size_t(n)] ? " is Enabled" : " is -Disabled-"));
        return;
    }
    if (channel < 1 || channel > kLastChannel) {
        Green(console, "Invaid Chat number Specified");
        return;
    }
    bool& shown = channels[size_t(channel)];
    shown = !shown;
    Green(console, "Chat " + std::to_string(channel) + (shown ? " has been Enabled" : " has been -Disabled-"));
}

// `message` is everything after "?away", the separating space included.
void SetAway(Console& console, const std::string& message)
{
    Green(console, console.zone.away.Set(message) ? kAwayActivated : kAwayDisabled);
}

void RunNoChat(Console& console, const std::string& line)
{
    const std::string digits = line.size() > kChannelDigits ? line.substr(kChannelDigits, 2) : std::string();
    ToggleChannel(console, int(LeadingNumber(digits)));
}

// The name after the command word, without the spaces around it.
std::string NameAfter(const std::string& line, size_t start)
{
    const size_t first = line.find_first_not_of(' ', start);
    if (first == std::string::npos)
        return std::string();
    return line.substr(first, line.find_last_not_of(' ') + 1 - first);
}

void RunIgnore(Console& console, const std::string& line)
{
    const std::string name = NameAfter(line, kBareIgnore);
    if (name.empty())
        console.ignores.ShowIgnoreLists(true, false);
    else
        console.ignores.ToggleIgnore(name);
}

void RunPermIgnore(Console& console, const std::string& line)
{
    const std::string name = NameAfter(line, kBarePermIgnore);
    if (name.empty())
        console.ignores.ShowIgnoreLists(false, true);
    else
        console.ignores.TogglePermIgnore(name);
}

void PrintHelp(Console& console)
{
    for (const char* line : kHelp)
        White(console, line);
}

struct Command {
    const char* word;
    void (*run)(Console&, const std::string& line);
};

// In the order they are tried.
const Command kCommands[] = {
    {"?nopubchat", [](Console& c, const std::string&) { Toggle(c, kPublicChat); }},
    {"?noteamchat", [](Console& c, const std::string&) { Toggle(c, kTeamChat); }},
    {"?noarenachat", [](Console& c, const std::string&) { Toggle(c, kArenaChat); }},
    {"?nochat", RunNoChat},
    {"?nowarnings", [](Console& c, const std::string&) { Toggle(c, kSysopWarnings); }},
    {"?go", [](Console& c, const std::string& line) { ChangeArena(c.zone, ArgumentAfter(line, "?go")); }},
    {"?logbuffer",
     [](Console& c, const std::string& line) { c.output.SaveBuffer(ArgumentAfter(line, "?logbuffer")); }},
    {"?log", [](Console& c, const std::string& line) { c.output.ToggleLog(ArgumentAfter(line, "?log")); }},
    {"?away",
     [](Console& c, const std::string& line) {
         SetAway(c, line.size() > kAwayMessage ? line.substr(kAwayMessage) : std::string());
     }},
    {"?nleave", [](Console& c, const std::string&) { Toggle(c, kLeaveNotices); }},
    {"?nenter", [](Console& c, const std::string&) { Toggle(c, kEnterNotices); }},
    {"?ndeath", [](Console& c, const std::string&) { Toggle(c, kDeathNotices); }},
    {"?ignore", RunIgnore},
    {"?pignore", RunPermIgnore},
    {"?cmdhelp", [](Console& c, const std::string&) { PrintHelp(c); }},
};

} // namespace

bool RunLocalCommand(Console& console, const std::string& line)
{
    for (const Command& command : kCommands) {
        if (Matches(line, command.word)) {
            command.run(console, line);
            return true;
        }
    }
    return false;
}

long LeadingNumber(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }
