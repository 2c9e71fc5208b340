// The multi-number answer lines: the levels line and the error table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "UnitConfig.h"

namespace zaqsim {

// "Levels =" and 16 fields of four characters, right-aligned and padded with
// "*": always 72 characters.
std::string LevelsLine(const std::array<uint8_t, kLines>& levels);

// The error screen: the four tables, then "Press R to Redisplay".
std::vector<std::string> ErrorScreenLines(const ErrorCounters& counters);

}  // namespace zaqsim
