// The NEC NEAX 2400 message vocabulary: the set's key codes, the PBX's lamp,
// named-lamp and display messages with their lengths, and the tables that
// turn message bytes into event codes.
#pragma once

#include <cstdint>

#include "qxzaqlnk.h"

namespace neax {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

constexpr uint32_t kGreen = QXEVT_LAMP_GREEN;
constexpr uint32_t kRed = QXEVT_LAMP_RED;
constexpr uint32_t kBothColours = kGreen | kRed;

// ---------------------------------------------------------------- set to PBX

// A range of key codes and its event: the parameter is the code plus `add`,
// or `add` alone when `fixed`; a digit is remembered for its release.
struct KeyRange {
    uint8_t first;
    uint8_t last;
    uint32_t code;
    int32_t add;
    bool fixed;
    bool digit;
};
inline constexpr KeyRange kKeyRanges[] = {
    {0x10, 0x1F, QXEVT_LINE_BUTTON_PRESSED, -0x10, false, false},
    {0x21, 0x29, QXEVT_DIGIT_PRESSED, 0x10, false, true},  // '1' to '9'
    {0x2A, 0x2A, QXEVT_DIGIT_PRESSED, '0', true, true},
    {0x2B, 0x2B, QXEVT_DIGIT_PRESSED, '*', true, true},
    {0x2C, 0x2C, QXEVT_DIGIT_PRESSED, '#', true, true},
    {0x30, 0x4F, QXEVT_FUNCTION_BUTTON_PRESSED, -0x30, false, false},  // 0 to 31
    {0xA0, 0xAF, QXEVT_FUNCTION_BUTTON_PRESSED, -0x70, false, false},  // 48 to 63
    {0xF0, 0xFF, QXEVT_FUNCTION_BUTTON_PRESSED, -0xB0, false, false},  // 64 to 79
    {0x50, 0x50, QXEVT_TRANSFER_BUTTON_PRESSED, 0, true, false},
    {0x51, 0x51, QXEVT_REDIAL_BUTTON_PRESSED, 0, true, false},
    {0x52, 0x52, QXEVT_CONF_BUTTON_PRESSED, 0, true, false},
    {0x53, 0x53, QXEVT_HOLD_BUTTON_PRESSED, 0, true, false},
    {0x54, 0x54, QXEVT_RECALL_BUTTON_PRESSED, 0, true, false},
    {0x55, 0x55, QXEVT_FEATURE_BUTTON_PRESSED, 0, true, false},
    {0x56, 0x56, QXEVT_ANSWER_BUTTON_PRESSED, 0, true, false},
    {0x57, 0x57, QXEVT_SPEAKER_BUTTON_PRESSED, 0, true, false},
    {0x60, 0x60, QXEVT_ONHOOK, 0, true, false},
    {0x62, 0x62, QXEVT_ONHOOK, 0, true, false},
    {0x61, 0x61, QXEVT_OFFHOOK, 0, true, false},
    {0x63, 0x63, QXEVT_OFFHOOK, 0, true, false},
};
constexpr uint8_t kDigitReleased = 0x2F;

// ---------------------------------------------------------------- PBX to set

constexpr uint8_t kFirstMessage = 0x10;
constexpr uint8_t kLastMessage = 0xB7;
constexpr uint32_t kShortestPacket = 2;

// Lamp messages: state and colour; byte 1 is the lamp code.
struct LampMessage {
    uint8_t message;
    uint32_t code;
    uint32_t colour;
};
inline constexpr LampMessage kLampMessages[] = {
    {0x10, QXEVT_LIGHT_OFF, kBothColours},
    {0x11, QXEVT_LIGHT_FLASHING, kRed},
    {0x13, QXEVT_LIGHT_FASTFLASHING, kRed},
    {0x15, QXEVT_LIGHT_VERY_FASTFLASHING, kRed},
    {0x17, QXEVT_LIGHT_ON, kRed},
    {0x19, QXEVT_LIGHT_FLASHING, kGreen},
    {0x1B, QXEVT_LIGHT_FASTFLASHING, kGreen},
    {0x1E, QXEVT_LIGHT_VERY_FASTFLASHING, kGreen},
    {0x1F, QXEVT_LIGHT_ON, kGreen},
};
// Lamp codes: 0x00-0x0F are lamps 0 to 15, 0x80-0x8F lamps 16 to 31.
constexpr uint8_t kUpperLamps = 0x80;
constexpr uint32_t kUpperLampBase = 16;

// Named lamps: state (added to the family's first code) and colour; byte 1 the family.
constexpr uint32_t kOff = 0;
constexpr uint32_t kOn = 1;
constexpr uint32_t kFlashing = 2;
constexpr uint32_t kFastFlashing = 3;
constexpr uint32_t kVeryFastFlashing = 4;
struct NamedLampMessage {
    uint8_t message;
    uint32_t state;
    uint32_t colour;
    uint8_t onlyFamily;  // 0: any family
};
inline constexpr NamedLampMessage kNamedLampMessages[] = {
    {0x50, kOff, kBothColours, 0},
    {0x51, kFlashing, kRed, 0},
    {0x52, kFlashing, kRed, 0},
    {0x53, kFastFlashing, kRed, 0},
    {0x55, kVeryFastFlashing, kRed, 0},
    {0x57, kOn, kRed, 0},
    {0x58, kOff, kBothColours, 6},
    {0x59, kFlashing, kGreen, 0},
    {0x5B, kFastFlashing, kGreen, 0},
    {0x5E, kVeryFastFlashing, kGreen, 0},
    {0x5F, kOn, kGreen, 0},
};
struct NamedLampFamily {
    uint8_t family;
    uint32_t firstCode;
};
inline constexpr NamedLampFamily kNamedLampFamilies[] = {
    {1, QXEVT_RING_LIGHT_OFF},    {2, QXEVT_CONFERENCE_LIGHT_OFF}, {3, QXEVT_FEATURE_LIGHT_OFF},
    {6, QXEVT_ANSWER_LIGHT_OFF},  {7, QXEVT_SPEAKER_LIGHT_OFF},    {9, QXEVT_MIC_LIGHT_OFF},
};

// Display text: byte 1 the cursor, then characters.
inline constexpr uint8_t kDisplayTextMessages[] = {0x63, 0x64, 0x67, 0x6F};
// Three-byte messages that touch the display without an event of their own.
inline constexpr uint8_t kDisplayTouchMessages[] = {0x70, 0x71, 0x74, 0x75};

constexpr uint8_t kRinger = 0x90;
constexpr uint8_t kRingerOnOne = 0x9C;
constexpr uint8_t kHandsetOff = 0xA1;
constexpr uint8_t kSecondPathOn = 0xA3;
constexpr uint8_t kSecondPathOnToo = 0xAE;
constexpr uint8_t kHandsetOn = 0xA4;
constexpr uint8_t kHandsetOnToo = 0xA5;
constexpr uint8_t kAudioModeOn = 0xAC;
constexpr uint8_t kAudioModeOff = 0xAD;
constexpr uint8_t kSecondPathOff = 0xAF;

// Messages that tell nothing: two bytes, and three bytes.
inline constexpr uint8_t kSilentPairs[] = {0x20, 0x21, 0x23, 0x25, 0x27, 0x29, 0x2B, 0x2E, 0x2F,
                                           0x30, 0x80, 0x82, 0x84, 0x88, 0x8E, 0x94, 0xB0};
inline constexpr uint8_t kSilentTriples[] = {0xAA, 0xAB, 0xB7};

}  // namespace neax
