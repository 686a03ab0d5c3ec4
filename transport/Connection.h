#pragma once

#include "transport/Cipher.h"
#include "transport/Clock.h"
#include "transport/DatagramSocket.h"
#include "transport/Packet.h"
#include "transport/ReliableState.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

// What the connection tells the layer above it. Every call comes from within a
// Connection call on the one thread.
class ConnectionListener {
public:
    virtual ~ConnectionListener() = default;
    // A connection attempt starts (the first, or again after a reconnect).
    virtual void OnConnecting() = 0;
    // The key exchange finished: the login goes out now.
    virtual void OnHandshakeDone() = 0;
    // A zone packet (first byte not 0), decrypted, reassembled and in order;
    // true when it was one the zone knows.
    virtual bool OnZonePacket(const Packet& packet) = 0;
    // The position job is due.
    virtual void OnPositionDue() = 0;
    // Every disconnect and reconnect: what the session knew is gone.
    virtual void OnSessionEnded() = 0;
    // The zone packets of this tick are handled: work saved up for once a tick goes now.
    virtual void OnTickHandled() = 0;
    // Whether the server should be talking; the silence watchdog counts only then.
    virtual bool ExpectsTraffic() const = 0;
    // A line for the user.
    virtual void OnNotice(const std::string& text) = 0;
    // A line for the user that also goes into the event file.
    virtual void OnEvent(const std::string& text) = 0;
};

// The client's link to one zone server: the socket, the cipher, reliable
// delivery, chunks and clusters, and the periodic jobs. It owns no output and
// reads no settings. Everything runs on one thread; the client's Step drives it
// through PollReadable, ReceiveOne and Tick.
class Connection {
public:
    // Periodic jobs, in the order they run within a tick.
    enum Job { kPositionJob = 0, kSyncJob, kResendJob, kReconnectJob, kStatisticsJob, kChunkJob, kJobCount };

    // Bytes sent within one statistics period that count as a flood.
    static constexpr uint32_t kFloodLimit = 20000;
    // Silent statistics runs in an arena that are still tolerated.
    static constexpr int kSilentRunsAllowed = 30;
    // Reliable packets, or their bytes, left unacknowledged beyond which the server
    // counts as gone once that has lasted as many statistics runs.
    static constexpr size_t kMostUnacknowledged = 1024;
    static constexpr size_t kMostUnacknowledgedBytes = size_t(1) << 20;
    static constexpr int kUnacknowledgedRunsAllowed = 30;
    // Chunked transfers larger than this are abandoned.
    static constexpr uint32_t kMaxTransferSize = 16u * 1024 * 1024;
    // Clusters, chunks and reliable packets nested deeper than this are dropped.
    static constexpr int kMaxNesting = 32;
    // Ticks to wait for the answer to the key request or the login before asking
    // again, and how often to ask again before giving up on the connection.
    static constexpr int32_t kAnswerTimeout = 500;
    static constexpr int kAnswerRetries = 3;
    // Reliable packets resent in one run of the resend job, at most.
    static constexpr int kMaxResendsPerRun = 8;
    // Packets handled in one tick, at most: zone packets, acknowledgements and the
    // reliable packets released from waiting; the rest wait, in order, for the next
    // ticks, up to a number beyond which a datagram's further zone packets are dropped.
    static constexpr int kZonePacketsPerTick = 16;
    static constexpr size_t kMaxWaitingZonePackets = 65536;
    // The lowest resend interval, and the highest ping the average may reach (hundredths).
    static constexpr uint32_t kMinResendInterval = 10;
    static constexpr uint16_t kMaxPing = 200;
    // Payloads this big would make a reliable packet too large for one datagram.
    static constexpr uint32_t kMaxReliablePayload = DatagramSocket::kMaxDatagram - ReliableState::kHeaderSize - 1;

    // Source of the client's half of the session key: a number below 0x7FFFFFFF.
    using KeySource = std::function<uint32_t()>;
    static KeySource RandomKeys();

    Connection(std::unique_ptr<DatagramSocket> socket, const Clock& clock, KeySource keys);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void SetListener(ConnectionListener* listener) { listener_ = listener; }

    // --- Lifecycle ---
    bool Open(const std::string& host, uint16_t port) { return socket_->Open(host, port); }
    // Connected from now on; asks the server for a session key. A new Begin
    // starts clean: the flood stop of an earlier session does not hold.
    void Begin();
    void Disconnect(bool quiet, bool reconnect);
    void Reconnect();

    // --- Main loop, called once a tick in this order ---
    // A datagram waits, or zone packets of an earlier one still do.
    bool PollReadable();
    // Zone packets left from earlier ticks, or else one datagram.
    void ReceiveOne();
    void Tick();

