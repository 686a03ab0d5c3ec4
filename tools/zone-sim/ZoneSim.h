#pragma once

#include "FaultyLink.h"
#include "ServerSocket.h"
#include "SimSession.h"
#include "transport/Clock.h"
#include "transport/Packet.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// What a zone packet from the client makes the simulator do. The zone messages
// themselves live one layer up (ZoneServer), one handler each.
using ZoneHandler = std::function<void(SimSession& session, const Packet& packet)>;

struct ZoneSimOptions {
    std::string host = "127.0.0.1";
    uint16_t port = 0; // 0: any free port
    // The key answered to a client key. Unset: the negated client key.
    std::function<uint32_t(uint32_t clientKey)> serverKey;
    // Seeds the two directions' fault injection.
    uint32_t seed = 1;
    LinkFaults toServer;
    LinkFaults toClient;
    // Our reliable packets are resent after this many hundredths without an acknowledgement.
    uint32_t resendAfter = 100;
    // Our reliable packets in flight per client at most.
    uint32_t sendWindow = 32;
    // A client silent this long (hundredths) is given up, as a real zone does. 0: never.
    uint32_t dropSilentAfter = 0;
    // Every notable event as a line of text (the executable prints them).
    std::function<void(const std::string&)> log;
};

// A zone server on loopback UDP, driven entirely by Poll: a test owns the loop,
// moves the injected clock and interleaves the client's ticks with polls.
class ZoneSim {
public:
    struct ZonePacket {
        uint8_t type;
        Packet bytes;
        Arrival via;
        uint32_t at; // our clock when it was delivered
    };

    explicit ZoneSim(const Clock& clock, ZoneSimOptions options = {});
    ZoneSim(const ZoneSim&) = delete;
    ZoneSim& operator=(const ZoneSim&) = delete;
    ~ZoneSim();

    bool Listening() const { return socket_.IsOpen(); }
    uint16_t Port() const { return socket_.Port(); }

    // Takes every waiting datagram through the inbound faults and handles the due
    // ones, runs resends, and sends whatever the outbound faults let through.
    void Poll();
    // Sleeps up to the time-out for a datagram (the executable's loop; tests never wait).
    bool Wait(int timeoutMs) { return socket_.Wait(timeoutMs); }

    void SetFaults(const LinkFaults& toServer, const LinkFaults& toClient);
    const FaultyLink& ToServer() const { return toServer_; }
    const FaultyLink& ToClient() const { return toClient_; }

    // Zone packets of this type from the client go to the handler as well as to the record.
    void Handle(uint8_t type, ZoneHandler handler);

    // The client that completed the key exchange last, or null.
    SimSession* Peer() { return peer_; }
    // Sends to Peer(); false when there is none.
    bool SendZone(const Packet& packet, bool reliable);

    // Every zone packet the client delivered, in delivery order.
    const std::vector<ZonePacket>& Received() const { return received_; }
    std::vector<Packet> ReceivedOfType(uint8_t type) const;
    void ClearReceived() { received_.clear(); }
    // How the zone packet now being handled arrived (valid inside a handler).
    const Arrival& CurrentArrival() const { return current_; }
    // Things the client put on the wire that it must not.
    const std::vector<std::string>& Violations() const { return violations_; }
    // For the layers above as well: the zone server reports and logs through these.
    void Violation(const std::string& what);
    void Log(const std::string& line) const;
    uint32_t Handshakes() const { return handshakes_; }
    // Runs at the end of every Poll (the zone server's timers); empty: none.
    void SetPollHook(std::function<void()> hook) { pollHook_ = std::move(hook); }

    uint32_t Now() const { return clock_.Now(); }
    const ZoneSimOptions& Options() const { return options_; }

private:
    friend class SimSession;

    static constexpr size_t kMaxSessions = 64;
    static constexpr int kMaxReceivesPerPoll = 100000;

    void Route(const Datagram& datagram);
    bool MakeRoom();
    void Transmit(const Endpoint& peer, const Packet& bytes);
    void Flush();
    void ZoneArrived(SimSession& session, const Packet& packet, Arrival via);
    void KeyExchanged(SimSession& session);
    uint32_t ServerKeyFor(uint32_t clientKey) const;

    const Clock& clock_;
    ZoneSimOptions options_;
    ServerSocket socket_;
    FaultyLink toServer_;
    FaultyLink toClient_;
    std::map<Endpoint, std::unique_ptr<SimSession>> sessions_;
    SimSession* peer_ = nullptr;
    std::array<ZoneHandler, 256> handlers_;
    std::vector<ZonePacket> received_;
    Arrival current_;
    std::vector<std::string> violations_;
    uint32_t handshakes_ = 0;
    std::function<void()> pollHook_;
};
