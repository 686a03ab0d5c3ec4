#include "zone/Automation.h"

#include "transport/Connection.h"
#include "zone/Chat.h"
#include "zone/ZoneSession.h"

namespace {

void SendPublic(Connection& connection, const std::string& text) { SendChat(connection, text, kChatPublic, 0, true); }

void RunAutomaticCommand(Connection& connection, const std::string& command)
{
    if (!command.empty() && command[0] == '?') {
        ZoneSession* session = SessionOf(connection);
        if (session != nullptr && session->runLocalCommand && session->runLocalCommand(command))
            return;
    }
    SendPublic(connection, command);
}

} // namespace

void RunZoneEntryAutomation(Connection& connection)
{
    const std::string chats = Settings::Read(connection.Store(), Settings::UserChats);
    if (!chats.empty())
        SendPublic(connection, "?chat=" + chats);

    std::string remaining = Settings::Read(connection.Store(), Settings::UserAuto);
    while (!remaining.empty()) {
        // "/" separates first; a "\" only counts once no "/" is left.
        size_t separator = remaining.find('/');
        if (separator == std::string::npos)
            separator = remaining.find('\\');
        RunAutomaticCommand(connection, remaining.substr(0, separator));
        remaining = separator == std::string::npos ? std::string() : remaining.substr(separator + 1);
    }
}
