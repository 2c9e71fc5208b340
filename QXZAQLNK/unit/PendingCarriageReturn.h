// The unit ends its lines with CR LF, sent back to back. The reader reads the
// LF right after the CR, but that read is cut short when a timer falls due;
// the CR then stays pending, and a byte arriving within the inter-byte
// time-out of the CR is still the byte that follows it.
#pragma once

#include <cstdint>

class PendingCarriageReturn {
public:
    explicit PendingCarriageReturn(uint32_t windowMs) : windowMs_(windowMs) {}

    void Arm(uint32_t carriageReturnAt)
    {
        armed_ = true;
        carriageReturnAt_ = carriageReturnAt;
    }
    // True when a CR is pending and `now` is within its window: a byte now is the CR's follower.
    bool Follows(uint32_t now) const { return armed_ && now - carriageReturnAt_ <= windowMs_; }
    void Clear() { armed_ = false; }

private:
    uint32_t windowMs_;
    bool armed_ = false;
    uint32_t carriageReturnAt_ = 0;
};
