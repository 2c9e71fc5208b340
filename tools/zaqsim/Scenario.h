// The scenario file: what each simulated unit sends on its own, one item per
// line (the format is described in README.md).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PlayItem.h"

namespace zaqsim {

struct ScenarioError {
    size_t line = 0;  // 1-based
    std::string message;
};

struct Scenario {
    std::vector<std::vector<PlayItem>> units;  // items per unit index
    std::vector<ScenarioError> errors;         // empty when every line was understood
};

constexpr size_t kMaxUnits = 16;

// Delays are multiplied by `timeScale` (1 as written, 0 none).
Scenario ParseScenario(std::string_view text, double timeScale = 1.0);

}  // namespace zaqsim
