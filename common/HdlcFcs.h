// The HDLC frame check sequence (CRC-16 of ISO/IEC 13239 and ITU-T X.25:
// reflected polynomial 0x8408, initial 0xFFFF, complemented), sent low byte first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

uint16_t HdlcFcs(const uint8_t* data, size_t size);

// Appends the two check bytes, low byte first.
void AppendHdlcFcs(std::vector<uint8_t>& frame);
