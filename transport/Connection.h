#pragma once

#include "app/SettingsStore.h"
#include "transport/Cipher.h"
#include "transport/Clock.h"
#include "transport/DatagramSocket.h"
#include "transport/Packet.h"
#include "transport/ReliableState.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ChatOutput;
class IgnoreLists;
class ProgramFolder;

// The client's link to one zone server: the socket, the cipher, reliable
// delivery, the periodic jobs, and the objects that live as long as the link.
// Everything runs on one thread; the frame timer drives it through
// PollReadable, ReceiveOne and Tick.
class Connection {
public:
    // Periodic jobs, in the order they run within a tick.
    enum Job { kPositionJob = 0, kSyncJob, kResendJob, kReconnectJob, kStatisticsJob, kChunkJob, kJobCount };

    static constexpr uint16_t kNoPlayer = 512;
    static constexpr uint16_t kStartPosition = 8192;
    static constexpr uint32_t kArenaSettingsSize = 1428;
    static constexpr uint32_t kPositionIntervalOffset = 1256;
    // Bytes sent within one statistics period that count as a flood.
    static constexpr uint32_t kFloodLimit = 20000;
    // Silent statistics runs in an arena that are still tolerated.
    static constexpr int kSilentRunsAllowed = 30;
    // Chunked transfers larger than this are abandoned.
    static constexpr uint32_t kMaxTransferSize = 16u * 1024 * 1024;
    // Clusters, chunks and reliable packets nested deeper than this are dropped.
    static constexpr int kMaxNesting = 32;
    // Payloads this big would make a reliable packet too large for one datagram.
    static constexpr uint32_t kMaxReliablePayload = DatagramSocket::kMaxDatagram - ReliableState::kHeaderSize - 1;

    using ZoneHandler = std::function<void(Connection&, const Packet&)>;
    using Hook = std::function<void(Connection&)>;

    // Per-connection state of the zone layer (the player table, ...). The
    // Connection owns it so that it lives and dies with the link.
    class ZoneState {
    public:
        virtual ~ZoneState() = default;
    };

    // Production: a UdpSocket and the monotonic clock.
    explicit Connection(ChatOutput& output);
    Connection(ChatOutput& output, std::unique_ptr<DatagramSocket> socket, const Clock& clock);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // --- Lifecycle ---
    bool OpenSocket();
    void BeginConnection();
    void Disconnect(bool quiet, bool reconnect);
    void Reconnect();

    // --- Main loop, called by the frame timer in this order ---
    bool PollReadable();
    void ReceiveOne();
    void Tick();

    // --- Send path ---
    // Sends without reliability; 520 bytes or more are queued as a big transfer.
    void Send(const Packet& packet);
    // Wraps the payload in a reliable header (unless it has one), keeps it until
    // acknowledged, and sends it. A payload too big to wrap into one datagram is
    // queued as a transfer instead, whose pieces go out reliably one by one.
    void SendReliable(Packet payload);

    // --- Core packets ---
    void Dispatch(const Packet& packet);
    void SendEncryptionRequest();
    void SendSyncRequest();

    // --- The zone layer's seams; all default to doing nothing ---
    // Handler of zone packet `type` (first byte); an empty function unregisters.
    void SetZoneHandler(uint8_t type, ZoneHandler handler);
    // Called when the encryption handshake completes: send the login here.
    void SetLoginSender(Hook hook) { loginSender_ = std::move(hook); }
    // Called by the position job.
    void SetPositionSender(Hook hook) { positionSender_ = std::move(hook); }
    // Called by every disconnect and reconnect: clear the player table here.
    void SetSessionClearer(Hook hook) { sessionClearer_ = std::move(hook); }
    void SetZoneState(std::unique_ptr<ZoneState> state);
    ZoneState* GetZoneState() const { return zoneState_.get(); }
    template <class T> T* Zone() const { return static_cast<T*>(zoneState_.get()); }

    // Arena entered: position, synchronisation and chunk jobs on, reconnect
    // countdown off. (The in-arena flag is the caller's to set.)
    void OnArenaEntered();
    // Arena change: position and synchronisation jobs and the reconnect
    // countdown off; not in arena, own record not seen, no own id.
    void OnArenaChange();

