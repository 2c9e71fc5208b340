// The Inter-Tel Axxess message vocabulary: packet layout, message codes, the
// key and lamp tables, and the length and stow line of each PBX message.
#pragma once

#include <cstdint>

#include "decoders/CodeTable.h"
#include "qxzaqlnk.h"

namespace intertel {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// d[0] frame byte, d[1] count of message bytes, d[2] on the messages, the last
// byte makes the sum of d[1] to the end 0xAA.
constexpr uint32_t kMessagesAt = 2;
constexpr uint32_t kShortestPacket = 2;
constexpr uint8_t kChecksum = 0xAA;
constexpr uint32_t kLongestPbxPacket = 100;
constexpr uint32_t kKeyAt = 2;

// PBX message codes (a message's first byte).
constexpr uint8_t kNothing1 = 0x81;
constexpr uint8_t kNothing2 = 0x82;
constexpr uint8_t kRinger = 0x83;
constexpr uint8_t kLamp = 0x85;
constexpr uint8_t kDisplay = 0x86;
constexpr uint8_t kNothing88 = 0x88;
constexpr uint8_t kFirstUnknown = 0x8A;
constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kLastPrintable = 0x7E;

inline bool IsPrintable(uint8_t byte)
{
    return byte >= kFirstPrintable && byte <= kLastPrintable;
}

// Messages after which nothing more of the packet is decoded.
inline bool EndsThePacket(uint8_t code)
{
    return code == 0x84 || code == 0x87 || code == 0x89;
}

// Ringer (0x83) byte 1.
constexpr uint8_t kRingOff = 0x10;
constexpr uint8_t kRingOn = 0x11;
constexpr uint8_t kRingQuiet = 0x19;
constexpr uint8_t kRingLong = 0x20;  // a 5-byte message
constexpr uint32_t kRingParam = 1;

// Display (0x86) byte 1.
constexpr uint8_t kDisplayNothing = 0x13;  // a 3-byte message without effect
constexpr uint8_t kClearDisplay = 0x31;
constexpr uint8_t kClearDisplayToo = 0x39;
constexpr uint8_t kClearRow2 = 0x7D;

// Lamp (0x85): byte 1 the lamp, byte 2 & 7 its state.
constexpr uint8_t kSpeakerLamp = 12;
constexpr uint8_t kLampOff = 0;
constexpr uint8_t kLampOn = 7;
inline constexpr CodeRow kLampStates[] = {
    {0, QXEVT_LIGHT_OFF},
    {1, QXEVT_LIGHT_FLASHING},
    {3, QXEVT_LIGHT_FASTFLASHING},
    {4, QXEVT_LIGHT_FASTFLASHING},
    {5, QXEVT_LIGHT_VERY_FASTFLASHING},
    {7, QXEVT_LIGHT_ON},
};

// Keys from the set (d[2]).
constexpr uint8_t kOnHookKey = 0x74;
constexpr uint8_t kOffHookKey = 0x75;

struct KeyRow {
    uint8_t key;
    uint32_t code;
    uint32_t param;
};

inline constexpr KeyRow kKeys[] = {
    {0x20, QXEVT_FUNCTION_BUTTON_PRESSED, 0},  {0x21, QXEVT_FUNCTION_BUTTON_PRESSED, 1},
    {0x28, QXEVT_FUNCTION_BUTTON_PRESSED, 2},  {0x29, QXEVT_FUNCTION_BUTTON_PRESSED, 3},
    {0x30, QXEVT_FUNCTION_BUTTON_PRESSED, 4},  {0x31, QXEVT_FUNCTION_BUTTON_PRESSED, 5},
    {0x38, QXEVT_FUNCTION_BUTTON_PRESSED, 6},  {0x39, QXEVT_FUNCTION_BUTTON_PRESSED, 7},
    {0x40, QXEVT_FUNCTION_BUTTON_PRESSED, 8},  {0x41, QXEVT_FUNCTION_BUTTON_PRESSED, 9},
    {0x48, QXEVT_FUNCTION_BUTTON_PRESSED, 10}, {0x49, QXEVT_FUNCTION_BUTTON_PRESSED, 11},
    {0x24, QXEVT_DIGIT_PRESSED, '1'},          {0x25, QXEVT_DIGIT_PRESSED, '2'},
    {0x2C, QXEVT_DIGIT_PRESSED, '3'},          {0x2D, QXEVT_DIGIT_PRESSED, '4'},
    {0x34, QXEVT_DIGIT_PRESSED, '5'},          {0x35, QXEVT_DIGIT_PRESSED, '6'},
    {0x3C, QXEVT_DIGIT_PRESSED, '7'},          {0x3D, QXEVT_DIGIT_PRESSED, '8'},
    {0x44, QXEVT_DIGIT_PRESSED, '9'},          {0x45, QXEVT_DIGIT_PRESSED, '0'},
    {0x4C, QXEVT_DIGIT_PRESSED, '*'},          {0x4D, QXEVT_DIGIT_PRESSED, '#'},
    {0x23, QXEVT_TRANSFER_BUTTON_PRESSED, 0},  {0x50, QXEVT_SPEAKER_BUTTON_PRESSED, 0},
    {0x52, QXEVT_HOLD_BUTTON_PRESSED, 0},
};

}  // namespace intertel
