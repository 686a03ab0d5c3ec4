#include "SimSession.h"

#include "ZoneSim.h"

namespace {

// Core packet types, second byte after 0x00.
enum Core : uint8_t {
    kKeyRequest = 0x01,
    kKeyResponse = 0x02,
    kReliable = 0x03,
    kAck = 0x04,
    kSyncRequest = 0x05,
    kSyncResponse = 0x06,
    kDisconnect = 0x07,
    kSmallChunk = 0x08,
    kSmallChunkLast = 0x09,
    kBigChunk = 0x0A,
    kCluster = 0x0E,
};

// Offsets shared by the numbered core packets.
constexpr uint32_t kFieldAt = 2;
constexpr uint32_t kSecondFieldAt = 6;
constexpr uint32_t kThirdFieldAt = 10;
constexpr uint32_t kKeyRequestSize = 8;
constexpr uint16_t kProtocolVersion = 1;

Packet Core(uint8_t type, uint32_t size)
{
    Packet packet(size);
    packet.WriteU8(0x00, 0);
    packet.WriteU8(type, 1);
    return packet;
}

} // namespace

// --- Receiving ---

void SimSession::Receive(const Packet& datagram)
{
    lastHeard_ = sim_.Now();
    // The key request always travels in the clear, even from a client that still
    // has an older key running.
    if (datagram.ReadU8(0) == 0x00 && datagram.ReadU8(1) == kKeyRequest) {
        ReceiveKeyRequest(datagram);
        return;
    }
    if (state_ == State::AwaitingKey)
        return;
    Packet packet = datagram;
    cipher_.Decrypt(packet);
    if (state_ == State::Closed) {
        // Only the client's goodbye still matters; stragglers of the old connection are dropped.
        if (packet.ReadU8(0) == 0x00 && packet.ReadU8(1) == kDisconnect)
            ReceiveDisconnect();
        return;
    }
    Dispatch(packet, 0, Arrival{});
}

void SimSession::ReceiveKeyRequest(const Packet& request)
{
    if (request.Size() != kKeyRequestSize)
        Violation("key request of " + std::to_string(request.Size()) + " bytes");
    if (request.ReadU16(kSecondFieldAt) != kProtocolVersion)
        Violation("key request with protocol version " + std::to_string(request.ReadU16(kSecondFieldAt)));
    const uint32_t key = request.ReadU32(kFieldAt);
    // A copy of the request that started this connection (the network duplicated it).
    if (hasKey_ && key == clientKey_) {
        ++counts_.repeatedKeyRequests;
        return;
    }
    Reset();
    hasKey_ = true;
    clientKey_ = key;
    const uint32_t serverKey = sim_.ServerKeyFor(key);
    Packet response = Core(kKeyResponse, 6);
    response.WriteU32(serverKey, kFieldAt);
    SendDirect(response); // still in the clear
    cipher_.Start(serverKey);
    state_ = State::Connected;
    clientLeft_ = false;
    ++handshakes_;
    sim_.KeyExchanged(*this);
}

void SimSession::Reset()
{
    cipher_.Stop();
    ForgetReliable();
    smallChunks_.Clear();
    bigChunks_.Clear();
    bigTotal_ = 0;
    bigAllReliable_ = true;
}

void SimSession::ForgetReliable()
{
    ++generation_;
    nextOutgoing_ = 0;
    inFlight_.clear();
    queued_.clear();
    nextExpected_ = 0;
    held_.clear();
}

void SimSession::Dispatch(const Packet& packet, int depth, Arrival via)
{
    if (packet.Empty())
        return;
    if (depth > kMaxNesting) {
        Violation("packets nested more than " + std::to_string(kMaxNesting) + " deep");
        return;
    }
    if (packet.ReadU8(0) != 0x00) {
        sim_.ZoneArrived(*this, packet, via);
        return;
    }
    if (packet.Size() < 2)
        return;
    switch (packet.ReadU8(1)) {
    case kReliable:
        ReceiveReliable(packet, depth, via);
        break;
    case kAck:
        ReceiveAck(packet);
        break;
    case kSyncRequest:
        ReceiveSyncRequest(packet);
        break;
    case kSyncResponse:
        ReceiveSyncResponse(packet);
        break;
    case kDisconnect:
        ReceiveDisconnect();
        break;
    case kSmallChunk:
    case kSmallChunkLast:
        ReceiveSmallChunk(packet, packet.ReadU8(1) == kSmallChunkLast, depth, via);
        break;
    case kBigChunk:
        ReceiveBigChunk(packet, depth, via);
        break;
    case kCluster:
        ReceiveCluster(packet, depth, via);
        break;
    default:
        ++counts_.unknownCore;
        break;
    }
}

