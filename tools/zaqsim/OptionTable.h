// The line options a unit keeps: the word of each "SET <WORD>=<value>" command,
// the key of its answer line ("Bus=MVIP"), what values it accepts and its
// power-on value.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zaqsim {

enum class OptionKind { Choice, Number, Text };

struct OptionChoice {
    const char* word;   // as the command gives it (compared without case)
    const char* shown;  // as the answer line shows it
};

struct OptionSpec {
    const char* word;        // "BUS"
    const char* answerKey;   // "Bus"
    OptionKind kind;
    std::vector<OptionChoice> choices;  // Choice only
    const char* powerOn;     // shown form
};

constexpr long kMaxOptionNumber = 65535;
constexpr size_t kMaxLightMask = 9;

const std::vector<OptionSpec>& OptionTable();
const OptionSpec* FindOption(std::string_view word);

// The shown form of `value` for the option, or nothing when the unit refuses it.
std::optional<std::string> AcceptOptionValue(const OptionSpec& option, std::string_view value);

// Option word -> shown value.
using OptionValues = std::map<std::string, std::string>;

OptionValues PowerOnOptionValues();
// The power-on values with `overrides` applied; a refused override is named in `problems`.
OptionValues PowerOnOptionValues(const std::map<std::string, std::string>& overrides,
                                 std::vector<std::string>& problems);

std::string UpperCase(std::string_view text);
std::string_view Trim(std::string_view text);

}  // namespace zaqsim
