#include "DefinityFrames.h"

namespace definity_test {

uint16_t FrameCheckSequence(const std::vector<uint8_t>& bytes)
{
    uint16_t crc = 0xFFFF;
    for (const uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
        }
    }
    return static_cast<uint16_t>(~crc);
}

std::vector<uint8_t> WithFcs(std::vector<uint8_t> bytes)
{
    const uint16_t fcs = FrameCheckSequence(bytes);
    bytes.push_back(static_cast<uint8_t>(fcs & 0xFF));
    bytes.push_back(static_cast<uint8_t>(fcs >> 8));
    return bytes;
}

std::vector<uint8_t> Frame(const std::vector<uint8_t>& information)
{
    std::vector<uint8_t> bytes{0xE3, 0x03};
    bytes.insert(bytes.end(), information.begin(), information.end());
    return WithFcs(bytes);
}

std::vector<uint8_t> DisplayFrame(const std::string& text)
{
    std::vector<uint8_t> information{0xE3};
    information.insert(information.end(), text.begin(), text.end());
    return Frame(information);
}

std::string CursorTo(uint8_t column)
{
    return std::string{static_cast<char>(kEsc), '[', '1', ';', static_cast<char>(column)};
}

std::string EraseToEnd()
{
    return std::string{static_cast<char>(kEsc), '[', '0', 'K'};
}

}  // namespace definity_test
