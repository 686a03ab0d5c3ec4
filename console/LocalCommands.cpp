#include "console/LocalCommands.h"

#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "zone/ArenaList.h"
#include "zone/ZoneSession.h"

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

void Green(Connection& connection, const std::string& text)
{
    connection.Output().Print(text, ChatOutput::kSlotGreen, true);
}

void White(Connection& connection, const std::string& text)
{
    connection.Output().Print(text, ChatOutput::kSlotWhite, true);
}

void Toggle(Connection& connection, const Switch& which)
{
    ZoneSession* session = SessionOf(connection);
    if (session == nullptr)
        return;
    bool& shown = session->filters.*which.field;
    shown = !shown;
    Green(connection, shown ? which.turnedOn : which.turnedOff);
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

void RunNoChat(Connection& connection, const std::string& line)
{
    const std::string digits = line.size() > kChannelDigits ? line.substr(kChannelDigits, 2) : std::string();
    ToggleChannel(connection, int(LeadingNumber(digits)));
}

void RunIgnore(Connection& connection, const std::string& line)
{
    if (line.size() <= kBareIgnore)
        connection.ShowIgnoreLists(true, false);
    else
        connection.ToggleIgnore(line.substr(kBareIgnore));
}

void RunPermIgnore(Connection& connection, const std::string& line)
{
    if (line.size() <= kBarePermIgnore)
        connection.ShowIgnoreLists(false, true);
    else
        connection.TogglePermIgnore(line.substr(kBarePermIgnore));
}

void PrintHelp(Connection& connection)
{
    for (const char* line : kHelp)
        White(connection, line);
}

struct Command {
    const char* word;
    void (*run)(Connection&, const std::string& line);
};

// In the order they are tried.
const Command kCommands[] = {
    {"?nopubchat", [](Connection& c, const std::string&) { TogglePublicChat(c); }},
    {"?noteamchat", [](Connection& c, const std::string&) { ToggleTeamChat(c); }},
    {"?noarenachat", [](Connection& c, const std::string&) { ToggleArenaChat(c); }},
    {"?nochat", RunNoChat},
    {"?nowarnings", [](Connection& c, const std::string&) { ToggleSysopWarnings(c); }},
    {"?go", [](Connection& c, const std::string& line) { ChangeArena(c, ArgumentAfter(line, "?go")); }},
    {"?logbuffer",
     [](Connection& c, const std::string& line) { c.Output().SaveBuffer(ArgumentAfter(line, "?logbuffer")); }},
    {"?log", [](Connection& c, const std::string& line) { c.Output().ToggleLog(ArgumentAfter(line, "?log")); }},
    {"?away",
     [](Connection& c, const std::string& line) {
         SetAway(c, line.size() > kAwayMessage ? line.substr(kAwayMessage) : std::string());
     }},
    {"?nleave", [](Connection& c, const std::string&) { ToggleLeaveNotices(c); }},
    {"?nenter", [](Connection& c, const std::string&) { ToggleEnterNotices(c); }},
    {"?ndeath", [](Connection& c, const std::string&) { ToggleDeathNotices(c); }},
    {"?ignore", RunIgnore},
    {"?pignore", RunPermIgnore},
    {"?cmdhelp", [](Connection& c, const std::string&) { PrintHelp(c); }},
};

} // namespace

bool RunLocalCommand(Connection& connection, const std::string& line)
{
    // Without a zone there is nothing to switch; the caller sends the line on.
    if (SessionOf(connection) == nullptr)
        return false;
    for (const Command& command : kCommands) {
        if (Matches(line, command.word)) {
            command.run(connection, line);
            return true;
        }
    }
    return false;
}

void TogglePublicChat(Connection& connection) { Toggle(connection, kPublicChat); }
void ToggleTeamChat(Connection& connection) { Toggle(connection, kTeamChat); }
void ToggleArenaChat(Connection& connection) { Toggle(connection, kArenaChat); }
void ToggleSysopWarnings(Connection& connection) { Toggle(connection, kSysopWarnings); }
void ToggleLeaveNotices(Connection& connection) { Toggle(connection, kLeaveNotices); }
void ToggleEnterNotices(Connection& connection) { Toggle(connection, kEnterNotices); }
void ToggleDeathNotices(Connection& connection) { Toggle(connection, kDeathNotices); }

void ToggleChannel(Connection& connection, int channel)
{
    ZoneSession* session = SessionOf(connection);
    if (session == nullptr)
        return;
    auto& channels = session->filters.channels;
    if (channel == 0) {
        for (int n = 1; n <= kLastChannel; ++n)
            Green(connection, "Chat " + std::to_string(n) + (channels[size_t(n)] ? " is Enabled" : " is -Disabled-"));
        return;
    }
    if (channel < 1 || channel > kLastChannel) {
        Green(connection, "Invaid Chat number Specified");
        return;
    }
    bool& shown = channels[size_t(channel)];
    shown = !shown;
    Green(connection, "Chat " + std::to_string(channel) + (shown ? " has been Enabled" : " has been -Disabled-"));
}

void SetAway(Connection& connection, const std::string& message)
{
    ZoneSession* session = SessionOf(connection);
    if (session == nullptr)
        return;
    Green(connection, session->away.Set(message) ? kAwayActivated : kAwayDisabled);
}

long LeadingNumber(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }
