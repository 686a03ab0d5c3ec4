#pragma once

// A started zone client for the fuzz targets: the client on a socket that hands
// out the input's datagrams, a hand-moved clock, recording views, settings in
// memory and the scratch program folder.

#include "FuzzSupport.h"

#include "ZoneServer.h"
#include "client/ChatClient.h"
#include "transport/Cipher.h"

#include "support/FakeViews.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// Hands out queued datagrams; what the client sends is only counted.
class FuzzSocket final : public DatagramSocket {
public:
    bool Open(const std::string&, uint16_t) override { return true; }
    void Send(const Packet&) override { ++sent; }
    uint32_t Receive(Packet& packet) override
    {
        if (inbox.empty())
            return 0;
        const Packet datagram = std::move(inbox.front());
        inbox.pop_front();
        if (datagram.Empty() || datagram.Size() > kMaxDatagram)
            return 0;
        packet = datagram;
        return packet.Size();
    }
    bool Readable() override { return !inbox.empty(); }

    std::deque<Packet> inbox;
    uint64_t sent = 0;
};

class FuzzSession {
public:
    // The ids the scripted arena gives the players present, the user first.
    static constexpr uint16_t kOwnId = 7;

    // Every input starts afresh: an empty program folder with an Ignore.txt, then
    // the client made and connected as the user does it.
    FuzzSession()
    {
        const FuzzScratch& scratch = FuzzScratch::Get();
        scratch.EmptyProgramFolder();
        WriteWholeFile(scratch.ProgramFolder() + "Ignore.txt", "Muted Mike\r\nquiet quinn\r\n");
        Settings::Write(settings_, Settings::UserName, "Fuzz Pilot");
        Settings::Write(settings_, Settings::UserPassword, "secret");
        Settings::Write(settings_, Settings::UserChats, "one,two");
        // The entry automation: a command line and a chat line.
        Settings::Write(settings_, Settings::UserAuto, "?away fuzzing/hello arena");
        Settings::Write(settings_, Settings::ServerIP, "127.0.0.1");
        Settings::Write(settings_, Settings::ServerPort, "5000");
        auto socket = std::make_unique<FuzzSocket>();
        socket_ = socket.get();
        client_ = std::make_unique<ChatClient>(view_, users_, settings_, scratch.ProgramFolder(), std::move(socket),
                                               clock_, [] { return 12345u; });
        client_->Connect();
    }
    FuzzSession(const FuzzSession&) = delete;
    FuzzSession& operator=(const FuzzSession&) = delete;

    ChatClient& Client() { return *client_; }
    ::Zone& Zone() { return client_->GetZone(); }
    ChatOutput& Output() { return client_->Output(); }
    FakeOutputView& View() { return view_; }

    // A datagram from the server, encrypted as the server would once the
    // client's cipher runs (whatever key it took), unless `raw`.
    void Deliver(Packet datagram, bool raw)
    {
        const Cipher& client = client_->Link().CipherState();
        if (!raw && client.Active()) {
            if (!server_.Active() || server_.Key() != client.Key())
                server_.Start(client.Key());
            server_.Encrypt(datagram);
        }
        socket_->inbox.push_back(std::move(datagram));
    }

    // What the frame timer does, n times; with none a waiting datagram is still taken.
    void Ticks(uint32_t n)
    {
        if (n == 0) {
            if (client_->Link().PollReadable())
                client_->Link().ReceiveOne();
            return;
        }
        for (uint32_t i = 0; i < n; ++i) {
            clock_.Advance(1);
            client_->Step();
        }
    }

    void Handshake(uint32_t serverKey)
    {
        Packet response(6);
        response.WriteU8(0x02, 1);
        response.WriteU32(serverKey, 2);
        Deliver(response, true);
        Ticks(0);
    }

    // Into an arena: login accepted, own id, settings, players present, entered.
    // Straight to the dispatcher, so the reliable numbering is left for the input.
    void EnterArena(const std::vector<std::string>& extraNames = {})
    {
        std::vector<SimPlayer> players = {{kOwnId, "Fuzz Pilot", "", 8, 0, 0, 0, 0, 0},
                                          {3, "Muted Mike", "Squad", 1, 0, 10, 20, 1, 2},
                                          {300, "Talker", "", 8, 1, 0, 0, 0, 0},
                                          {511, "Edge Case", "E", 2, 9999, 5, 5, 5, 5}};
        for (size_t i = 0; i < extraNames.size(); ++i)
            players.push_back({uint16_t(100 + i), extraNames[i], "", 8, uint16_t(i), 0, 0, 0, 0});
        const std::vector<Packet> packets = {
            ZonePackets::LoginResponse(0),         ZonePackets::OwnId(kOwnId),  ZonePackets::ArenaSettings(25, 1),
            ZonePackets::PlayersEntering(players), ZonePackets::ArenaEntered(),
        };
        for (const Packet& packet : packets)
            Zone().OnZonePacket(packet);
    }

    // The user's reception choices, as the local commands would have made them.
    void SetFilters(bool notices, bool mute, bool away)
    {
        ::Zone& session = Zone();
        session.filters.enterNotices = session.filters.leaveNotices = session.filters.deathNotices = notices;
        if (mute) {
            session.filters.publicChat = false;
            session.filters.channels[1] = false;
        }
        if (away)
            session.away.Set(" back soon");
    }

    // Whatever is still queued goes to the view, as later ticks would take it.
    void FlushOutput()
    {
        while (Output().QueuedPieces() > 0)
            Output().FlushOneLine();
    }

    // What must hold however hostile the input was.
    void CheckBounds() const
    {
        FUZZ_CHECK(client_->Link().Reliable().HeldCount() <= ReliableState::kMaxAhead);
        FUZZ_CHECK(client_->Link().ReassemblyBytes() <= 2 * Connection::kMaxTransferSize);
        FUZZ_CHECK(FuzzScratch::Get().SandboxHoldsOnlyProgramFolder());
    }

    // With QUILLON_FUZZ_SHOW set: what the input made the client show and send,
    // for whoever writes corpus files.
    void ShowIfAsked() const
    {
        if (std::getenv("QUILLON_FUZZ_SHOW") == nullptr)
            return;
        std::fprintf(stderr, "%s\n-- %llu datagrams sent, in arena: %d\n", view_.ShownText().c_str(),
                     static_cast<unsigned long long>(socket_->sent), int(client_->GetZone().InArena()));
    }

private:
    FakeOutputView view_;
    FakeUserListView users_;
    MemorySettings settings_;
    ManualClock clock_;
    Cipher server_;
    FuzzSocket* socket_ = nullptr;
    std::unique_ptr<ChatClient> client_;
};
