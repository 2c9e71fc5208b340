// XMODEM with CRC-16 as the unit's firmware loader speaks it: the control
// bytes, the 133-byte block frame and its CRC, written once for the library's
// sender.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace xmodem {

constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr uint8_t kCrcRequest = 'C';

constexpr size_t kBlockSize = 128;
constexpr size_t kFrameSize = 133;

// CRC-16/XMODEM (polynomial 0x1021, initial 0, not reflected): 0x31C3 for "123456789".
uint16_t Crc16(const uint8_t* data, size_t size);

// SOH, the block number and its complement, the data padded with zeros to
// 128 bytes, and the CRC high byte first.
std::array<uint8_t, kFrameSize> BuildFrame(uint8_t blockNumber, const uint8_t* data, size_t size);

}  // namespace xmodem
