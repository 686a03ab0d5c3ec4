#include "zone/Automation.h"

#include "zone/Zone.h"
#include "zone/ZoneConsole.h"
#include "zone/Chat.h"
#include "zone/Settings.h"

namespace {

void SendPublic(Zone& zone, const std::string& text) { SendChat(zone, text, kChatPublic, 0, true); }

void RunAutomaticCommand(Zone& zone, const std::string& command)
{
    if (!command.empty() && command[0] == '?') {
        if (zone.Console().RunLocalCommand(command))
            return;
    }
    SendPublic(zone, command);
}

} // namespace

void RunZoneEntryAutomation(Zone& zone)
{
    const std::string chats = Settings::Read(zone.Settings(), Settings::UserChats);
    if (!chats.empty())
        SendPublic(zone, "?chat=" + chats);

    std::string remaining = Settings::Read(zone.Settings(), Settings::UserAuto);
    while (!remaining.empty()) {
        // "/" separates first; a "\" only counts once no "/" is left.
        size_t separator = remaining.find('/');
        if (separator == std::string::npos)
            separator = remaining.find('\\');
        RunAutomaticCommand(zone, remaining.substr(0, separator));
        remaining = separator == std::string::npos ? std::string() : remaining.substr(separator + 1);
    }
}
