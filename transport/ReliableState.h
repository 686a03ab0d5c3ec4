#pragma once

#include "transport/Packet.h"

#include <cstdint>
#include <deque>
#include <map>
#include <unordered_map>

// Bookkeeping of reliable delivery in both directions, and the queue of big
// packets waiting to go out in pieces. It owns no socket and no clock: the
// Connection passes the time in and does the sending.
class ReliableState {
public:
    static constexpr uint32_t kHeaderSize = 6;
    // Pieces of a big packet: 500 bytes of it behind a 6-byte big-chunk header.
    static constexpr uint32_t kPieceSize = 500;
    static constexpr uint32_t kBigChunkHeaderSize = 6;
    // Reliable packets further ahead than this are not kept; the server resends them.
    static constexpr uint32_t kMaxAhead = 1024;
    // Bytes kept for packets that arrived ahead of their turn.
    static constexpr uint32_t kMaxHeldBytes = 16u * 1024 * 1024;

    // --- Outgoing ---

    static bool IsReliablePacket(const Packet& packet);
    // Gives the packet a reliable header with the next number unless it has one,
    // and keeps a copy in pending under `now`.
    void Track(Packet& packet, uint32_t now);
    // The acknowledged packet leaves pending; an unknown number changes nothing.
    // Found by its number, however much is pending.
    void Acknowledged(uint32_t number);
    // Takes the oldest pending packet out when it has waited `interval` or more.
    bool TakeOverdue(uint32_t now, uint32_t interval, Packet& packet);

    size_t PendingCount() const { return pending_.size(); }
    bool IsPending(uint32_t number) const { return pendingByNumber_.count(number) != 0; }
    // Bytes of the packets waiting for their acknowledgement.
    size_t PendingBytes() const { return pendingBytes_; }
    const std::multimap<uint32_t, Packet>& Pending() const { return pending_; }
    uint32_t NextOutgoing() const { return nextOutgoing_; }

    // --- Incoming ---

    // False when a packet with this number and payload size is not to be kept
    // nor acknowledged: too far ahead, or too much is held already.
    bool Acceptable(uint32_t number, uint32_t payloadSize) const;
    // Keeps the payload for its turn; a number already delivered or already held is
    // dropped. True when it is this payload's turn now: it is handed back in
    // `payload` and the expected number moves on, without a detour through storage.
    bool Received(uint32_t number, Packet& payload);
    // The payload whose turn it is, if it has arrived; advances the expected number.
    bool TakeNextInOrder(Packet& payload);

    size_t HeldCount() const { return received_.size(); }
    // Whether the payload whose turn it is has arrived and waits.
    bool NextInOrderHeld() const { return received_.count(nextExpected_) != 0; }
    uint32_t NextExpected() const { return nextExpected_; }

    // Both directions forget everything; numbering restarts at 0.
    void Reset();

    // --- Big packets ---

    // Cuts the packet into big-chunk pieces and queues them as one transfer.
    void QueueTransfer(const Packet& packet);
    // The next piece to send; false when there is none this time (an emptied
    // transfer is removed and nothing goes out).
    bool TakeNextPiece(Packet& piece);
    void ClearTransfers()
    {
        transfers_.clear();
        frontStarted_ = false;
    }
    // A transfer cut off part way: the new connection's peer would join its
    // remaining pieces into a broken packet, so it goes; those not begun wait.
    void DropStartedTransfer();
    const std::deque<std::deque<Packet>>& Transfers() const { return transfers_; }
    // Bytes of the pieces waiting in the transfer queue.
    uint64_t QueuedTransferBytes() const;

private:
    using PendingList = std::multimap<uint32_t, Packet>;
    PendingList pending_; // by the time each went out
    std::unordered_map<uint32_t, PendingList::iterator> pendingByNumber_;
    size_t pendingBytes_ = 0;
    uint32_t nextOutgoing_ = 0;
    std::map<uint32_t, Packet> received_;
    uint64_t heldBytes_ = 0;
    uint32_t nextExpected_ = 0;
    std::deque<std::deque<Packet>> transfers_;
    bool frontStarted_ = false; // a piece of the front transfer has gone out
};
