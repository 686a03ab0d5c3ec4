#include "transport/ReliableState.h"

namespace {
constexpr uint8_t kCoreMarker = 0x00;
constexpr uint8_t kReliableType = 0x03;
constexpr uint8_t kBigChunkType = 0x0A;
constexpr uint32_t kNumberOffset = 2;
} // namespace

bool ReliableState::IsReliablePacket(const Packet& packet)
{
    return packet.Size() > kHeaderSize && packet.ReadU8(0) == kCoreMarker && packet.ReadU8(1) == kReliableType;
}

void ReliableState::Track(Packet& packet, uint32_t now)
{
    if (!IsReliablePacket(packet)) {
        Packet header(kHeaderSize);
        header.WriteU8(kCoreMarker, 0);
        header.WriteU8(kReliableType, 1);
        header.WriteU32(nextOutgoing_++, kNumberOffset);
        packet.Prepend(header);
    }
    // Equal keys keep their insertion order, so a burst resends in the order it went out.
    const auto kept = pending_.emplace(now, packet);
    pendingBytes_ += packet.Size();
    const auto [slot, fresh] = pendingByNumber_.try_emplace(packet.ReadU32(kNumberOffset), kept);
    if (!fresh) { // tracked again while still pending: the newer copy stands for both
        pendingBytes_ -= slot->second->second.Size();
        pending_.erase(slot->second);
        slot->second = kept;
    }
}

void ReliableState::Acknowledged(uint32_t number)
{
    const auto found = pendingByNumber_.find(number);
    if (found == pendingByNumber_.end())
        return;
    pendingBytes_ -= found->second->second.Size();
    pending_.erase(found->second);
    pendingByNumber_.erase(found);
}

bool ReliableState::TakeOverdue(uint32_t now, uint32_t interval, Packet& packet)
{
    if (pending_.empty())
        return false;
    const auto oldest = pending_.begin();
    if (uint64_t(now) < uint64_t(oldest->first) + interval)
        return false;
    packet = std::move(oldest->second);
    pending_.erase(oldest);
    pendingBytes_ -= packet.Size();
    pendingByNumber_.erase(packet.ReadU32(kNumberOffset));
    return true;
}

bool ReliableState::Acceptable(uint32_t number, uint32_t payloadSize) const
{
    if (number <= nextExpected_)
        return true; // delivered already, or its turn now: nothing to keep
    if (number - nextExpected_ > kMaxAhead)
        return false;
    return heldBytes_ + payloadSize <= kMaxHeldBytes;
}

bool ReliableState::Received(uint32_t number, Packet& payload)
{
    if (number < nextExpected_)
        return false;
    if (number == nextExpected_) {
        ++nextExpected_;
        return true;
    }
    const uint32_t size = payload.Size();
    if (received_.emplace(number, std::move(payload)).second)
        heldBytes_ += size;
    return false;
}

bool ReliableState::TakeNextInOrder(Packet& payload)
{
    const auto next = received_.find(nextExpected_);
    if (next == received_.end())
        return false;
    payload = std::move(next->second);
    heldBytes_ -= payload.Size();
    received_.erase(next);
    ++nextExpected_;
    return true;
}

void ReliableState::Reset()
{
    pending_.clear();
    pendingByNumber_.clear();
    pendingBytes_ = 0;
    received_.clear();
    heldBytes_ = 0;
    nextOutgoing_ = 0;
    nextExpected_ = 0;
}

void ReliableState::QueueTransfer(const Packet& packet)
{
    const uint32_t total = packet.Size();
    std::deque<Packet> pieces;
    for (uint32_t i = 0; i < total; i += kPieceSize) {
        const uint32_t end = total - i > kPieceSize ? i + kPieceSize : total;
        Packet piece(kBigChunkHeaderSize);
        piece.WriteU8(kCoreMarker, 0);
        piece.WriteU8(kBigChunkType, 1);
        piece.WriteU32(total, 2);
        piece.AppendBytes(packet.Data() + i, end - i);
        pieces.push_back(std::move(piece));
    }
    transfers_.push_back(std::move(pieces));
}

bool ReliableState::TakeNextPiece(Packet& piece)
{
    if (transfers_.empty())
        return false;
    std::deque<Packet>& front = transfers_.front();
    if (front.empty()) {
        transfers_.pop_front();
        frontStarted_ = false;
        return false;
    }
    piece = std::move(front.front());
    front.pop_front();
    frontStarted_ = true;
    return true;
}

uint64_t ReliableState::QueuedTransferBytes() const
{
    uint64_t bytes = 0;
    for (const std::deque<Packet>& transfer : transfers_)
        for (const Packet& piece : transfer)
            bytes += piece.Size();
    return bytes;
}

void ReliableState::DropStartedTransfer()
{
    if (frontStarted_ && !transfers_.empty())
        transfers_.pop_front();
    frontStarted_ = false;
}
