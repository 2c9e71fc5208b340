// The line-settings text of a COM port ("baud=115200 parity=N data=8 stop=1"),
// read the way the system's DCB builder reads it.
#pragma once

#include <string_view>

#include "platform/SerialDevice.h"

// False when the text names an unknown key or a value out of range.
bool BuildLineSettings(std::string_view text, platform::LineSettings& settings);
