// A property a fuzz entry checks on what the code under test produced: when
// it does not hold, the run aborts, so the fuzzer keeps the input as a finding
// (and a corpus test fails).
#pragma once

#include <cstdlib>

namespace fuzz {

inline void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace fuzz
