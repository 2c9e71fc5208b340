#include "LinePacer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zaqsim {

namespace {

constexpr double kBurstSeconds = 0.02;
constexpr double kMinBurst = 64;

}  // namespace

LinePacer::LinePacer(const platform::Clock& clock, double bytesPerSecond)
    : clock_(clock),
      bytesPerSecond_(bytesPerSecond),
      burst_(std::max(kMinBurst, bytesPerSecond * kBurstSeconds)),
      credit_(burst_),
      lastRefill_(clock.Now())
{
}

void LinePacer::Refill()
{
    const uint32_t now = clock_.Now();
    const uint32_t elapsed = now - lastRefill_;
    lastRefill_ = now;
    credit_ = std::min(burst_, credit_ + elapsed * bytesPerSecond_ / 1000.0);
}

size_t LinePacer::Budget()
{
    if (!Paced())
        return std::numeric_limits<size_t>::max();
    Refill();
    return credit_ < 1 ? 0 : static_cast<size_t>(credit_);
}

void LinePacer::Spend(size_t bytes)
{
    if (Paced())
        credit_ -= static_cast<double>(bytes);
}

int64_t LinePacer::MsUntilBudget(size_t wanted)
{
    if (!Paced())
        return 0;
    Refill();
    const double target = std::min(static_cast<double>(std::max<size_t>(wanted, 1)), burst_);
    if (credit_ >= target)
        return 0;
    return static_cast<int64_t>(std::ceil((target - credit_) * 1000.0 / bytesPerSecond_));
}

}  // namespace zaqsim
