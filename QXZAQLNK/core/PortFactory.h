// The port of each PBX type with its decoder: a PBX family's decoder, the
// ISDN monitor, or none (a plain unit port that reads and records packets
// without decoding them).
#pragma once

#include <cstdint>

#include "core/LinkState.h"

enum class PortUse {
    Real,      // a unit on a COM port
    Virtual,   // a playback port, without a COM port
};

// The port for `pbxType`, its events going to the library's event delivery;
// null when the type has no port for that use.
PortRef CreatePort(uint32_t pbxType, PortUse use, const char* device, uint32_t start_channel);