void SimSession::ReceiveReliable(const Packet& packet, int depth, Arrival via)
{
    if (packet.Size() >= kMaxDatagram)
        Violation("reliable packet of " + std::to_string(packet.Size()) + " bytes");
    const uint32_t number = packet.ReadU32(kFieldAt);
    // Too far ahead to keep: not acknowledged, so the client sends it again later.
    if (number > nextExpected_ && number - nextExpected_ > kMaxAhead) {
        ++counts_.tooFarAhead;
        return;
    }
    Packet ack = Core(kAck, 6);
    ack.WriteU32(number, kFieldAt);
    SendDirect(ack);
    ++counts_.acksSent;
    if (number < nextExpected_ || held_.count(number) != 0) {
        ++counts_.duplicatesDropped;
        return;
    }
    ++counts_.reliableReceived;
    held_.emplace(number, packet.SubRange(kReliableHeader, 0));
    const uint32_t generation = generation_;
    for (auto next = held_.find(nextExpected_); next != held_.end(); next = held_.find(nextExpected_)) {
        const Packet payload = std::move(next->second);
        held_.erase(next);
        ++nextExpected_;
        Arrival inside = via;
        inside.reliable = true;
        Dispatch(payload, depth + 1, inside);
        if (generation != generation_)
            return; // the payload ended the connection
    }
}

void SimSession::ReceiveAck(const Packet& packet)
{
    const uint32_t number = packet.ReadU32(kFieldAt);
    if (inFlight_.erase(number) != 0)
        ++counts_.acksReceived;
    else if (number >= nextOutgoing_)
        Violation("acknowledgement of " + std::to_string(number) + ", never sent");
    else
        ++counts_.staleAcks;
    FillWindow();
}

void SimSession::ReceiveSyncRequest(const Packet& packet)
{
    ++counts_.syncRequests;
    clientTime_ = packet.ReadU32(kFieldAt);
    clientPacketsSent_ = packet.ReadU32(kSecondFieldAt);
    clientPacketsReceived_ = packet.ReadU32(kThirdFieldAt);
    Packet response = Core(kSyncResponse, 10);
    response.WriteU32(clientTime_, kFieldAt);
    response.WriteU32(sim_.Now(), kSecondFieldAt);
    SendDirect(response);
}

void SimSession::ReceiveSyncResponse(const Packet& packet)
{
    ++counts_.syncResponses;
    roundTrip_ = sim_.Now() - packet.ReadU32(kFieldAt);
}

void SimSession::ReceiveDisconnect()
{
    ++counts_.clientDisconnects;
    clientLeft_ = true;
    state_ = State::Closed;
    ForgetReliable();
    sim_.Log("client " + peer_.ToString() + " disconnected");
}

void SimSession::ReceiveSmallChunk(const Packet& packet, bool last, int depth, Arrival via)
{
    const Packet piece = packet.SubRange(2, 0);
    if (uint64_t(smallChunks_.Size()) + piece.Size() > kMaxChunkedBytes) {
        ++counts_.chunksAbandoned;
        smallChunks_.Clear();
        return;
    }
    smallChunks_.Append(piece);
    if (!last)
        return;
    Packet whole;
    std::swap(whole, smallChunks_);
    via.smallChunks = true;
    Dispatch(whole, depth + 1, via);
}

void SimSession::ReceiveBigChunk(const Packet& packet, int depth, Arrival via)
{
    if (packet.Size() > kBigChunkHeader + kBigChunkPiece)
        Violation("big chunk piece of " + std::to_string(packet.Size()) + " bytes");
    ++counts_.bigChunksReceived;
    const uint32_t total = packet.ReadU32(kFieldAt);
    if (bigTotal_ != 0 && bigTotal_ != total) {
        ++counts_.chunksAbandoned;
        bigChunks_.Clear();
        bigAllReliable_ = true;
    }
    bigTotal_ = total;
    if (total > kMaxChunkedBytes) {
        ++counts_.chunksAbandoned;
        bigChunks_.Clear();
        bigTotal_ = 0;
        bigAllReliable_ = true;
        return;
    }
    bigChunks_.Append(packet.SubRange(kBigChunkHeader, 0));
    bigAllReliable_ = bigAllReliable_ && via.reliable;
    if (bigChunks_.Size() < total)
        return;
    Packet whole;
    std::swap(whole, bigChunks_);
    bigTotal_ = 0;
    Arrival joined = via;
    joined.reliable = bigAllReliable_;
    joined.bigChunks = true;
    bigAllReliable_ = true;
    Dispatch(whole, depth + 1, joined);
}

