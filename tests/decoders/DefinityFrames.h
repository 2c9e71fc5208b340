// Definity frames as the unit forwards them: address, control, messages and
// the frame check sequence (CRC-16/X.25 of the bytes before it, low byte first).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace definity_test {

constexpr uint8_t kX = 0x58;  // PBX to set
constexpr uint8_t kH = 0x48;  // set to PBX
constexpr uint8_t kEsc = 0x1B;

uint16_t FrameCheckSequence(const std::vector<uint8_t>& bytes);
// `bytes` followed by its frame check sequence.
std::vector<uint8_t> WithFcs(std::vector<uint8_t> bytes);
// A message frame (address 0xE3, control 0x03) carrying `information`.
std::vector<uint8_t> Frame(const std::vector<uint8_t>& information);
// A display message: opcode 0xE3 and `text` as it stands (escape sequences included).
std::vector<uint8_t> DisplayFrame(const std::string& text);
// ESC [ r ; c
std::string CursorTo(uint8_t column);
// ESC [ 0 K
std::string EraseToEnd();

}  // namespace definity_test
