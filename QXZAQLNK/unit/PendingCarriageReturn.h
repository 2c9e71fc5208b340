// The unit ends its lines with CR LF. The reader reads the LF right after the
// CR, but that read is cut short when a timer falls due; the CR then stays
// pending, and a byte arriving within one byte's read time of the CR is still
// the byte that follows it.
#pragma once

#include <cstdint>

class PendingCarriageReturn {
public:
    // The read time-out of one byte (constant 250 ms + 50 ms per byte).
    static constexpr uint32_t kFollowerWindowMs = 300;

    void Arm(uint32_t carriageReturnAt)
    {
        armed_ = true;
        carriageReturnAt_ = carriageReturnAt;
    }
    // True when a CR is pending and `now` is within its window: a byte now is the CR's follower.
    bool Follows(uint32_t now) const { return armed_ && now - carriageReturnAt_ <= kFollowerWindowMs; }
    void Clear() { armed_ = false; }

private:
    bool armed_ = false;
    uint32_t carriageReturnAt_ = 0;
};
