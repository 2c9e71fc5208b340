#include "UnitAnswers.h"

namespace zaqsim {

namespace {

std::string NumberList(const char* caption, const std::array<uint32_t, kLines>& numbers)
{
    std::string line = caption;
    for (uint32_t number : numbers)
        line += " " + std::to_string(number);
    return line;
}

}  // namespace

std::string LevelsLine(const std::array<uint8_t, kLines>& levels)
{
    std::string line = "Levels =";
    for (uint8_t level : levels) {
        const std::string digits = std::to_string(level);
        line += std::string(4 - digits.size(), '*') + digits;
    }
    return line;
}

std::vector<std::string> ErrorScreenLines(const ErrorCounters& counters)
{
    return {
        NumberList("Phone Errors =", counters.phoneErrors),
        NumberList("Pbx   Errors =", counters.pbxErrors),
        NumberList("Phone Errs/s =", counters.phoneErrorRate),
        NumberList("Pbx Errors/s =", counters.pbxErrorRate),
        "Press R to Redisplay",
    };
}

}  // namespace zaqsim
