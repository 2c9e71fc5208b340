// The unit's D-channel packet: 0x01, local channel, type, length L, L payload
// bytes, and a checksum that makes the 8-bit sum of payload and checksum zero.
// Encoded here on its own, not with common/PacketFrame: the unit's end of the line must not share the code it checks.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zaqsim {

constexpr uint8_t kPacketStart = 0x01;
constexpr size_t kMaxPayload = 255;

uint8_t PacketChecksum(std::span<const uint8_t> payload);

// The whole packet; the payload must not exceed kMaxPayload bytes.
std::string BuildPacket(uint8_t channel, uint8_t type, std::span<const uint8_t> payload);

}  // namespace zaqsim
