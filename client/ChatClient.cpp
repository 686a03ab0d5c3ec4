#include "client/ChatClient.h"

#include "console/InputRouting.h"
#include "console/LocalCommands.h"
#include "console/PlayerMenu.h"
#include "transport/UdpSocket.h"
#include "zone/Settings.h"

#include <filesystem>
#include <system_error>

namespace {

const char* const kCommandHelpHint = "Type ?cmdhelp for a list of Chat Client Commands.";

// The port setting: its leading decimal digits, kept to 16 bits.
uint16_t PortFromText(const std::string& text)
{
    uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = (value * 10 + uint32_t(c - '0')) & 0xFFFF;
    }
    return uint16_t(value);
}

} // namespace

ChatClient::ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings,
                       const std::string& programFolder)
    : ChatClient(view, userList, settings, programFolder, std::make_unique<UdpSocket>(), steadyClock_,
                 Connection::RandomKeys())
{
}

ChatClient::ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings,
                       const std::string& programFolder, std::unique_ptr<DatagramSocket> socket, const Clock& clock,
                       Connection::KeySource keys)
    : settings_(settings), folder_(programFolder), output_(view, userList, folder_), ignores_(output_, folder_),
      connection_(std::move(socket), clock, std::move(keys)), zone_(connection_, *this, settings_, folder_)
{
    ignores_.LoadPermanent();
    // An existing folder is fine; a failure shows when a log cannot be written.
    std::error_code ignored;
    std::filesystem::create_directory(folder_.PathOf("Logs"), ignored);
}

ChatClient::~ChatClient()
{
    // The goodbye goes out while the zone and the output still listen.
    connection_.Disconnect(true, false);
}

void ChatClient::Connect()
{
    Print("Initilizing Winsock...", kSlotWhite, true);
    const std::string host = Settings::Read(settings_, Settings::ServerIP);
    const uint16_t port = PortFromText(Settings::Read(settings_, Settings::ServerPort));
    if (connection_.Open(host, port)) {
        Print("Successfully Initilized!", kSlotWhite, true);
        connection_.Begin();
    } else {
        Print("ERROR: Winsock Fialed to Initilize properly. Check your settings.", kSlotWhite, true);
    }
    Print(kCommandHelpHint, kSlotWhite, true);
}

void ChatClient::Disconnect() { connection_.Disconnect(false, false); }

void ChatClient::Step()
{
    if (connection_.PollReadable())
        connection_.ReceiveOne();
    connection_.Tick();
    output_.FlushOneLine();
}

bool ChatClient::Submit(const std::string& line, const std::optional<std::string>& selected)
{
    return SubmitInputText(console_, line, selected);
}

std::string ChatClient::ToolTipFor(const std::string& name) const { return PlayerToolTipFor(zone_, name); }

// --- ZoneConsole ---

void ChatClient::Print(const std::string& text, int colourSlot, bool endLine)
{
    output_.Print(text, colourSlot, endLine);
}

void ChatClient::SetUserListTitle(const std::string& text) { output_.SetUserListTitle(text); }
void ChatClient::AddUser(const std::string& name, int kind) { output_.AddUser(name, kind); }
void ChatClient::RemoveUser(const std::string& name) { output_.RemoveUser(name); }
void ChatClient::SetUserKind(const std::string& name, int kind) { output_.SetUserKind(name, kind); }
bool ChatClient::IsIgnored(const std::string& name) const { return ignores_.IsIgnored(name); }
bool ChatClient::RunLocalCommand(const std::string& line) { return ::RunLocalCommand(console_, line); }
