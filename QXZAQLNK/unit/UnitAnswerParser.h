// Classification of one text line from the unit: command answers ("OK",
// "ERROR", "Press M <ENTER> for menu"), value lines ("Bus=MVIP", "PBX ...",
// "Levels = ...", the error tables, ...), and start/stop notices ("5Y").
// Values go into UnitAnswers; what the port must do next comes back as a LineOutcome.
#pragma once

#include <cstdint>
#include <string_view>

#include "unit/UnitAnswers.h"

struct LineOutcome {
    enum class Kind { None, CommandAnswer, StartStop };
    Kind kind = Kind::None;
    uint32_t commandResult = 0;  // CommandAnswer: 0 or ZAQ16_RET_UNIT_ERROR
    uint32_t channel = 0;        // StartStop: the channel number of the notice
    bool startStopOn = false;    // StartStop: "Y" (on) or "N" (off)
};

// `line` is the assembled line with its CR (the LF is not part of it).
// Control bytes before the line's text are ignored.
LineOutcome ParseUnitLine(std::string_view line, UnitAnswers& answers);

// The PBX type code of a "PBX" answer line (0xFFFF when no known name is in it).
int32_t PbxTypeFromLine(std::string_view line);
