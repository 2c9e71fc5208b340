// One thing a unit sends on its own (a packet, a notice or a text line), held
// until raw output is on and its delay has passed.
#pragma once

#include <cstdint>
#include <string>

namespace zaqsim {

struct PlayItem {
    uint32_t delayMs = 0;  // after the unit's previous item went out
    std::string bytes;     // exactly what goes on the line
};

// A text line as the unit sends it: the text and CR LF.
std::string TextLine(const std::string& text);

// A start/stop notice: the channel's decimal digits (at most four) and "Y" or "N".
std::string NoticeText(uint32_t channel, bool on);

}  // namespace zaqsim
