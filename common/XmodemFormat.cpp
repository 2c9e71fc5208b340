// XMODEM blocks and their CRC-16, as the sender builds them.
#include "common/XmodemFormat.h"

#include <cstring>

namespace xmodem {

namespace {

// The usual table of the polynomial, split into its high and low bytes.
struct CrcTables {
    std::array<uint8_t, 256> high{};
    std::array<uint8_t, 256> low{};
};

constexpr CrcTables MakeTables()
{
    CrcTables tables;
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
        }
        tables.high[byte] = static_cast<uint8_t>(crc >> 8);
        tables.low[byte] = static_cast<uint8_t>(crc & 0xFF);
    }
    return tables;
}

constexpr CrcTables kTables = MakeTables();

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t size)
{
    uint8_t high = 0;
    uint8_t low = 0;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t index = static_cast<uint8_t>(high ^ data[i]);
        high = static_cast<uint8_t>(low ^ kTables.high[index]);
        low = kTables.low[index];
    }
    return static_cast<uint16_t>((high << 8) | low);
}

std::array<uint8_t, kFrameSize> BuildFrame(uint8_t blockNumber, const uint8_t* data, size_t size)
{
    std::array<uint8_t, kFrameSize> frame{};
    frame[0] = kSoh;
    frame[1] = blockNumber;
    frame[2] = static_cast<uint8_t>(255 - blockNumber);
    std::memcpy(frame.data() + 3, data, size < kBlockSize ? size : kBlockSize);
    const uint16_t crc = Crc16(frame.data() + 3, kBlockSize);
    frame[131] = static_cast<uint8_t>(crc >> 8);
    frame[132] = static_cast<uint8_t>(crc & 0xFF);
    return frame;
}

}  // namespace xmodem
