// This process's resident memory, sampled once a second, and whether it
// stayed flat: after a warm-up, the highest figure of the last window may
// exceed the highest of the first window by at most a set allowance.
#pragma once

#include <cstdint>
#include <vector>

class ResidentMemoryLog {
public:
    void Sample(uint32_t secondsSinceStart);

    long First() const { return samples_.empty() ? 0 : samples_.front().kib; }
    long Last() const { return samples_.empty() ? 0 : samples_.back().kib; }
    long Highest() const;
    // Highest of the last window less highest of the first window after the
    // warm-up; a run of `runSeconds` has a warm-up and windows of a minute,
    // or a third of the run when it is shorter than three minutes.
    long Growth(uint32_t runSeconds) const;

private:
    struct Point {
        uint32_t second;
        long kib;
    };
    long HighestWithin(uint32_t from, uint32_t to) const;

    std::vector<Point> samples_;
};
