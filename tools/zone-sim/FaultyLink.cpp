#include "FaultyLink.h"

#include <algorithm>

namespace {

// Wrap-safe "a is at or after b" for protocol time.
bool NotBefore(uint32_t a, uint32_t b) { return int32_t(a - b) >= 0; }

} // namespace

bool FaultyLink::Roll(double probability)
{
    if (probability <= 0)
        return false;
    const double draw = double(random_()) / 4294967296.0;
    return draw < probability;
}

void FaultyLink::Push(Datagram datagram, uint32_t now)
{
    const uint64_t index = ++counts_.pushed;
    if (Roll(faults_.loss)) {
        ++counts_.lost;
        return;
    }
    const int copies = Roll(faults_.duplicate) ? 2 : 1;
    if (copies == 2)
        ++counts_.duplicated;
    for (int copy = 0; copy < copies; ++copy) {
        Entry entry{datagram, index * 8 + uint64_t(copy), 0, now, now};
        if (faults_.maxDelay > 0) {
            const uint32_t delay = Below(faults_.maxDelay + 1);
            entry.dueAt = now + delay;
            if (delay > 0)
                ++counts_.delayed;
        }
        if (Roll(faults_.reorder)) {
            // Sort behind the datagram pushed `ahead` places later, and wait for it.
            const uint64_t ahead = 1 + Below(3);
            entry.order = (index + ahead) * 8 + 4 + uint64_t(copy);
            entry.afterPush = index + ahead;
            ++counts_.reordered;
        }
        queue_.push_back(std::move(entry));
    }
}

bool FaultyLink::Due(const Entry& entry, uint32_t now) const
{
    if (!NotBefore(now, entry.dueAt))
        return false;
    return counts_.pushed >= entry.afterPush || NotBefore(now, entry.pushedAt + kMaxHold);
}

std::vector<Datagram> FaultyLink::Take(uint32_t now)
{
    std::vector<Entry> due;
    std::vector<Entry> waiting;
    for (Entry& entry : queue_)
        (Due(entry, now) ? due : waiting).push_back(std::move(entry));
    queue_ = std::move(waiting);
    std::stable_sort(due.begin(), due.end(), [](const Entry& a, const Entry& b) { return a.order < b.order; });
    std::vector<Datagram> out;
    out.reserve(due.size());
    for (Entry& entry : due)
        out.push_back(std::move(entry.datagram));
    counts_.delivered += out.size();
    return out;
}
