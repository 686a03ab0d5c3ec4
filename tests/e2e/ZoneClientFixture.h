#pragma once

// The whole client core (a Connection with a real UdpSocket, started as a zone
// client on a program folder of its own) against the zone server of the
// simulator, over loopback UDP, with a hand-moved clock and recording views.

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "app/SettingsStore.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "transport/UdpSocket.h"
#include "zone/ZoneSession.h"
#include "zone/ZoneStartup.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// A piece of shown text and its colour.
struct Piece {
    std::string text;
    Rgb colour;
    bool operator==(const Piece& o) const { return text == o.text && colour == o.colour; }
};

inline void PrintTo(const Piece& piece, std::ostream* os)
{
    *os << '"' << piece.text << "\" rgb(" << int(piece.colour.r) << "," << int(piece.colour.g) << ","
        << int(piece.colour.b) << ")";
}

// A shown line as its pieces.
using Line = std::vector<Piece>;

inline Line Whole(const std::string& text, int slot) { return {{text, ChatOutput::SlotColour(slot)}}; }

// Padded name, "> " and text, as lines from players show.
inline Line FromPlayer(const std::string& name, const std::string& text, int slot)
{
    const Rgb colour = ChatOutput::SlotColour(slot);
    return {{std::string(name.size() < 20 ? 20 - name.size() : 0, ' '), colour},
            {name, colour},
            {"> ", colour},
            {text, colour}};
}

inline std::string TextOf(const Line& line)
{
    std::string text;
    for (const Piece& piece : line)
        text += piece.text;
    return text;
}

// Every file under a folder with its contents, to see what a test wrote where.
inline std::map<std::string, std::string> FilesUnder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(entry.path(), folder).string();
        files[relative] = entry.is_directory() ? std::string("<folder>") : ReadWholeFile(entry.path().string());
    }
    return files;
}

class ZoneClientTest : public ::testing::Test {
protected:
    // Moderate trouble on the line, both ways.
    static constexpr LinkFaults kRoughNetwork{0.1, 0.1, 0.1, 2};
    static constexpr int kWhite = ChatOutput::kSlotWhite;

    ZoneClientTest() { Connection::ResetProcessStateForTests(); }
    ~ZoneClientTest() override { Stop(); }

    // The settings the user made, a fresh simulator with its zone server, and a
    // client started on the program folder that connects as the frame does. The
    // socket's and the connection's own lines are left out of NewLines.
    void Start(ArenaScript script = {}, ZoneSimOptions options = {})
    {
        Stop();
        Connection::ResetProcessStateForTests();
        sim = std::make_unique<ZoneSim>(clock, std::move(options));
        ASSERT_TRUE(sim->Listening());
        server = std::make_unique<ZoneServer>(*sim, std::move(script));
        settings.WriteString("Server", "IP", "127.0.0.1");
        settings.WriteString("Server", "Port", std::to_string(sim->Port()));
        connection = std::make_unique<Connection>(output, std::make_unique<UdpSocket>(), clock);
        StartZone(*connection, program);
        ASSERT_TRUE(connection->OpenSocket());
        connection->BeginConnection();
        NewLines();
    }
    void Stop()
    {
        connection.reset();
        server.reset();
        sim.reset();
        Connection::ResetProcessStateForTests();
    }

    // Connect again, as the user does from the menu after a disconnect.
    void Reconnect()
    {
        ASSERT_TRUE(connection->OpenSocket());
        connection->BeginConnection();
    }

    void Set(const Settings::TextKey& key, const std::string& value)
    {
        settings.WriteString(key.group, key.key, value);
    }
    ZoneSession& Zone() { return *SessionOf(*connection); }
    const Player* Me() { return Zone().players.Get(connection->OwnPlayerId()); }

    // One frame-timer tick of the client, then one poll of the simulator; a hundredth passes.
    void Step()
    {
        if (connection->PollReadable())
            connection->ReceiveOne();
        connection->Tick();
        output.FlushOneLine();
        sim->Poll();
        clock.Advance(1);
        ++steps;
    }
    bool StepUntil(const std::function<bool()>& done, int limit)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            Step();
        }
        return done();
    }
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i)
            Step();
    }

    bool HandshakeDone()
    {
        return StepUntil([this] { return connection->CipherState().Active() && sim->Peer() != nullptr; }, 200);
    }
    // Nothing left in flight either way.
    bool Settled()
    {
        return sim->Peer() != nullptr && sim->Peer()->AllAcknowledged() && connection->Reliable().PendingCount() == 0 &&
               connection->Reliable().Transfers().empty();
    }
    bool SettleDown(int limit = 20000)
    {
        return StepUntil([this] { return Settled(); }, limit);
    }
    // Login, arena entry, roster and map handled, and everything acknowledged.
    bool InArena(int limit = 20000)
    {
        return StepUntil([this] { return connection->InArena() && Settled(); }, limit);
    }
    bool EnterArena(const LinkFaults& faults = LinkFaults{})
    {
        if (!HandshakeDone())
            return false;
        sim->SetFaults(faults, faults);
        return InArena();
    }

    // The lines shown since the last call, each as its pieces.
    std::vector<Line> NewLines()
    {
        while (output.QueuedPieces() > 0)
            output.FlushOneLine();
        std::vector<Line> lines;
        for (; runsSeen_ < view.runs.size(); ++runsSeen_) {
            std::string text = view.runs[runsSeen_].text;
            const bool breaks = !text.empty() && text[0] == '\n';
            if (breaks)
                text.erase(0, 1);
            if (breaks || lines.empty())
                lines.emplace_back();
            lines.back().push_back({text, view.runs[runsSeen_].colour});
        }
        return lines;
    }
    std::vector<std::string> NewTexts()
    {
        std::vector<std::string> texts;
        for (const Line& line : NewLines())
            texts.push_back(TextOf(line));
        return texts;
    }

    TempHome home;
    TempDir sandbox; // the program folder and whatever a hostile name might reach beside it
    std::string program = MakeFolder(sandbox.Path() + "Quillon/");
    FakeOutputView view;
    FakeUserListView users;
    ChatOutput output{view, users, program};
    SettingsStore settings;
    ManualClock clock;
    std::unique_ptr<ZoneSim> sim;
    std::unique_ptr<ZoneServer> server;
    std::unique_ptr<Connection> connection;
    int steps = 0;

private:
    static std::string MakeFolder(const std::string& path)
    {
        std::filesystem::create_directories(path);
        return path;
    }

    size_t runsSeen_ = 0;
};
