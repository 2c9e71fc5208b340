// A port lock held for one scope. The wait is bounded (3 s unless the holder
// names its own bound); when it fails the holder must leave what the lock
// guards alone (and nothing is released).
#pragma once

#include <cstdint>

#include "platform/Sync.h"

class LockHold {
public:
    static constexpr uint32_t kWaitMs = 3000;

    explicit LockHold(platform::Lock& lock, uint32_t waitMs = kWaitMs)
        : lock_(lock), held_(platform::AcquireWithin(lock, waitMs))
    {
    }
    ~LockHold()
    {
        if (held_) {
            lock_.release();
        }
    }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

    explicit operator bool() const { return held_; }

private:
    platform::Lock& lock_;
    bool held_;
};
