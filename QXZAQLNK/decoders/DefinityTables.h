// The Definity 2-wire message vocabulary: frame layout, message opcodes and
// the tables that turn message bytes into event codes.
#pragma once

#include <cstdint>
#include <span>

#include "decoders/CodeTable.h"

namespace definity {

constexpr uint8_t kFromPbx = 0x58;  // 'X': PBX to set (lamps, display)
constexpr uint8_t kFromSet = 0x48;  // 'H': set to PBX (hook, buttons)

constexpr uint8_t kMessageAddress = 0xE3;  // frames of other addresses carry no messages
constexpr uint32_t kHeaderBytes = 2;       // address, control
constexpr uint32_t kCheckBytes = 2;        // frame check sequence
constexpr uint32_t kMessageBytes = 3;      // {opcode, a, b}

constexpr uint8_t kOpLamp = 0x80;       // from the PBX
constexpr uint8_t kOpDisplay = 0xE3;    // from the PBX; runs to the end of the field
constexpr uint8_t kOpHookButton = 0x80; // from the set
constexpr uint8_t kOpSoftKey = 0x82;    // from the set

constexpr uint8_t kHookOn = 0x01;
constexpr uint8_t kHookOff = 0x02;
constexpr uint8_t kButton = 0x20;

constexpr uint8_t kFirstLampField = 14;   // fields below it are refused
constexpr uint8_t kFirstFreeButton = 0x40; // buttons from here on are not decoded
constexpr uint8_t kFirstNavigationKey = 0x1C;  // soft keys are below it

// Lamp state by message byte a.
std::span<const CodeRow> LampStates();
// Fixed buttons of message 0x80 / 0x20 by byte b; the others are function buttons.
std::span<const CodeRow> FixedButtons();
// Keys of message 0x82 by byte b from 0x1C on, and the redial key.
std::span<const CodeRow> NavigationKeys();
constexpr uint8_t kRedialKey = 0x02;

}  // namespace definity
