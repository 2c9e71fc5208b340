#include "common/HdlcFcs.h"

#include <array>

namespace {

constexpr std::array<uint16_t, 256> MakeTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
        }
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

uint16_t HdlcFcs(const uint8_t* data, size_t size)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF]);
    }
    return static_cast<uint16_t>(~crc);
}

void AppendHdlcFcs(std::vector<uint8_t>& frame)
{
    const uint16_t fcs = HdlcFcs(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(fcs & 0xFF));
    frame.push_back(static_cast<uint8_t>(fcs >> 8));
}
