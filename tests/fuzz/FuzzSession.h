#pragma once

// A started zone client for the fuzz targets.

#include "FuzzSupport.h"

#include "ZoneServer.h"

#include "support/ClientHarness.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The client as ClientHarness makes it, on the scratch program folder, where
// every input starts afresh with an Ignore.txt; connected as the user does it.
class FuzzSession {
public:
    // The ids the scripted arena gives the players present, the user first.
    static constexpr uint16_t kOwnId = 7;

    FuzzSession()
    {
        Settings::Write(h_.settings, Settings::UserName, "Fuzz Pilot");
        Settings::Write(h_.settings, Settings::UserChats, "one,two");
        // The entry automation: a command line and a chat line.
        Settings::Write(h_.settings, Settings::UserAuto, "?away fuzzing/hello arena");
        h_->Connect();
    }

    ChatClient& Client() { return *h_; }
    ::Zone& Zone() { return h_.Z(); }
    ChatOutput& Output() { return h_->Output(); }

    // A datagram from the server, encrypted as the server would once the
    // client's cipher runs (whatever key it took), unless `raw`.
    void Deliver(Packet datagram, bool raw)
    {
        const Cipher& client = h_->Link().CipherState();
        if (!raw && client.Active()) {
            if (!server_.Active() || server_.Key() != client.Key())
                server_.Start(client.Key());
            server_.Encrypt(datagram);
        }
        h_.socket->inbox.push_back(std::move(datagram));
    }

    // What the frame timer does, n times; with none a waiting datagram is still taken.
    void Ticks(uint32_t n)
    {
        if (n == 0 && h_->Link().PollReadable())
            h_->Link().ReceiveOne();
        h_.Ticks(int(n));
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
    // Straight to the zone, so the reliable numbering is left for the input.
    void EnterArena(const std::vector<std::string>& extraNames = {})
    {
        std::vector<SimPlayer> players = {{kOwnId, "Fuzz Pilot", "", 8, 0, 0, 0, 0, 0},
                                          {3, "Muted Mike", "Squad", 1, 0, 10, 20, 1, 2},
                                          {300, "Talker", "", 8, 1, 0, 0, 0, 0},
                                          {511, "Edge Case", "E", 2, 9999, 5, 5, 5, 5}};
        for (size_t i = 0; i < extraNames.size(); ++i)
            players.push_back({uint16_t(100 + i), extraNames[i], "", 8, uint16_t(i), 0, 0, 0, 0});
        for (const Packet& packet : {ZonePackets::LoginResponse(0), ZonePackets::OwnId(kOwnId),
                                     ZonePackets::ArenaSettings(25, 1), ZonePackets::PlayersEntering(players),
                                     ZonePackets::ArenaEntered()})
            Zone().OnZonePacket(packet);
    }

    // The user's reception choices, as the local commands would have made them.
    void SetFilters(bool notices, bool mute, bool away)
    {
        ReceptionFilters& filters = Zone().filters;
        filters.enterNotices = filters.leaveNotices = filters.deathNotices = notices;
        if (mute)
            filters.publicChat = filters.channels[1] = false;
        if (away)
            Zone().away.Set(" back soon");
    }

    // Whatever is still queued goes to the view, as later ticks would take it.
    void FlushOutput()
    {
        while (Output().QueuedPieces() > 0)
            Output().FlushOneLine();
    }

    // What must hold however hostile the input was.
    void CheckBounds()
    {
        FUZZ_CHECK(h_->Link().Reliable().HeldCount() <= ReliableState::kMaxAhead);
        FUZZ_CHECK(h_->Link().HeldBytes() <= 3 * size_t(Connection::kMaxTransferSize));
        FUZZ_CHECK(FuzzScratch::Get().SandboxHoldsOnlyProgramFolder());
    }

    // With QUILLON_FUZZ_SHOW set: what the input made the client show and send,
    // for whoever writes corpus files.
    void ShowIfAsked()
    {
        if (std::getenv("QUILLON_FUZZ_SHOW") != nullptr)
            std::fprintf(stderr, "%s\n-- %zu datagrams sent, in arena: %d\n", h_.view.ShownText().c_str(),
                         h_.socket->sent.size(), int(Zone().InArena()));
    }

private:
    static std::string FreshFolder()
    {
        const FuzzScratch& scratch = FuzzScratch::Get();
        scratch.EmptyProgramFolder();
        WriteWholeFile(scratch.ProgramFolder() + "Ignore.txt", "Muted Mike\r\nquiet quinn\r\n");
        return scratch.ProgramFolder();
    }

    ClientHarness h_{FreshFolder()};
    Cipher server_;
};
