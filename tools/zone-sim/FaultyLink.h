#pragma once

#include "ServerSocket.h"
#include "transport/Packet.h"

#include <cstdint>
#include <random>
#include <vector>

// What one direction of the simulated network does to datagrams. Probabilities
// are 0 to 1; delays are in hundredths of a second.
struct LinkFaults {
    double loss = 0;
    double duplicate = 0;
    // A reordered datagram is held back until one to three later ones have passed it.
    double reorder = 0;
    // Every datagram waits a random 0 to maxDelay hundredths before it goes on.
    uint32_t maxDelay = 0;

    bool None() const { return loss <= 0 && duplicate <= 0 && reorder <= 0 && maxDelay == 0; }
};

struct Datagram {
    Packet bytes;
    Endpoint peer;
};

// One direction of the network between client and simulator. Datagrams go in
// with Push and come out of Take when they are due, after the seeded faults.
// Only std::mt19937's raw output is used, so a seed gives the same run on every
// standard library.
class FaultyLink {
public:
    // A datagram held back for reordering goes on after this long at the latest,
    // so a quiet link does not keep it for ever.
    static constexpr uint32_t kMaxHold = 20;

    explicit FaultyLink(uint32_t seed) : random_(seed) {}

    void SetFaults(const LinkFaults& faults) { faults_ = faults; }
    const LinkFaults& Faults() const { return faults_; }

    void Push(Datagram datagram, uint32_t now);
    // The datagrams due at `now`, in the order they reach the other side.
    std::vector<Datagram> Take(uint32_t now);
    size_t Waiting() const { return queue_.size(); }

    struct Counts {
        uint64_t pushed = 0, lost = 0, duplicated = 0, reordered = 0, delayed = 0, delivered = 0;
    };
    const Counts& Tally() const { return counts_; }

private:
    struct Entry {
        Datagram datagram;
        uint64_t order;     // position in the delivery order
        uint64_t afterPush; // held until this many datagrams have been pushed
        uint32_t pushedAt;
        uint32_t dueAt;
    };

    bool Roll(double probability);
    uint32_t Below(uint32_t bound) { return bound == 0 ? 0 : uint32_t(random_() % bound); }
    bool Due(const Entry& entry, uint32_t now) const;

    LinkFaults faults_;
    std::mt19937 random_;
    std::vector<Entry> queue_;
    Counts counts_;
};
