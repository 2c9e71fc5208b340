// MD110 packets for the tests: a header byte, the messages, and the additive
// checksum (the sum of the bytes before it plus their count + 1, modulo 256).
#pragma once

#include <cstdint>
#include <vector>

namespace md110_test {

constexpr uint8_t kFromPbx = 0x58;
constexpr uint8_t kFromSet = 0x48;

inline uint8_t Checksum(const std::vector<uint8_t>& withoutChecksum)
{
    uint32_t sum = static_cast<uint32_t>(withoutChecksum.size()) + 1;
    for (const uint8_t byte : withoutChecksum) {
        sum += byte;
    }
    return static_cast<uint8_t>(sum);
}

// The messages behind a header byte of 0, with their checksum.
inline std::vector<uint8_t> Frame(const std::vector<uint8_t>& messages)
{
    std::vector<uint8_t> packet;
    packet.reserve(messages.size() + 2);
    packet.push_back(0x00);
    for (const uint8_t byte : messages) {
        packet.push_back(byte);
    }
    packet.push_back(Checksum(packet));
    return packet;
}

}  // namespace md110_test
