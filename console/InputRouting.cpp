#include "console/InputRouting.h"

#include "console/ChatOutput.h"
#include "console/Console.h"
#include "console/LocalCommands.h"
#include "zone/Chat.h"
#include "zone/Zone.h"

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

void PrintError(Zone& zone, const char* text) { zone.White(text); }

bool SendToFrequencyOfSelected(Zone& zone, const std::string& line,
                               const std::optional<std::string>& selected)
{
    // An entry that names nobody in the table has no frequency to send to.
    const Player* player = selected ? zone.players.Get(zone.players.FindByName(*selected)) : nullptr;
    if (player == nullptr) {
        PrintError(zone, kNoTeamSelected);
        return false;
    }
    SendChat(zone, line, kChatFrequency, player->frequency, true);
    return true;
}

bool SendPrivateToSelected(Zone& zone, const std::string& line, const std::optional<std::string>& selected)
{
    if (!selected) {
        PrintError(zone, kNoUserSelected);
        return false;
    }
    // The list may still show a player who has left: the line stays for another.
    const uint16_t id = zone.players.FindByName(*selected);
    if (id == PlayerTable::kNotFound) {
        zone.White(kPlayerNotInArena + *selected);
        return false;
    }
    SendChat(zone, line, kChatPrivate, id, true);
    return true;
}

void SendChannel(Zone& zone, const std::string& line)
{
    // ";hello" is for channel 1; ";2;hello" names its channel.
    const bool named = line.size() > 2 && line[2] == ';';
    SendChat(zone, named ? line : ";1" + line, kChatChannel, 0, true);
}

void ChangeFrequency(Zone& zone, const std::string& line)
{
    const std::string rest = line.substr(1);
    SendFrequencyChange(zone, uint16_t(LeadingNumber(rest)));
    zone.Green(kChangingFrequency + rest);
}

// The input field's colour for a line starting with `first`.
Rgb ColourOf(char first)
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

} // namespace

bool SubmitInputText(Console& console, const std::string& line, const std::optional<std::string>& selected)
{
    Zone& zone = console.zone;
    if (!zone.InArena() || line.empty())
        return false;
    if (line.size() == 1 && IsPrefix(line[0]))
        return false;

    switch (line[0]) {
    case '\'':
        SendChat(zone, line, kChatTeam, 0, true);
        return true;
    case '"':
        return SendToFrequencyOfSelected(zone, line, selected);
    case '/':
        return SendPrivateToSelected(zone, line, selected);
    case ':':
        SendChat(zone, line, Colons(line) > 1 ? kChatRemotePrivate : kChatPublic, 0, true);
        return true;
    case ';':
        SendChannel(zone, line);
        return true;
    case '=':
        ChangeFrequency(zone, line);
        return true;
    case '?':
        if (!RunLocalCommand(console, line))
            SendChat(zone, line, kChatPublic, 0, true);
        return true;
    default:
        SendChat(zone, line, kChatPublic, 0, true);
        return true;
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
