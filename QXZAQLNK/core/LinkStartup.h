// Bringing units up: the probe that asks a unit for its PBX family, and the
// port of that family that then serves the board.
#pragma once

#include <cstdint>

// The PBX type found (> 0), 0 when no unit answered on the port (or its port
// could not be opened), -1 when the unit did not report its PBX type.
int32_t SetupPort(const char* device, uint32_t start_channel, uint32_t board);
