#pragma once

#include "console/ChatOutput.h"
#include "console/Console.h"
#include "console/IgnoreLists.h"
#include "transport/Clock.h"
#include "transport/Connection.h"
#include "zone/ProgramFolder.h"
#include "zone/Zone.h"
#include "zone/ZoneConsole.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DatagramSocket;
class SettingsSource;

// The whole client below the window: the program folder, the console (output,
// player list model, ignore lists), the connection and the zone. The window's
// timer calls Step; tests, fuzz targets and benchmarks call it the same way.
class ChatClient final : private ZoneConsole {
public:
    // A host name to a dotted quad, or nothing; it runs on a thread of its own.
    using Resolver = std::function<std::optional<std::string>(const std::string& host)>;

    // The program's own: a UDP socket, the monotonic clock, random session keys
    // and the system's resolver.
    ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings, const std::string& programFolder);
    // Tests': a name resolves to itself unless a resolver is given.
    ChatClient(OutputView& view, UserListView& userList, SettingsSource& settings, const std::string& programFolder,
               std::unique_ptr<DatagramSocket> socket, const Clock& clock, Connection::KeySource keys,
               Resolver resolver = {});
    ~ChatClient() override;
    ChatClient(const ChatClient&) = delete;
    ChatClient& operator=(const ChatClient&) = delete;

    // File → Connect: opens the socket on the configured server and starts the
    // key exchange, saying how it went. A host name is looked up first, off the
    // GUI thread; the connection starts in the Step that finds the answer.
    void Connect();
    // File → DisConnect; it also ends a look-up or a reconnect that is pending.
    void Disconnect();
    // Connected, looking the server up, or waiting to reconnect: what the menu shows.
    bool Connected() const { return lookup_ != nullptr || connection_.Connected(); }
    // One tick: at most one datagram in, the periodic jobs, at most one piece shown.
    void Step();
    // Enter in the input line; `selected` is the player list's selected name.
    // True when the input line is to be cleared.
    bool Submit(const std::string& line, const std::optional<std::string>& selected);

    // Reads the display settings again: timestamps and the scrollback limit.
    void ApplyDisplaySettings();
    // Told of every mention (a line naming the user, a private message) as it is printed.
    void SetMentionHandler(std::function<void(const std::string& sender, const std::string& text)> handler)
    {
        onMention_ = std::move(handler);
    }
    // The names in the arena's player list, for name completion.
    std::vector<std::string> PlayerNames() const;

    // The tool tip for a player list entry; empty when it names nobody present.
    std::string ToolTipFor(const std::string& name) const;
    // A name as the player list shows it, as the server spelled it (control
    // characters and all) while that player is in the arena; otherwise as given.
    std::string ServerSpelling(const std::string& shownName) const;

    Connection& Link() { return connection_; }
    Zone& GetZone() { return zone_; }
    ChatOutput& Output() { return output_; }
    IgnoreLists& Ignores() { return ignores_; }
    Console& Commands() { return console_; }
    const ProgramFolder& Folder() const { return folder_; }

private:
    // --- ZoneConsole ---
    void Print(const std::string& text, int colourSlot, bool endLine) override;
    void Mention(const std::string& sender, const std::string& text) override;
    void SetUserListTitle(const std::string& text) override;
    void AddUser(const std::string& name, int kind) override;
    void RemoveUser(const std::string& name) override;
    void SetUserKind(const std::string& name, int kind) override;
    bool IsIgnored(const std::string& name) const override;
    bool RunLocalCommand(const std::string& line) override;

    // A look-up on its own thread; the thread may outlive the client.
    struct Lookup;
    void OpenAndBegin(const std::string& address);
    void FinishLookup();

    SettingsSource& settings_;
    Resolver resolver_;
    std::function<void(const std::string&, const std::string&)> onMention_;
    std::shared_ptr<Lookup> lookup_;
    uint16_t port_ = 0;
    SteadyClock steadyClock_;
    ProgramFolder folder_;
    ChatOutput output_;
    IgnoreLists ignores_;
    Connection connection_;
    Zone zone_;
    Console console_{zone_, output_, ignores_};
};
