// A millisecond tick that moves only when the test says so.
#pragma once

#include <atomic>

#include "platform/Clock.h"

class FakeClock final : public platform::Clock {
public:
    uint32_t Now() const override { return now_.load(); }
    void Advance(uint32_t milliseconds) { now_ += milliseconds; }
    void Set(uint32_t now) { now_ = now; }

private:
    std::atomic<uint32_t> now_{1000};
};
