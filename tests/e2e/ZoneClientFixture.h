#pragma once

// The whole client (a real UdpSocket, a program folder of its own) against the
// zone server of the simulator, over loopback UDP, with a hand-moved clock,
// recording views and settings in memory.

#include "ZoneServer.h"
#include "ZoneSim.h"
#include "client/ChatClient.h"
#include "transport/UdpSocket.h"

#include "support/FakeViews.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline std::vector<std::string> SplitLines(const std::string& text, const std::string& separator)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size())
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

inline std::string MadeFolder(const std::string& path)
{
    std::filesystem::create_directories(path);
    return path;
}

// Every file under a folder with its contents, to see what a test wrote where.
inline std::map<std::string, std::string> FilesUnder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_directory() ? std::string("<folder>") : ReadWholeFile(entry.path().string());
    return files;
}

class ZoneClientTest : public ::testing::Test {
protected:
    // Moderate trouble on the line, both ways.
    static constexpr LinkFaults kRoughNetwork{0.1, 0.1, 0.1, 2};

    ZoneClientTest() { Set(Settings::UserName, "Tester"); }
    ~ZoneClientTest() override { Stop(); }

    // A fresh simulator with its zone server, and a client on the program folder
    // that connects as the user does; the connection's own lines are skipped.
    void Start(ArenaScript script = {}, ZoneSimOptions options = {})
    {
        Stop();
        sim = std::make_unique<ZoneSim>(clock, std::move(options));
        ASSERT_TRUE(sim->Listening());
        server = std::make_unique<ZoneServer>(*sim, std::move(script));
        Set(Settings::ServerIP, "127.0.0.1");
        Set(Settings::ServerPort, std::to_string(sim->Port()));
        client = std::make_unique<ChatClient>(view, users, settings, program, std::make_unique<UdpSocket>(), clock,
                                              Connection::RandomKeys());
        client->Connect();
        NewLines();
    }
    void Stop()
    {
        client.reset();
        server.reset();
        sim.reset();
    }

    void Set(const Settings::TextKey& key, const std::string& value) { Settings::Write(settings, key, value); }
    Connection& Link() { return client->Link(); }
    ::Zone& Zone() { return client->GetZone(); }
    ChatOutput& Output() { return client->Output(); }

    // One frame-timer tick of the client, then one poll of the simulator; a hundredth passes.
    void Step()
    {
        // A downloaded map is taken in from a thread of its own: while one is on its
        // way, a step gives that thread a moment of the real clock.
        if (client->GetZone().mapJob)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        client->Step();
        sim->Poll();
        clock.Advance(1);
    }
    bool StepUntil(const std::function<bool()>& done, int limit)
    {
        for (int i = 0; i < limit && !done(); ++i)
            Step();
        return done();
    }
    void Steps(int n)
    {
        StepUntil([] { return false; }, n);
    }

    bool HandshakeDone()
    {
        return StepUntil([this] { return Link().CipherState().Active() && sim->Peer() != nullptr; }, 200);
    }
    // Nothing left in flight either way.
    bool Settled()
    {
        return sim->Peer() != nullptr && sim->Peer()->AllAcknowledged() && Link().Reliable().PendingCount() == 0 &&
               Link().Reliable().Transfers().empty() && !client->GetZone().mapJob;
    }
    bool SettleDown()
    {
        return StepUntil([this] { return Settled(); }, 20000);
    }
    // Login, arena entry, roster and map handled, and everything acknowledged.
    bool InArena()
    {
        return StepUntil([this] { return Zone().InArena() && Settled(); }, 20000);
    }
    bool EnterArena(const LinkFaults& faults = LinkFaults{})
    {
        if (!HandshakeDone())
            return false;
        sim->SetFaults(faults, faults);
        return InArena();
    }
    bool Disconnected()
    {
        return StepUntil([this] { return sim->Peer() != nullptr && sim->Peer()->ClientLeft(); }, 20000) &&
               !Link().Connected();
    }

    // The lines shown since the last call; their colours go to lineColours.
    std::vector<std::string> NewLines()
    {
        while (Output().QueuedPieces() > 0)
            Output().FlushOneLine();
        std::vector<std::string> lines;
        lineColours.clear();
        for (const FakeOutputView::Line& line : view.TakeLines()) {
            lines.push_back(line.text);
            lineColours.push_back(line.colour);
        }
        return lines;
    }
    std::vector<Packet> ChatPackets() const
    {
        std::vector<Packet> packets;
        for (const HeardChat& chat : server->Chats())
            packets.push_back(chat.packet);
        return packets;
    }

    TempDir sandbox; // the program folder and whatever a hostile name might reach beside it
    std::string program = MadeFolder(sandbox.Path() + "Quillon/");
    FakeOutputView view;
    FakeUserListView users;
    MemorySettings settings;
    ManualClock clock;
    std::unique_ptr<ZoneSim> sim;
    std::unique_ptr<ZoneServer> server;
    std::unique_ptr<ChatClient> client;
    std::vector<Rgb> lineColours;
};
