// The unit's line options: the command that sets each, the query that asks for
// it, where its answer lands, and the words of the options with named values.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "unit/UnitAnswers.h"

enum class UnitOption {
    Bus,
    Clock,
    Encoding,
    RDSP,
    Split,
    StartStopDetect,
    Stream,
    Slots,
    StartStopMin,
    StartStopMax,
    StartStopOn,
    StartStopOff,
};

struct OptionCommand {
    const char* setCommand;                 // "SET BUS=" (the value follows)
    const char* query;                      // "SET BUS"
    std::atomic<int32_t> UnitAnswers::*member;
    const char* const* words;               // named values, or null for plain numbers
    int32_t firstValue;                     // the value of words[0]
    size_t wordCount;
};

const OptionCommand& OptionCommandOf(UnitOption option);

// The command line that sets `option` to `value`; none for a value the option does not have.
std::optional<std::string> FormatSetCommand(UnitOption option, int32_t value);