    // --- Program folder and ignore lists (created at zone start-up) ---
    // Creates the program-folder object and the ignore lists on it.
    void CreateProgramFolder(const std::string& path);
    ProgramFolder* Folder() const { return folder_.get(); }
    IgnoreLists* Ignores() const { return ignores_.get(); }
    void LoadPermanentIgnoreList();
    bool IsIgnored(const std::string& name) const;
    void ToggleIgnore(const std::string& name);
    void TogglePermIgnore(const std::string& name);
    void ShowIgnoreLists(bool showTemporary, bool showPermanent) const;

    // --- State ---
    ChatOutput& Output() const { return output_; }
    SettingsStore& Store() { return settings_; }
    const Clock& GetClock() const { return clock_; }
    uint32_t Now() const { return clock_.Now(); }
    DatagramSocket& Socket() { return *socket_; }

    uint16_t OwnPlayerId() const { return ownPlayerId_; }
    void SetOwnPlayerId(uint16_t id) { ownPlayerId_ = id; }
    uint16_t PositionX() const { return positionX_; }
    uint16_t PositionY() const { return positionY_; }
    bool OwnRecordSeen() const { return ownRecordSeen_; }
    void SetOwnRecordSeen(bool seen) { ownRecordSeen_ = seen; }
    bool InArena() const { return inArena_; }
    void SetInArena(bool inArena) { inArena_ = inArena; }
    bool Connected() const { return connected_; }
    uint16_t AveragePing() const { return averagePing_; }

    // A copy of the first 1,428 bytes of the arena settings packet (the rest zero).
    void StoreArenaSettings(const Packet& packet);
    const Packet& ArenaSettings() const { return arenaSettings_; }
    bool HasArenaSettings() const { return hasArenaSettings_; }
    uint16_t PositionInterval() const { return arenaSettings_.ReadU16(kPositionIntervalOffset); }

    bool JobOn(Job job) const { return jobs_[job].on; }
    void SetJob(Job job, bool on) { jobs_[job].on = on; }
    int32_t JobCounter(Job job) const { return jobs_[job].counter; }
    int32_t JobThreshold(Job job) const;

    uint32_t PacketsSent() const { return packetsSent_; }
    uint32_t PacketsReceived() const { return packetsReceived_; }
    uint32_t BytesSentThisSecond() const { return bytesSent_; }
    uint32_t BytesReceivedThisSecond() const { return bytesReceived_; }

    const Cipher& CipherState() const { return cipher_; }
    const ReliableState& Reliable() const { return reliable_; }

    // --- Process-wide state: it outlives every connection ---
    static bool FloodStopped();
    static int SilentRuns();
    static const Packet& SmallChunkBuffer();
    static const Packet& BigChunkBuffer();
    static uint32_t BigChunkTotal();
    static void ResetProcessStateForTests();

private:
    struct PeriodicJob {
        bool on = false;
        int32_t counter = 0;
    };

    void RunJob(Job job);
    void ResendOverdue();
    void RunStatistics();
    void SendNextChunk();
    void EndSession();

    void DispatchCore(const Packet& packet);
    void DispatchZone(const Packet& packet);
    void OnEncryptionResponse(const Packet& packet);
    void OnReliable(const Packet& packet);
    void OnSyncRequest(const Packet& packet);
    void OnSyncResponse(const Packet& packet);
    void OnServerDisconnect();
    void OnSmallChunk(const Packet& packet, bool last);
    void OnBigChunk(const Packet& packet);
    void OnCluster(const Packet& packet);
    void AnswerClientCheck();

    void PrintWhite(const std::string& text);

    ChatOutput& output_;
    const Clock& clock_;
    std::unique_ptr<DatagramSocket> socket_;
    SettingsStore settings_;

    uint16_t ownPlayerId_ = kNoPlayer;
    uint16_t positionX_ = kStartPosition;
    uint16_t positionY_ = kStartPosition;
    bool ownRecordSeen_ = false;
    bool inArena_ = false;
    bool connected_ = false;
    uint16_t averagePing_ = 0;

    Packet arenaSettings_;
    bool hasArenaSettings_ = false;
    Cipher cipher_;
    ReliableState reliable_;

    uint32_t packetsSent_ = 0;
    uint32_t packetsReceived_ = 0;
    uint32_t bytesSent_ = 0;
    uint32_t bytesReceived_ = 0;
    std::array<PeriodicJob, kJobCount> jobs_{};
    int dispatchDepth_ = 0;

    std::array<ZoneHandler, 256> zoneHandlers_;
    Hook loginSender_;
    Hook positionSender_;
    Hook sessionClearer_;

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<IgnoreLists> ignores_;
    std::unique_ptr<ZoneState> zoneState_;
};
