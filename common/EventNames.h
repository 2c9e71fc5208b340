// The QXEVT_ name of every event code.
#pragma once

#include <cstdint>

// "QXEVT_LIGHT_ON" ...; null for a code without a name.
const char* EventName(uint32_t code);
