#include "transport/Connection.h"

#include "console/ChatOutput.h"
#include "console/IgnoreLists.h"
#include "console/ProgramFolder.h"
#include "transport/UdpSocket.h"

#include <cstdlib>
#include <ctime>

namespace {

// Core packet layout: 0x00, then the core type.
constexpr uint8_t kCoreMarker = 0x00;
enum CoreType : uint8_t {
    kEncryptionRequest = 0x01,
    kEncryptionResponse = 0x02,
    kReliable = 0x03,
    kAcknowledgement = 0x04,
    kSyncRequest = 0x05,
    kSyncResponse = 0x06,
    kDisconnect = 0x07,
    kSmallChunk = 0x08,
    kSmallChunkLast = 0x09,
    kBigChunk = 0x0A,
    kCluster = 0x0E,
};
constexpr uint32_t kCoreHeaderSize = 2;
constexpr uint16_t kProtocolVersion = 1;

// Zone packets the transport itself sends or answers.
constexpr uint8_t kLeaveArena = 0x02;
constexpr uint8_t kClientCheckRequest = 0x2C;
constexpr uint8_t kClientCheckAnswer = 0x1E;

// Resend interval when no ping has been measured yet, in hundredths of a second.
constexpr uint32_t kDefaultResendInterval = 400;

constexpr int32_t kSyncPeriod = 2000;
constexpr int32_t kResendPeriod = 10;
constexpr int32_t kReconnectPeriod = 3000;
constexpr int32_t kStatisticsPeriod = 100;
constexpr int32_t kChunkPeriod = 8;

const char* const kFloodWarning = "WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down";

// Lives for the whole run: no connection, disconnect or Connect resets it.
struct ProcessWide {
    bool floodStopped = false;
    int silentRuns = 0;
    Packet smallChunks;
    bool smallChunksAbandoned = false; // the rest of an oversized transfer is skipped up to its last piece
    Packet bigChunks;
    uint32_t bigChunkTotal = 0;

    void EmptyReassembly()
    {
        smallChunks.Clear();
        smallChunksAbandoned = false;
        bigChunks.Clear();
        bigChunkTotal = 0;
    }
};

ProcessWide& Process()
{
    static ProcessWide state;
    return state;
}

Packet CorePacket(uint8_t type, uint32_t size)
{
    Packet packet(size);
    packet.WriteU8(kCoreMarker, 0);
    packet.WriteU8(type, 1);
    return packet;
}

Packet ZonePacket(uint8_t type)
{
    Packet packet(1);
    packet.WriteU8(type, 0);
    return packet;
}

// The port setting: its leading decimal digits, kept to 16 bits.
uint16_t PortFromText(const std::string& text)
{
    uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = (value * 10 + uint32_t(c - '0')) & 0xFFFF;
    }
    return uint16_t(value);
}

// SteadyClock holds no state, so one serves every connection.
const Clock& MonotonicClock()
{
    static const SteadyClock clock;
    return clock;
}

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

} // namespace

// --- Construction and destruction ---

Connection::Connection(ChatOutput& output) : Connection(output, std::make_unique<UdpSocket>(), MonotonicClock()) {}

Connection::Connection(ChatOutput& output, std::unique_ptr<DatagramSocket> socket, const Clock& clock)
    : output_(output), clock_(clock), socket_(std::move(socket)), arenaSettings_(kArenaSettingsSize)
{
    jobs_[kResendJob].on = true;
    jobs_[kStatisticsJob].on = true;
    zoneHandlers_[kClientCheckRequest] = [](Connection& c, const Packet&) { c.AnswerClientCheck(); };
    // The connection key comes from rand().
    std::srand(unsigned(std::time(nullptr)));
}

Connection::~Connection()
{
    // Leave arena and the disconnect packet still go out, without a message.
    Disconnect(true, false);
    zoneState_.reset();
    ignores_.reset();
    folder_.reset();
}

// --- Lifecycle ---

bool Connection::OpenSocket()
{
    PrintWhite("Initilizing Winsock...");
    const uint16_t port = PortFromText(Settings::Read(settings_, Settings::ServerPort));
    const std::string host = Settings::Read(settings_, Settings::ServerIP);
    if (socket_->Open(host, port)) {
        PrintWhite("Successfully Initilized!");
        return true;
    }
    PrintWhite("ERROR: Winsock Fialed to Initilize properly. Check your settings.");
    return false;
}

void Connection::BeginConnection()
{
    connected_ = true;
    PrintWhite("Connecting to, IP: " + Settings::Read(settings_, Settings::ServerIP) +
               ", Port: " + Settings::Read(settings_, Settings::ServerPort));
    SendEncryptionRequest();
}

