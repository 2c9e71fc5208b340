#include "Crc16.h"

namespace zaqsim {

uint16_t Crc16Xmodem(std::span<const uint8_t> data)
{
    uint16_t crc = 0;
    for (uint8_t byte : data) {
        crc = static_cast<uint16_t>(crc ^ (byte << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

}  // namespace zaqsim
