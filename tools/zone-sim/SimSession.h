#pragma once

#include "ServerSocket.h"
#include "transport/Cipher.h"
#include "transport/Packet.h"

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

class ZoneSim;

// How a zone packet from the client reached us.
struct Arrival {
    bool reliable = false;    // inside a reliable packet (for big chunks: every piece was)
    bool bigChunks = false;   // reassembled from big-chunk pieces
    bool smallChunks = false; // reassembled from small chunks
    bool clustered = false;   // a member of a cluster
};

// The server side of one client's connection: key exchange, cipher, reliable
// delivery both ways, synchronisation, clusters, chunks and disconnect. It is
// written from the wire layouts, not from the client's code, so the two check
// each other.
class SimSession {
public:
    // Wire layout limits shared with the client.
    static constexpr uint32_t kMaxDatagram = 520;
    static constexpr uint32_t kReliableHeader = 6;
    static constexpr uint32_t kMaxReliablePayload = kMaxDatagram - kReliableHeader;
    static constexpr uint32_t kBigChunkHeader = 6;
    static constexpr uint32_t kBigChunkPiece = 500;
    static constexpr uint32_t kMaxClusterMember = 255;
    // Bounds on what a client can make us hold.
    static constexpr uint32_t kMaxAhead = 1024;
    static constexpr uint32_t kMaxChunkedBytes = 16u * 1024 * 1024;
    static constexpr int kMaxNesting = 32;

    enum class State { AwaitingKey, Connected, Closed };

    SimSession(ZoneSim& sim, Endpoint peer) : sim_(sim), peer_(peer) {}
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    const Endpoint& Peer() const { return peer_; }
    State CurrentState() const { return state_; }
    bool Connected() const { return state_ == State::Connected; }
    uint32_t ClientKey() const { return clientKey_; }
    uint32_t ServerKey() const { return cipher_.Key(); }
    uint32_t Handshakes() const { return handshakes_; }
    // The client's own disconnect packet arrived since the last handshake.
    bool ClientLeft() const { return clientLeft_; }

    // --- Sending; everything goes out encrypted once the key exchange is done ---

    // One datagram as it stands (the caller's copy is not touched).
    void SendDirect(const Packet& packet);
    // Numbered from 0 per connection, resent until acknowledged. At most the send
    // window is in flight; the rest waits its turn, unnumbered.
    void SendReliable(const Packet& payload);
    // A zone packet (or anything else) the way it fits: too big for one datagram,
    // it goes as big chunks, each piece reliably.
    void SendZone(const Packet& packet, bool reliable);
    // False (nothing sent) when a member is longer than 255 bytes or the cluster
    // would not fit in one datagram.
    bool SendCluster(const std::vector<Packet>& members, bool reliable);
    void SendSmallChunks(const Packet& packet, uint32_t pieceSize, bool reliable);
    void SendBigChunks(const Packet& packet);
    void SendSyncRequest();
    // Tells the client and forgets the connection; its last packets are still read.
    void Disconnect();

    // --- What happened, for tests ---

    struct Counts {
        uint32_t reliableReceived = 0, duplicatesDropped = 0, tooFarAhead = 0, acksSent = 0;
        uint32_t acksReceived = 0, staleAcks = 0, reliableSent = 0, resends = 0;
        uint32_t syncRequests = 0, syncResponses = 0, clientDisconnects = 0, repeatedKeyRequests = 0;
        uint32_t chunksAbandoned = 0, unknownCore = 0;
        uint32_t bigChunksSent = 0, bigChunksReceived = 0;
    };
    const Counts& Tally() const { return counts_; }
    size_t InFlight() const { return inFlight_.size(); }
    size_t Queued() const { return queued_.size(); }
    bool AllAcknowledged() const { return inFlight_.empty() && queued_.empty(); }
    uint32_t NextOutgoing() const { return nextOutgoing_; }
    uint32_t NextExpected() const { return nextExpected_; }
    // The client's last synchronisation request: its clock and its packet counters.
    uint32_t ClientTime() const { return clientTime_; }
    uint32_t ClientPacketsSent() const { return clientPacketsSent_; }
    uint32_t ClientPacketsReceived() const { return clientPacketsReceived_; }
    // From the client's answer to our synchronisation request; 0 until one came.
    uint32_t RoundTrip() const { return roundTrip_; }

private:
    friend class ZoneSim;

    struct Outgoing {
        Packet packet; // with its reliable header, unencrypted
        uint32_t sentAt;
    };

    // Called by ZoneSim with a datagram from this peer, and on every poll.
    void Receive(const Packet& datagram);
    void Run();

    void ReceiveKeyRequest(const Packet& request);
    void Reset();
    void Dispatch(const Packet& packet, int depth, Arrival via);
    void ReceiveReliable(const Packet& packet, int depth, Arrival via);
    void ReceiveAck(const Packet& packet);
    void ReceiveSyncRequest(const Packet& packet);
    void ReceiveSyncResponse(const Packet& packet);
    void ReceiveDisconnect();
    void ReceiveSmallChunk(const Packet& packet, bool last, int depth, Arrival via);
    void ReceiveBigChunk(const Packet& packet, int depth, Arrival via);
    void ReceiveCluster(const Packet& packet, int depth, Arrival via);
    void ForgetReliable();
    void FillWindow();
    void Violation(const std::string& what);

    ZoneSim& sim_;
    Endpoint peer_;
    State state_ = State::AwaitingKey;
    bool hasKey_ = false;
    uint32_t clientKey_ = 0;
    uint32_t handshakes_ = 0;
    uint32_t lastHeard_ = 0;
    bool clientLeft_ = false;
    Cipher cipher_;
    // Bumped by every reset, so a delivery loop notices that a payload ended the connection.
    uint32_t generation_ = 0;

    uint32_t nextOutgoing_ = 0;
    std::map<uint32_t, Outgoing> inFlight_;
    std::deque<Packet> queued_;
    uint32_t nextExpected_ = 0;
    std::map<uint32_t, Packet> held_;

    Packet smallChunks_;
    Packet bigChunks_;
    uint32_t bigTotal_ = 0;
    bool bigAllReliable_ = true;

    uint32_t clientTime_ = 0, clientPacketsSent_ = 0, clientPacketsReceived_ = 0, roundTrip_ = 0;
    Counts counts_;
};