void Connection::Disconnect(bool quiet, bool reconnect)
{
    if (!quiet)
        PrintWhite("Disconnecting...");
    SendReliable(ZonePacket(kLeaveArena));
    Send(CorePacket(kDisconnect, 2));
    reliable_.ClearTransfers();
    EndSession();
    if (reconnect && !quiet) {
        // Connected stays set: the server's answers are still read while the countdown runs.
        jobs_[kReconnectJob].counter = 0;
        jobs_[kReconnectJob].on = true;
    }
    if (!reconnect) {
        // Whoever disconnects for good does not want the client to come back by itself.
        jobs_[kReconnectJob].on = false;
        if (!quiet)
            connected_ = false;
    }
}

void Connection::Reconnect()
{
    PrintWhite("Attempting to ReConnect....");
    SendReliable(ZonePacket(kLeaveArena));
    Send(CorePacket(kDisconnect, 2));
    // Transfers not yet begun wait for the next arena; one cut off part way is
    // dropped with the pieces that went unacknowledged.
    reliable_.DropStartedTransfer();
    EndSession();
    BeginConnection();
}

// What disconnect and reconnect share: the session's protocol state is forgotten.
void Connection::EndSession()
{
    jobs_[kPositionJob].on = false;
    jobs_[kSyncJob].on = false;
    jobs_[kResendJob].on = false;
    jobs_[kChunkJob].on = false;
    cipher_.Stop();
    inArena_ = false;
    ownRecordSeen_ = false;
    reliable_.Reset();
    // Pieces of a cut-off transfer must not end up in front of the next connection's data.
    Process().EmptyReassembly();
    if (sessionClearer_)
        sessionClearer_(*this);
    packetsSent_ = 0;
    packetsReceived_ = 0;
}

// --- Main loop ---

bool Connection::PollReadable() { return socket_->Readable(); }

void Connection::ReceiveOne()
{
    if (!connected_)
        return; // the datagram waits in the socket
    ++packetsReceived_;
    Packet packet;
    socket_->Receive(packet);
    cipher_.Decrypt(packet);
    bytesReceived_ += packet.Size();
    Dispatch(packet);
}

int32_t Connection::JobThreshold(Job job) const
{
    switch (job) {
    case kPositionJob:
        return 4 * int32_t(PositionInterval());
    case kSyncJob:
        return kSyncPeriod;
    case kResendJob:
        return kResendPeriod;
    case kReconnectJob:
        return kReconnectPeriod;
    case kStatisticsJob:
        return kStatisticsPeriod;
    case kChunkJob:
    default:
        return kChunkPeriod;
    }
}

void Connection::Tick()
{
    for (int job = 0; job < kJobCount; ++job) {
        PeriodicJob& j = jobs_[size_t(job)];
        if (!j.on)
            continue;
        if (j.counter < JobThreshold(Job(job))) {
            ++j.counter;
            continue;
        }
        j.counter = 0;
        RunJob(Job(job));
    }
}

void Connection::RunJob(Job job)
{
    switch (job) {
    case kPositionJob:
        if (positionSender_)
            positionSender_(*this);
        break;
    case kSyncJob:
        SendSyncRequest();
        break;
    case kResendJob:
        ResendOverdue();
        break;
    case kReconnectJob:
        Reconnect();
        break;
    case kStatisticsJob:
        RunStatistics();
        break;
    case kChunkJob:
    default:
        SendNextChunk();
        break;
    }
}

void Connection::ResendOverdue()
{
    const uint32_t now = clock_.Now();
    const uint32_t interval = averagePing_ != 0 ? 2u * averagePing_ : kDefaultResendInterval;
    Packet packet;
    while (reliable_.TakeOverdue(now, interval, packet)) {
        // Already numbered: it keeps its number and is stored again under the current time.
        reliable_.Track(packet, now);
        Send(packet);
    }
}

void Connection::RunStatistics()
{
    ProcessWide& process = Process();
    if (bytesReceived_ == 0 && inArena_) {
        if (++process.silentRuns > kSilentRunsAllowed) {
            PrintWhite("WARNING: No Data for 30 Seconds.. ReConnecting...");
            Disconnect(false, true);
            process.silentRuns = 0;
        }
    } else {
        process.silentRuns = 0;
    }
    bytesSent_ = 0;
    bytesReceived_ = 0;
}

void Connection::SendNextChunk()
{
    Packet piece;
    if (reliable_.TakeNextPiece(piece))
        SendReliable(std::move(piece));
}

// --- Send path ---

