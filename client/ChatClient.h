#pragma once

#include "console/ChatOutput.h"
#include "console/Console.h"
#include "console/IgnoreLists.h"
#include "transport/Clock.h"
#include "transport/Connection.h"
#include "zone/ProgramFolder.h"
#include "zone/Zone.h"
#include "zone/ZoneConsole.h"

#include <memory>
#include <optional>
#include <string>

class DatagramSocket;
class SettingsSource;

// The whole client below the window: the program folder, the console (output,
// player list model, ignore lists), the connection and the zone. The window's
// timer calls Step; tests, fuzz targets and benchmarks call it the same way.
class ChatClient final : private ZoneConsole {
public:
    // The program's own: a UDP socket, the monotonic clock and random session keys.
    ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings, const std::string& programFolder);
    ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings, const std::string& programFolder,
               std::unique_ptr<DatagramSocket> socket, const Clock& clock, Connection::KeySource keys);
    ~ChatClient() override;
    ChatClient(const ChatClient&) = delete;
    ChatClient& operator=(const ChatClient&) = delete;

    // File → Connect: opens the socket on the configured server and starts the
    // key exchange, saying how it went.
    void Connect();
    // File → DisConnect.
    void Disconnect();
    // One tick: at most one datagram in, the periodic jobs, at most one piece shown.
    void Step();
    // Enter in the input line; `selected` is the player list's selected name.
    // True when the input line is to be cleared.
    bool Submit(const std::string& line, const std::optional<std::string>& selected);

    // The tool tip for a player list entry; empty when it names nobody present.
    std::string ToolTipFor(const std::string& name) const;

    Connection& Link() { return connection_; }
    Zone& GetZone() { return zone_; }
    ChatOutput& Output() { return output_; }
    IgnoreLists& Ignores() { return ignores_; }
    Console& Commands() { return console_; }
    const ProgramFolder& Folder() const { return folder_; }

private:
    // --- ZoneConsole ---
    void Print(const std::string& text, int colourSlot, bool endLine) override;
    void SetUserListTitle(const std::string& text) override;
    void AddUser(const std::string& name, int kind) override;
    void RemoveUser(const std::string& name) override;
    void SetUserKind(const std::string& name, int kind) override;
    bool IsIgnored(const std::string& name) const override;
    bool RunLocalCommand(const std::string& line) override;

    SettingsSource& settings_;
    SteadyClock steadyClock_;
    ProgramFolder folder_;
    ChatOutput output_;
    IgnoreLists ignores_;
    Connection connection_;
    Zone zone_;
    Console console_{zone_, output_, ignores_};
};
