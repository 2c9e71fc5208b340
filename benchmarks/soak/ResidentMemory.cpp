#include "ResidentMemory.h"

#include <algorithm>

#include "platform/ProcessUsage.h"

void ResidentMemoryLog::Sample(uint32_t secondsSinceStart)
{
    samples_.push_back(Point{secondsSinceStart, platform::ResidentKiB()});
}

long ResidentMemoryLog::Highest() const
{
    return HighestWithin(0, UINT32_MAX);
}

long ResidentMemoryLog::HighestWithin(uint32_t from, uint32_t to) const
{
    long highest = 0;
    for (const Point& sample : samples_) {
        if (sample.second >= from && sample.second < to)
            highest = std::max(highest, sample.kib);
    }
    return highest;
}

long ResidentMemoryLog::Growth(uint32_t runSeconds) const
{
    const uint32_t window = std::min<uint32_t>(60, std::max<uint32_t>(runSeconds / 3, 1));
    const long early = HighestWithin(window, 2 * window);
    const long late = HighestWithin(runSeconds > window ? runSeconds - window : 0, UINT32_MAX);
    return early > 0 && late > 0 ? late - early : 0;
}