void SimSession::ReceiveCluster(const Packet& packet, int depth, Arrival via)
{
    via.clustered = true;
    for (uint32_t at = 2; at < packet.Size();) {
        const uint32_t length = packet.ReadU8(at);
        Dispatch(packet.SubRange(at + 1, at + 1 + length), depth + 1, via);
        if (state_ != State::Connected)
            return;
        at += 1 + length;
    }
}

// --- Sending ---

void SimSession::SendDirect(const Packet& packet)
{
    Packet wire = packet;
    cipher_.Encrypt(wire);
    sim_.Transmit(peer_, wire);
}

void SimSession::SendReliable(const Packet& payload)
{
    if (payload.Empty())
        return;
    queued_.push_back(payload);
    FillWindow();
}

void SimSession::FillWindow()
{
    const size_t window = sim_.Options().sendWindow == 0 ? 1 : sim_.Options().sendWindow;
    while (!queued_.empty() && inFlight_.size() < window) {
        Packet packet = Core(kReliable, kReliableHeader);
        packet.WriteU32(nextOutgoing_, kFieldAt);
        packet.Append(queued_.front());
        queued_.pop_front();
        inFlight_[nextOutgoing_++] = {packet, sim_.Now()};
        ++counts_.reliableSent;
        SendDirect(packet);
    }
}

void SimSession::SendZone(const Packet& packet, bool reliable)
{
    if (packet.Empty())
        return;
    if (packet.Size() > (reliable ? kMaxReliablePayload : kMaxDatagram))
        SendBigChunks(packet);
    else if (reliable)
        SendReliable(packet);
    else
        SendDirect(packet);
}

bool SimSession::SendCluster(const std::vector<Packet>& members, bool reliable)
{
    Packet cluster = Core(kCluster, 2);
    for (const Packet& member : members) {
        if (member.Size() > kMaxClusterMember)
            return false;
        const uint8_t length = uint8_t(member.Size());
        cluster.AppendBytes(&length, 1);
        cluster.Append(member);
    }
    if (cluster.Size() > (reliable ? kMaxReliablePayload : kMaxDatagram))
        return false;
    if (reliable)
        SendReliable(cluster);
    else
        SendDirect(cluster);
    return true;
}

void SimSession::SendSmallChunks(const Packet& packet, uint32_t pieceSize, bool reliable)
{
    if (pieceSize == 0)
        pieceSize = 1;
    if (pieceSize > kMaxReliablePayload - 2)
        pieceSize = kMaxReliablePayload - 2;
    for (uint32_t at = 0; at < packet.Size(); at += pieceSize) {
        const bool last = packet.Size() - at <= pieceSize;
        Packet piece = Core(last ? kSmallChunkLast : kSmallChunk, 2);
        piece.Append(packet.SubRange(at, last ? 0 : at + pieceSize));
        if (reliable)
            SendReliable(piece);
        else
            SendDirect(piece);
    }
}

void SimSession::SendBigChunks(const Packet& packet)
{
    for (uint32_t at = 0; at < packet.Size(); at += kBigChunkPiece) {
        Packet piece = Core(kBigChunk, kBigChunkHeader);
        piece.WriteU32(packet.Size(), kFieldAt);
        const uint32_t end = packet.Size() - at <= kBigChunkPiece ? 0 : at + kBigChunkPiece;
        piece.Append(packet.SubRange(at, end));
        ++counts_.bigChunksSent;
        SendReliable(piece);
    }
}

void SimSession::SendSyncRequest()
{
    Packet request = Core(kSyncRequest, 6);
    request.WriteU32(sim_.Now(), kFieldAt);
    SendDirect(request);
}

void SimSession::Disconnect()
{
    SendDirect(Core(kDisconnect, 2));
    state_ = State::Closed;
    ForgetReliable();
    sim_.Log("disconnected " + peer_.ToString());
}

// --- Timers ---

void SimSession::Run()
{
    if (state_ != State::Connected)
        return;
    const uint32_t now = sim_.Now();
    const uint32_t silenceLimit = sim_.Options().dropSilentAfter;
    if (silenceLimit != 0 && now - lastHeard_ >= silenceLimit) {
        state_ = State::Closed;
        ForgetReliable();
        sim_.Log("client " + peer_.ToString() + " timed out");
        return;
    }
    for (auto& entry : inFlight_) {
        Outgoing& outgoing = entry.second;
        if (now - outgoing.sentAt >= sim_.Options().resendAfter) {
            outgoing.sentAt = now;
            ++counts_.resends;
            SendDirect(outgoing.packet);
        }
    }
    FillWindow();
}

void SimSession::Violation(const std::string& what) { sim_.Violation(peer_.ToString() + ": " + what); }