    // --- Send path ---
    // Sends without reliability; 520 bytes or more are queued as a big transfer.
    void Send(const Packet& packet);
    // Wraps the payload in a reliable header (unless it has one), keeps it until
    // acknowledged, and sends it. A payload too big to wrap into one datagram is
    // queued as a transfer instead, whose pieces go out reliably one by one.
    void SendReliable(Packet payload);

    // --- What the zone layer switches ---
    // Arena entered: position, synchronisation and chunk jobs on, reconnect countdown off.
    void OnArenaEntered();
    // Arena change: position and synchronisation jobs and the reconnect countdown off.
    void OnArenaChange();
    // The position job's period, in ticks.
    void SetPositionPeriod(int32_t ticks) { positionPeriod_ = ticks; }
    // The server answered the login: nothing is awaited any more.
    void LoginAnswered() { awaiting_ = Awaiting::Nothing; }

    // --- State ---
    uint32_t Now() const { return clock_.Now(); }
    bool Connected() const { return connected_; }
    bool FloodStopped() const { return floodStopped_; }
    uint16_t AveragePing() const { return averagePing_; }
    // Round trips of this connection's synchronisation: the latest, the lowest and
    // the highest (0 before the first).
    uint16_t LastPing() const { return lastPing_; }
    uint16_t LowestPing() const { return lowestPing_; }
    uint16_t HighestPing() const { return highestPing_; }
    bool JobOn(Job job) const { return jobs_[job].on; }
    uint32_t PacketsSent() const { return packetsSent_; }
    // Bytes held for chunked packets not yet whole, and zone packets waiting their turn.
    size_t HeldBytes() const;
    const Cipher& CipherState() const { return cipher_; }
    const ReliableState& Reliable() const { return reliable_; }

private:
    struct PeriodicJob {
        bool on = false;
        int32_t counter = 0;
    };
    // What the client waits for on its way into the zone.
    enum class Awaiting { Nothing, Key, Login };

    int32_t JobThreshold(Job job) const;
    void RunJob(Job job);
    void ResendOverdue();
    void RunStatistics();
    void SendNextChunk();
    void EndSession();
    void EmptyReassembly();
    void Await(Awaiting what);
    void CheckAnswerTimeout();
    void SendEncryptionRequest();
    void SendSyncRequest();

    void Dispatch(const Packet& packet);
    void DispatchCore(const Packet& packet);
    void DeliverZone(const Packet& packet);
    void DeliverBacklog();
    void ReleaseHeld();
    void OnEncryptionResponse(const Packet& packet);
    void OnReliable(const Packet& packet);
    void OnSyncRequest(const Packet& packet);
    void OnSyncResponse(const Packet& packet);
    void OnServerDisconnect();
    void OnSmallChunk(const Packet& packet, bool last);
    void OnBigChunk(const Packet& packet);
    void OnCluster(const Packet& packet);

    void Notice(const std::string& text);

    const Clock& clock_;
    std::unique_ptr<DatagramSocket> socket_;
    KeySource keys_;
    ConnectionListener* listener_ = nullptr;

    bool connected_ = false;
    uint16_t averagePing_ = 0;
    uint16_t lastPing_ = 0;
    uint16_t lowestPing_ = 0;
    uint16_t highestPing_ = 0;
    bool pingMeasured_ = false;
    int32_t positionPeriod_ = 0;
    Cipher cipher_;
    ReliableState reliable_;

    uint32_t packetsSent_ = 0;
    uint32_t packetsReceived_ = 0;
    uint32_t bytesSent_ = 0;
    uint32_t bytesReceived_ = 0;
    std::array<PeriodicJob, kJobCount> jobs_{};
    int dispatchDepth_ = 0;
    // Set while a datagram is handled when it held a packet that parsed: only
    // those keep the silence watchdog quiet.
    bool sawValidPacket_ = false;
    int zoneBudget_ = 0;
    std::deque<Packet> zoneBacklog_;
    Awaiting awaiting_ = Awaiting::Nothing;
    int32_t awaitTicks_ = 0;
    int askedAgain_ = 0;

    // The flood stop holds until the user connects again; reassembly is emptied
    // with every session.
    bool floodStopped_ = false;
    int silentRuns_ = 0;
    int unacknowledgedRuns_ = 0;
    // Inside the receive path or a periodic job: what goes out answers the server
    // or keeps the session, and is not the user's to count as a flood.
    bool serving_ = false;
    Packet smallChunks_;
    bool smallChunksAbandoned_ = false; // the rest of an oversized transfer is skipped up to its last piece
    Packet bigChunks_;
    uint32_t bigChunkTotal_ = 0;
};
