// Fuzz entry: the input is a simulator scenario file, read as written and
// with its delays scaled. What it accepts stays within the simulator's
// bounds: at most sixteen units, no delay beyond an hour (scaled).
#include <cstdint>
#include <string_view>

#include "FuzzRequire.h"
#include "Scenario.h"

namespace {

void Check(const zaqsim::Scenario& scenario, double timeScale)
{
    constexpr double kLongestDelayMs = 3600000;
    fuzz::Require(scenario.units.size() <= zaqsim::kMaxUnits);
    for (const auto& items : scenario.units) {
        for (const zaqsim::PlayItem& item : items) {
            fuzz::Require(item.delayMs <= kLongestDelayMs * timeScale + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const double timeScale : {1.0, 0.0, 2.5}) {
        Check(zaqsim::ParseScenario(text, timeScale), timeScale);
    }
    return 0;
}
