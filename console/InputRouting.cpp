#include "console/InputRouting.h"

#include "console/ChatOutput.h"
#include "console/LocalCommands.h"
#include "transport/Connection.h"
#include "zone/Chat.h"
#include "zone/ZoneSession.h"

#include <algorithm>

namespace {

using namespace Colours;

constexpr const char* kNoTeamSelected = "ERROR: No Team Selected for Team Message.";
constexpr const char* kNoUserSelected = "ERROR: No User Selected for Private Message.";
constexpr const char* kChangingFrequency = "Changing to Frequency: ";

size_t Colons(const std::string& text) { return size_t(std::count(text.begin(), text.end(), ':')); }

bool IsPrefix(char c)
{
    switch (c) {
    case '\'':
    case '"':
    case '/':
    case ':':
    case ';':
    case '=':
    case '?':
        return true;
    default:
        return false;
    }
}

void PrintError(Connection& connection, const char* text)
{
    connection.Output().Print(text, ChatOutput::kSlotWhite, true);
}

bool SendToFrequencyOfSelected(Connection& connection, const std::string& line,
                               const std::optional<std::string>& selected)
{
    // An entry that names nobody in the table has no frequency to send to.
    const Player* player = selected ? FindPlayer(connection, *selected) : nullptr;
    if (player == nullptr) {
        PrintError(connection, kNoTeamSelected);
        return false;
    }
    SendChat(connection, line, kChatFrequency, player->frequency, true);
    return true;
}

bool SendPrivateToSelected(Connection& connection, const std::string& line, const std::optional<std::string>& selected)
{
    if (!selected) {
        PrintError(connection, kNoUserSelected);
        return false;
    }
    // An entry that names nobody goes out to the lookup's "not found" id.
    SendChat(connection, line, kChatPrivate, PlayerIdOf(connection, *selected), true);
    return true;
}

void SendChannel(Connection& connection, const std::string& line)
{
    // ";hello" is for channel 1; ";2;hello" names its channel.
    const bool named = line.size() > 2 && line[2] == ';';
    SendChat(connection, named ? line : ";1" + line, kChatChannel, 0, true);
}

void ChangeFrequency(Connection& connection, const std::string& line)
{
    const std::string rest = line.substr(1);
    SendFrequencyChange(connection, uint16_t(LeadingNumber(rest)));
    connection.Output().Print(kChangingFrequency + rest, ChatOutput::kSlotGreen, true);
}

} // namespace

bool SubmitInputText(Connection& connection, const std::string& line, const std::optional<std::string>& selected)
{
    if (!connection.InArena() || line.empty())
        return false;
    if (line.size() == 1 && IsPrefix(line[0]))
        return false;

    switch (line[0]) {
    case '\'':
        SendChat(connection, line, kChatTeam, 0, true);
        return true;
    case '"':
        return SendToFrequencyOfSelected(connection, line, selected);
    case '/':
        return SendPrivateToSelected(connection, line, selected);
    case ':':
        SendChat(connection, line, Colons(line) > 1 ? kChatRemotePrivate : kChatPublic, 0, true);
        return true;
    case ';':
        SendChannel(connection, line);
        return true;
    case '=':
        ChangeFrequency(connection, line);
        return true;
    case '?':
        if (!RunLocalCommand(connection, line))
            SendChat(connection, line, kChatPublic, 0, true);
        return true;
    default:
        SendChat(connection, line, kChatPublic, 0, true);
        return true;
    }
}

Rgb InputAssist::ColourOf(char first)
{
    switch (first) {
    case '\'':
        return kYellow;
    case '/':
        return kGreen;
    case ';':
        return kOrange;
    default:
        return kLightBlue;
    }
}

InputAssist::Change InputAssist::OnInputChanged(const std::string& text, RecentSenders* senders)
{
    Change change;
    const std::string firstLine = text.substr(0, text.find('\n'));
    if (firstLine.size() == 1) {
        change.colour = ColourOf(firstLine[0]);
        // Leaving the remote message this way also starts the names from the newest again.
        if (remoteMode_ && senders != nullptr)
            senders->ResetRotation();
        remoteMode_ = false;
    }

    if (!text.empty() && text[0] == ':' && Colons(text) > 1) {
        if (!remoteMode_) {
            change.colour = kGreen;
            remoteMode_ = true;
        }
        if (text.compare(0, 2, "::") == 0 && Colons(text) <= 3 && senders != nullptr && !senders->Rotation().empty())
            change.newText = ":" + senders->NextInRotation() + ":";
    } else if (remoteMode_) {
        change.colour = kLightBlue;
        remoteMode_ = false;
        if (senders != nullptr)
            senders->ResetRotation();
    }
    return change;
}
