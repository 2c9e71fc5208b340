// Paces a unit's output at its line rate: 115200 baud with 8N1 framing carries
// 11520 bytes per second. A credit of bytes grows with time up to a small burst.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Clock.h"

namespace zaqsim {

constexpr double kLineBytesPerSecond = 11520.0;

class LinePacer {
public:
    // `bytesPerSecond` 0: unpaced, every byte may go at once.
    LinePacer(const platform::Clock& clock, double bytesPerSecond);

    bool Paced() const { return bytesPerSecond_ > 0; }
    // Bytes that may be sent now.
    size_t Budget();
    void Spend(size_t bytes);
    // Milliseconds until `wanted` bytes (or a burst's worth, whichever is less) may go.
    int64_t MsUntilBudget(size_t wanted);

private:
    void Refill();

    const platform::Clock& clock_;
    double bytesPerSecond_;
    double burst_;
    double credit_;
    uint32_t lastRefill_;
};

}  // namespace zaqsim
