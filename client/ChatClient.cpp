#include "client/ChatClient.h"

#include "console/InputRouting.h"
#include "console/LocalCommands.h"
#include "console/PlayerMenu.h"
#include "transport/UdpSocket.h"
#include "zone/Settings.h"
#include "zone/Transfers.h"

#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

const char* const kCommandHelpHint = "Type ?cmdhelp for a list of Chat Client Commands.";
const char* const kSocketFailed = "ERROR: Winsock Fialed to Initilize properly. Check your settings.";

// The port setting: a whole number from 1 to 65535, or nothing.
std::optional<uint16_t> PortFromText(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long value = std::stoul(text);
    if (value < 1 || value > 65535)
        return std::nullopt;
    return uint16_t(value);
}

} // namespace

struct ChatClient::Lookup {
    std::mutex mutex;
    bool done = false;
    std::optional<std::string> address;
};

ChatClient::ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings,
                       const std::string& programFolder)
    : ChatClient(view, userList, settings, programFolder, std::make_unique<UdpSocket>(), steadyClock_,
                 Connection::RandomKeys(), LookUpAddress)
{
}

ChatClient::ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings,
                       const std::string& programFolder, std::unique_ptr<DatagramSocket> socket, const Clock& clock,
                       Connection::KeySource keys, Resolver resolver)
    : settings_(settings),
      resolver_(resolver ? std::move(resolver)
                         : [](const std::string& host) { return std::optional<std::string>(host); }),
      folder_(programFolder), output_(view, userList, folder_), ignores_(output_, folder_),
      connection_(std::move(socket), clock, std::move(keys)), zone_(connection_, *this, settings_, folder_)
{
    ignores_.LoadPermanent();
    ApplyDisplaySettings();
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
    lookup_.reset();
    const std::string portText = Settings::Read(settings_, Settings::ServerPort);
    const std::optional<uint16_t> port = PortFromText(portText);
    if (!port) {
        Print("ERROR: The Port setting \"" + portText + "\" is not a number from 1 to 65535. Check your settings.",
              kSlotWhite, true);
        Print(kCommandHelpHint, kSlotWhite, true);
        return;
    }
    port_ = *port;
    const std::string host = Settings::Read(settings_, Settings::ServerIP);
    if (IsNumericAddress(host)) {
        OpenAndBegin(host);
        return;
    }
    // The rest of the lines follow when the answer is in.
    auto lookup = std::make_shared<Lookup>();
    lookup_ = lookup;
    std::thread([lookup, resolve = resolver_, host] {
        std::optional<std::string> address = resolve(host);
        const std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->address = std::move(address);
        lookup->done = true;
    }).detach();
}

void ChatClient::FinishLookup()
{
    std::optional<std::string> address;
    {
        const std::lock_guard<std::mutex> lock(lookup_->mutex);
        if (!lookup_->done)
            return;
        address = lookup_->address;
    }
    lookup_.reset();
    if (!address) {
        Print("ERROR: The Server \"" + Settings::Read(settings_, Settings::ServerIP) +
                  "\" could not be found. Check your settings.",
              kSlotWhite, true);
        Print(kCommandHelpHint, kSlotWhite, true);
        return;
    }
    OpenAndBegin(*address);
}

void ChatClient::OpenAndBegin(const std::string& address)
{
    if (connection_.Open(address, port_)) {
        Print("Successfully Initilized!", kSlotWhite, true);
        connection_.Begin();
    } else {
        Print(kSocketFailed, kSlotWhite, true);
    }
    Print(kCommandHelpHint, kSlotWhite, true);
}

void ChatClient::Disconnect()
{
    lookup_.reset();
    connection_.Disconnect(false, false);
}

void ChatClient::Step()
{
    if (lookup_)
        FinishLookup();
    if (connection_.PollReadable())
        connection_.ReceiveOne();
    connection_.Tick();
    FinishMapDownload(zone_);
    output_.FlushOneLine();
}

bool ChatClient::Submit(const std::string& line, const std::optional<std::string>& selected)
{
    return SubmitInputText(console_, line, selected);
}

std::string ChatClient::ToolTipFor(const std::string& name) const { return PlayerToolTipFor(zone_, name); }

std::string ChatClient::ServerSpelling(const std::string& shownName) const
{
    const Player* player = zone_.players.Get(zone_.players.FindByName(shownName));
    return player != nullptr && player->inUse ? player->name : shownName;
}

// --- ZoneConsole ---

void ChatClient::ApplyDisplaySettings()
{
    output_.SetTimestamps(Settings::Read(settings_, Settings::WindowTimestamps));
    const int32_t lines = Settings::Read(settings_, Settings::WindowScrollback);
    output_.SetScrollback(
        size_t(lines >= 0 && lines <= Settings::kMaxScrollback ? lines : Settings::WindowScrollback.def));
}

void ChatClient::Mention(const std::string& sender, const std::string& text)
{
    output_.MarkLine();
    if (onMention_)
        onMention_(sender, text);
}

std::vector<std::string> ChatClient::PlayerNames() const
{
    std::vector<std::string> names;
    for (uint16_t id = 0; id < PlayerTable::kSlots; ++id)
        if (const Player* player = zone_.players.Get(id); player->inUse)
            names.push_back(player->name);
    return names;
}

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
