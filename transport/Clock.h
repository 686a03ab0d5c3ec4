#pragma once

#include <cstdint>

// Protocol time in hundredths of a second. Production reads the monotonic clock;
// tests move a ManualClock by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Now() const = 0;
};

class SteadyClock final : public Clock {
public:
    uint32_t Now() const override;
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(uint32_t start = 100000) : now_(start) {}
    uint32_t Now() const override { return now_; }
    void Set(uint32_t now) { now_ = now; }
    void Advance(uint32_t hundredths) { now_ += hundredths; }

private:
    uint32_t now_;
};
