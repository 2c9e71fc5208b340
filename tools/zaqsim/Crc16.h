// CRC-16/XMODEM: polynomial 0x1021, initial value 0, not reflected, no final XOR.
#pragma once

#include <cstdint>
#include <span>

namespace zaqsim {

uint16_t Crc16Xmodem(std::span<const uint8_t> data);

}  // namespace zaqsim