void Connection::Send(const Packet& packet)
{
    ProcessWide& process = Process();
    if (process.floodStopped)
        return;
    if (packet.Size() >= DatagramSocket::kMaxDatagram) {
        reliable_.QueueTransfer(packet);
        return;
    }
    ++packetsSent_;
    Packet wire(packet);
    cipher_.Encrypt(wire);
    bytesSent_ += packet.Size();
    socket_->Send(wire);
    if (bytesSent_ > kFloodLimit && !process.floodStopped) {
        // Set first: the disconnect's own packets must be dropped.
        process.floodStopped = true;
        Disconnect(false, false);
        if (folder_)
            folder_->LogEvent(kFloodWarning);
        PrintWhite(kFloodWarning);
    }
}

void Connection::SendReliable(Packet payload)
{
    if (payload.Empty())
        return;
    if (!ReliableState::IsReliablePacket(payload) && payload.Size() > kMaxReliablePayload) {
        // Wrapped, it would be too big for one datagram and its number would only
        // exist inside the pieces; the pieces go out reliably one by one instead.
        reliable_.QueueTransfer(payload);
        return;
    }
    reliable_.Track(payload, clock_.Now());
    Send(payload);
}

// --- Core packets ---

void Connection::SendEncryptionRequest()
{
    const uint32_t key = 0u - uint32_t(std::rand() % 0x7FFFFFFF);
    Packet request = CorePacket(kEncryptionRequest, 8);
    request.WriteU32(key, 2);
    request.WriteU16(kProtocolVersion, 6);
    Send(request);
}

void Connection::SendSyncRequest()
{
    Packet request = CorePacket(kSyncRequest, 14);
    request.WriteU32(clock_.Now(), 2);
    request.WriteU32(packetsSent_, 6);
    request.WriteU32(packetsReceived_, 10);
    Send(request);
}

void Connection::Dispatch(const Packet& packet)
{
    if (packet.Empty() || dispatchDepth_ >= kMaxNesting)
        return;
    DepthGuard guard(dispatchDepth_);
    if (packet.ReadU8(0) == kCoreMarker)
        DispatchCore(packet);
    else
        DispatchZone(packet);
}

void Connection::DispatchCore(const Packet& packet)
{
    if (packet.Size() < kCoreHeaderSize)
        return;
    switch (packet.ReadU8(1)) {
    case kEncryptionResponse:
        OnEncryptionResponse(packet);
        break;
    case kReliable:
        OnReliable(packet);
        break;
    case kAcknowledgement:
        reliable_.Acknowledged(packet.ReadU32(2));
        break;
    case kSyncRequest:
        OnSyncRequest(packet);
        break;
    case kSyncResponse:
        OnSyncResponse(packet);
        break;
    case kDisconnect:
        OnServerDisconnect();
        break;
    case kSmallChunk:
        OnSmallChunk(packet, false);
        break;
    case kSmallChunkLast:
        OnSmallChunk(packet, true);
        break;
    case kBigChunk:
        OnBigChunk(packet);
        break;
    case kCluster:
        OnCluster(packet);
        break;
    default:
        break;
    }
}

void Connection::DispatchZone(const Packet& packet)
{
    // Copied: a handler may replace its own entry while it runs.
    const ZoneHandler handler = zoneHandlers_[packet.ReadU8(0)];
    if (handler)
        handler(*this, packet);
}

void Connection::OnEncryptionResponse(const Packet& packet)
{
    // Whatever key the server returns is the one used.
    cipher_.Start(packet.ReadU32(2));
    jobs_[kResendJob].on = true;
    if (loginSender_)
        loginSender_(*this);
    SendSyncRequest();
}

void Connection::OnReliable(const Packet& packet)
{
    const uint32_t number = packet.ReadU32(2);
    Packet payload = packet.SubRange(ReliableState::kHeaderSize, 0);
    // Not kept and not acknowledged: the server sends it again later.
    if (!reliable_.Acceptable(number, payload.Size()))
        return;
    Packet ack = CorePacket(kAcknowledgement, 6);
    ack.WriteU32(number, 2);
    Send(ack);
    if (reliable_.Received(number, payload))
        Dispatch(payload);
    Packet next;
    while (reliable_.TakeNextInOrder(next))
        Dispatch(next);
}

void Connection::OnSyncRequest(const Packet& packet)
{
    Packet response = CorePacket(kSyncResponse, 10);
    response.WriteU32(packet.ReadU32(2), 2);
    response.WriteU32(clock_.Now(), 6);
    Send(response);
}

void Connection::OnSyncResponse(const Packet& packet)
{
    const uint16_t rtt = uint16_t(clock_.Now() - packet.ReadU32(2));
    if (averagePing_ == 0)
        averagePing_ = rtt;
    averagePing_ = uint16_t((3u * averagePing_ + rtt) / 4);
}

void Connection::OnServerDisconnect()
{
    PrintWhite("Disconnected by Server.");
    Disconnect(false, true);
}

