#include "transport/Connection.h"

#include <algorithm>
#include <random>

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

// The zone packet every disconnect sends first.
constexpr uint8_t kLeaveArena = 0x02;

// Resend interval when no ping has been measured yet, in hundredths of a second.
constexpr uint32_t kDefaultResendInterval = 400;

constexpr int32_t kSyncPeriod = 2000;
constexpr int32_t kResendPeriod = 10;
constexpr int32_t kReconnectPeriod = 3000;
constexpr int32_t kStatisticsPeriod = 100;
constexpr int32_t kChunkPeriod = 8;

const char* const kFloodWarning = "WARNING: Packet Send Flood Detected. (Over 20 KB/s) Shutting Down";
const char* const kNoKeyAnswer = "WARNING: No Answer to the Connection Request.. ReConnecting...";
const char* const kNoLoginAnswer = "WARNING: No Answer to the Login.. ReConnecting...";
// A sync answer older than this, or stamped in the future, says nothing of the ping.
constexpr uint32_t kMaxRoundTrip = 3000;

// Answers to the server's own requests, and the pieces of a file it asked for:
// the server decides how much of these it gets, so they are no flood of ours.
bool CountsTowardsFlood(const Packet& packet)
{
    if (packet.ReadU8(0) != kCoreMarker)
        return true;
    const uint8_t type = packet.ReadU8(1);
    const bool reliablePiece = type == kReliable && packet.ReadU8(6) == kCoreMarker && packet.ReadU8(7) == kBigChunk;
    return !(type == kAcknowledgement || type == kSyncResponse || type == kBigChunk || reliablePiece);
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

// Sets a flag for the length of a scope and puts its old value back.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

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

Connection::KeySource Connection::RandomKeys()
{
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    return [engine] { return uint32_t((*engine)() % 0x7FFFFFFFu); };
}

Connection::Connection(std::unique_ptr<DatagramSocket> socket, const Clock& clock, KeySource keys)
    : clock_(clock), socket_(std::move(socket)), keys_(std::move(keys))
{
    jobs_[kResendJob].on = true;
    jobs_[kStatisticsJob].on = true;
}

// Leave arena and the disconnect packet still go out, without a message.
Connection::~Connection() { Disconnect(true, false); }

// --- Lifecycle ---

void Connection::Begin()
{
    connected_ = true;
    floodStopped_ = false;
    silentRuns_ = 0;
    unacknowledgedRuns_ = 0;
    if (listener_)
        listener_->OnConnecting();
    SendEncryptionRequest();
}

void Connection::Disconnect(bool quiet, bool reconnect)
{
    if (!quiet)
        Notice("Disconnecting...");
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
    Notice("Attempting to ReConnect....");
    SendReliable(ZonePacket(kLeaveArena));
    Send(CorePacket(kDisconnect, 2));
    // Transfers not yet begun wait for the next arena; one cut off part way is
    // dropped with the pieces that went unacknowledged.
    reliable_.DropStartedTransfer();
    EndSession();
    Begin();
}

// What disconnect and reconnect share: the session's protocol state is forgotten.
void Connection::EndSession()
{
    jobs_[kPositionJob].on = false;
    jobs_[kSyncJob].on = false;
    jobs_[kResendJob].on = false;
    jobs_[kChunkJob].on = false;
    cipher_.Stop();
    reliable_.Reset();
    zoneBacklog_.clear();
    averagePing_ = lastPing_ = lowestPing_ = highestPing_ = 0;
    pingMeasured_ = false;
    awaiting_ = Awaiting::Nothing;
    // Pieces of a cut-off transfer must not end up in front of the next connection's data.
    EmptyReassembly();
    if (listener_)
        listener_->OnSessionEnded();
    packetsSent_ = 0;
    packetsReceived_ = 0;
}

// --- Main loop ---

bool Connection::PollReadable() { return !zoneBacklog_.empty() || reliable_.NextInOrderHeld() || socket_->Readable(); }

void Connection::ReceiveOne()
{
    if (!connected_)
        return; // the datagram waits in the socket
    const FlagScope serving(serving_);
    zoneBudget_ = kZonePacketsPerTick;
    if (!zoneBacklog_.empty()) {
        DeliverBacklog();
    } else if (reliable_.NextInOrderHeld()) {
        ReleaseHeld();
    } else {
        ++packetsReceived_;
        Packet packet;
        socket_->Receive(packet);
        cipher_.Decrypt(packet);
        sawValidPacket_ = false;
        Dispatch(packet);
        if (sawValidPacket_)
            bytesReceived_ += packet.Size();
    }
    if (listener_)
        listener_->OnTickHandled();
}

// One datagram can hold thousands of zone packets (a reassembled chunk of
// clusters); a tick handles a few of them and leaves the rest for the next.
void Connection::DeliverZone(const Packet& packet)
{
    if (zoneBudget_ == 0 || !zoneBacklog_.empty()) {
        if (zoneBacklog_.size() < kMaxWaitingZonePackets)
            zoneBacklog_.push_back(packet);
        sawValidPacket_ = true;
        return;
    }
    --zoneBudget_;
    if (listener_ && listener_->OnZonePacket(packet))
        sawValidPacket_ = true;
}

size_t Connection::HeldBytes() const
{
    size_t bytes = size_t(smallChunks_.Size()) + bigChunks_.Size();
    for (const Packet& packet : zoneBacklog_)
        bytes += packet.Size();
    return bytes;
}

void Connection::DeliverBacklog()
{
    for (; zoneBudget_ > 0 && !zoneBacklog_.empty() && connected_; --zoneBudget_) {
        const Packet packet = std::move(zoneBacklog_.front());
        zoneBacklog_.pop_front();
        if (listener_)
            listener_->OnZonePacket(packet);
    }
}

int32_t Connection::JobThreshold(Job job) const
{
    switch (job) {
    case kPositionJob:
        return positionPeriod_;
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
    const FlagScope serving(serving_);
    CheckAnswerTimeout();
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
        if (listener_)
            listener_->OnPositionDue();
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

// A few at a time: a stall of the server's acknowledgements must not become a
// burst of everything that waited.
void Connection::ResendOverdue()
{
    const uint32_t now = clock_.Now();
    const uint32_t interval =
        averagePing_ != 0 ? std::max(2u * averagePing_, kMinResendInterval) : kDefaultResendInterval;
    Packet packet;
    for (int resent = 0; resent < kMaxResendsPerRun && reliable_.TakeOverdue(now, interval, packet); ++resent) {
        // Already numbered: it keeps its number and is stored again under the current time.
        reliable_.Track(packet, now);
        Send(packet);
    }
}

void Connection::RunStatistics()
{
    // What the server left unacknowledged too long says it is gone, as a silence does.
    if (reliable_.PendingCount() > kMostUnacknowledged || reliable_.PendingBytes() > kMostUnacknowledgedBytes) {
        if (++unacknowledgedRuns_ >= kUnacknowledgedRunsAllowed) {
            Notice("WARNING: Nothing Acknowledged for 30 Seconds.. ReConnecting...");
            Disconnect(false, true);
            unacknowledgedRuns_ = 0;
            return;
        }
    } else {
        unacknowledgedRuns_ = 0;
    }
    // Packets still waiting their turn are no silence: the socket is left for them.
    const bool waiting = !zoneBacklog_.empty() || reliable_.NextInOrderHeld();
    if (bytesReceived_ == 0 && !waiting && listener_ && listener_->ExpectsTraffic()) {
        if (++silentRuns_ > kSilentRunsAllowed) {
            Notice("WARNING: No Data for 30 Seconds.. ReConnecting...");
            Disconnect(false, true);
            silentRuns_ = 0;
        }
    } else {
        silentRuns_ = 0;
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
    if (floodStopped_)
        return;
    if (packet.Size() >= DatagramSocket::kMaxDatagram) {
        reliable_.QueueTransfer(packet);
        return;
    }
    ++packetsSent_;
    Packet wire(packet);
    cipher_.Encrypt(wire);
    // The flood guard counts what the user sends: nothing the server asks for or
    // sends can end the session that way.
    if (!serving_ && CountsTowardsFlood(packet))
        bytesSent_ += packet.Size();
    socket_->Send(wire);
    if (bytesSent_ > kFloodLimit && !floodStopped_) {
        // Set first: the disconnect's own packets must be dropped.
        floodStopped_ = true;
        Disconnect(false, false);
        if (listener_)
            listener_->OnEvent(kFloodWarning);
    }
}

void Connection::SendReliable(Packet payload)
{
    // Stopped, nothing is kept for later either: it would go out in the next session.
    if (payload.Empty() || floodStopped_)
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
    const uint32_t key = 0u - keys_();
    Packet request = CorePacket(kEncryptionRequest, 8);
    request.WriteU32(key, 2);
    request.WriteU16(kProtocolVersion, 6);
    Send(request);
    if (awaiting_ != Awaiting::Key)
        Await(Awaiting::Key);
}

void Connection::Await(Awaiting what)
{
    awaiting_ = what;
    awaitTicks_ = 0;
    askedAgain_ = 0;
}

// The key request or the login may be lost, or the server may not answer: ask
// again a few times, then start over as the silence watchdog would.
void Connection::CheckAnswerTimeout()
{
    if (awaiting_ == Awaiting::Nothing || !connected_ || ++awaitTicks_ < kAnswerTimeout)
        return;
    awaitTicks_ = 0;
    if (askedAgain_ == kAnswerRetries) {
        Notice(awaiting_ == Awaiting::Key ? kNoKeyAnswer : kNoLoginAnswer);
        Disconnect(false, true);
        return;
    }
    ++askedAgain_;
    if (awaiting_ == Awaiting::Key)
        SendEncryptionRequest();
    else if (listener_)
        listener_->OnHandshakeDone();
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
        DeliverZone(packet);
}

void Connection::DispatchCore(const Packet& packet)
{
    if (packet.Size() < kCoreHeaderSize)
        return;
    const uint8_t type = packet.ReadU8(1);
    sawValidPacket_ |= (type >= kEncryptionResponse && type <= kBigChunk) || type == kCluster;
    switch (type) {
    case kEncryptionResponse:
        OnEncryptionResponse(packet);
        break;
    case kReliable:
        OnReliable(packet);
        break;
    case kAcknowledgement:
        reliable_.Acknowledged(packet.ReadU32(2));
        zoneBudget_ -= zoneBudget_ > 0 ? 1 : 0; // cheap, but a datagram of them still counts
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

void Connection::OnEncryptionResponse(const Packet& packet)
{
    // Only the answer to our request: a stray one in mid-session would change the key under us.
    if (awaiting_ != Awaiting::Key)
        return;
    Await(Awaiting::Login);
    // Whatever key the server returns is the one used.
    cipher_.Start(packet.ReadU32(2));
    jobs_[kResendJob].on = true;
    if (listener_)
        listener_->OnHandshakeDone();
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
    ReleaseHeld();
}

// Reliable packets that waited for the one before them, as many as the tick's
// budget allows; the rest go in later ticks, before the socket is read again.
void Connection::ReleaseHeld()
{
    Packet next;
    while (zoneBudget_ > 0 && connected_ && reliable_.TakeNextInOrder(next)) {
        --zoneBudget_;
        Dispatch(next);
    }
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
    const uint32_t rtt = clock_.Now() - packet.ReadU32(2);
    if (rtt > kMaxRoundTrip) // stamped in the future (it wraps), or from long ago
        return;
    lastPing_ = uint16_t(rtt);
    lowestPing_ = pingMeasured_ ? std::min(lowestPing_, lastPing_) : lastPing_;
    highestPing_ = pingMeasured_ ? std::max(highestPing_, lastPing_) : lastPing_;
    pingMeasured_ = true;
    const uint32_t clamped = std::min<uint32_t>(rtt, kMaxPing);
    const uint32_t average = averagePing_ == 0 ? clamped : averagePing_;
    averagePing_ = uint16_t((3u * average + clamped) / 4);
}

void Connection::OnServerDisconnect()
{
    Notice("Disconnected by Server.");
    Disconnect(false, true);
}

void Connection::OnSmallChunk(const Packet& packet, bool last)
{
    if (smallChunksAbandoned_) {
        if (last)
            smallChunksAbandoned_ = false;
        return;
    }
    const Packet piece = packet.SubRange(kCoreHeaderSize, 0);
    if (uint64_t(smallChunks_.Size()) + piece.Size() > kMaxTransferSize) {
        smallChunks_.Clear();
        smallChunksAbandoned_ = !last;
        return;
    }
    smallChunks_.Append(piece);
    if (!last)
        return;
    // Taken out first: the reassembled packet may itself carry chunks.
    const Packet whole = std::move(smallChunks_);
    smallChunks_.Clear();
    Dispatch(whole);
}

void Connection::OnBigChunk(const Packet& packet)
{
    const uint32_t total = packet.ReadU32(2);
    if (total > kMaxTransferSize) {
        bigChunks_.Clear();
        bigChunkTotal_ = 0;
        return;
    }
    if (bigChunkTotal_ != 0 && bigChunkTotal_ != total)
        bigChunks_.Clear(); // a new big packet replaces the unfinished one
    bigChunkTotal_ = total;
    bigChunks_.Append(packet.SubRange(ReliableState::kBigChunkHeaderSize, 0));
    if (bigChunks_.Size() < total)
        return;
    const Packet whole = std::move(bigChunks_);
    bigChunks_.Clear();
    bigChunkTotal_ = 0;
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
}

void Connection::EmptyReassembly()
{
    smallChunks_.Clear();
    smallChunksAbandoned_ = false;
    bigChunks_.Clear();
    bigChunkTotal_ = 0;
}

void Connection::Notice(const std::string& text)
{
    if (listener_)
        listener_->OnNotice(text);
}