void Connection::OnSmallChunk(const Packet& packet, bool last)
{
    ProcessWide& process = Process();
    if (process.smallChunksAbandoned) {
        if (last)
            process.smallChunksAbandoned = false;
        return;
    }
    const Packet piece = packet.SubRange(kCoreHeaderSize, 0);
    if (uint64_t(process.smallChunks.Size()) + piece.Size() > kMaxTransferSize) {
        process.smallChunks.Clear();
        process.smallChunksAbandoned = !last;
        return;
    }
    process.smallChunks.Append(piece);
    if (!last)
        return;
    // Taken out first: the reassembled packet may itself carry chunks.
    const Packet whole = std::move(process.smallChunks);
    process.smallChunks.Clear();
    Dispatch(whole);
}

void Connection::OnBigChunk(const Packet& packet)
{
    ProcessWide& process = Process();
    const uint32_t total = packet.ReadU32(2);
    if (total > kMaxTransferSize) {
        process.bigChunks.Clear();
        process.bigChunkTotal = 0;
        return;
    }
    if (process.bigChunkTotal != 0 && process.bigChunkTotal != total)
        process.bigChunks.Clear(); // a new big packet replaces the unfinished one
    process.bigChunkTotal = total;
    process.bigChunks.Append(packet.SubRange(ReliableState::kBigChunkHeaderSize, 0));
    if (process.bigChunks.Size() < total)
        return;
    const Packet whole = std::move(process.bigChunks);
    process.bigChunks.Clear();
    process.bigChunkTotal = 0;
    Dispatch(whole);
}

void Connection::OnCluster(const Packet& packet)
{
    const uint32_t size = packet.Size();
    uint32_t offset = kCoreHeaderSize;
    while (offset < size) {
        const uint32_t length = packet.ReadU8(offset);
        Dispatch(packet.SubRange(offset + 1, offset + 1 + length));
        offset += 1 + length;
    }
}

void Connection::AnswerClientCheck() { SendReliable(ZonePacket(kClientCheckAnswer)); }

// --- Zone layer seams ---

void Connection::SetZoneHandler(uint8_t type, ZoneHandler handler) { zoneHandlers_[type] = std::move(handler); }

void Connection::SetZoneState(std::unique_ptr<ZoneState> state) { zoneState_ = std::move(state); }

void Connection::OnArenaEntered()
{
    jobs_[kPositionJob].on = true;
    jobs_[kSyncJob].on = true;
    jobs_[kChunkJob].on = true;
    jobs_[kReconnectJob].on = false;
}

void Connection::OnArenaChange()
{
    jobs_[kPositionJob].on = false;
    jobs_[kSyncJob].on = false;
    jobs_[kReconnectJob].on = false;
    inArena_ = false;
    ownRecordSeen_ = false;
    ownPlayerId_ = kNoPlayer;
}

void Connection::StoreArenaSettings(const Packet& packet)
{
    arenaSettings_ = packet.SubRange(0, kArenaSettingsSize);
    if (arenaSettings_.Size() < kArenaSettingsSize)
        arenaSettings_.Append(Packet(kArenaSettingsSize - arenaSettings_.Size()));
    hasArenaSettings_ = true;
}

// --- Program folder and ignore lists ---

void Connection::CreateProgramFolder(const std::string& path)
{
    ignores_.reset();
    folder_ = std::make_unique<ProgramFolder>(path);
    ignores_ = std::make_unique<IgnoreLists>(output_, *folder_);
}

void Connection::LoadPermanentIgnoreList()
{
    if (ignores_)
        ignores_->LoadPermanent();
}

bool Connection::IsIgnored(const std::string& name) const { return ignores_ && ignores_->IsIgnored(name); }

void Connection::ToggleIgnore(const std::string& name)
{
    if (ignores_)
        ignores_->ToggleIgnore(name);
}

void Connection::TogglePermIgnore(const std::string& name)
{
    if (ignores_)
        ignores_->TogglePermIgnore(name);
}

void Connection::ShowIgnoreLists(bool showTemporary, bool showPermanent) const
{
    if (ignores_)
        ignores_->ShowIgnoreLists(showTemporary, showPermanent);
}

// --- Process-wide state ---

bool Connection::FloodStopped() { return Process().floodStopped; }
int Connection::SilentRuns() { return Process().silentRuns; }
const Packet& Connection::SmallChunkBuffer() { return Process().smallChunks; }
const Packet& Connection::BigChunkBuffer() { return Process().bigChunks; }
uint32_t Connection::BigChunkTotal() { return Process().bigChunkTotal; }

void Connection::ResetProcessStateForTests() { Process() = ProcessWide(); }

void Connection::PrintWhite(const std::string& text) { output_.Print(text, ChatOutput::kSlotWhite, true); }
