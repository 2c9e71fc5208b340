// The Nortel Meridian message vocabulary: message codes and the tables that
// turn message bytes into event codes, status words and characters.
#pragma once

#include <cstdint>
#include "decoders/CodeTable.h"
#include "decoders/PhoneStatusRecorder.h"
#include "qxzaqlnk.h"

namespace meridian {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// Message codes from the PBX (data byte 0).
constexpr uint8_t kAudio = 0x14;
constexpr uint8_t kRinger = 0x18;
constexpr uint8_t kDisplay = 0x40;
constexpr uint8_t kDisplayData = 0x42;
constexpr uint8_t kContinuation = 0x43;

// Sub-codes of kDisplay (data byte 1).
constexpr uint8_t kClearDisplay = 0x05;
constexpr uint8_t kData = 0x06;
constexpr uint8_t kText = 0x11;
constexpr uint8_t kErase = 0x12;
constexpr uint8_t kCursor = 0x13;
constexpr uint8_t kDisplayMode = 0x14;
constexpr uint8_t kFeature = 0x2A;

constexpr uint8_t kTextSequenceMark = 0x1C;  // opens and closes a text sequence
constexpr uint8_t kCursorToRow2 = 0x20;      // byte 2 of kCursor

// kDisplayData: byte 1 and byte 2.
constexpr uint8_t kDisplayWrite = 0x02;
constexpr uint8_t kPositionedText = 0x03;
constexpr uint8_t kDialledDigits = 0x05;
constexpr uint8_t kDisplayNumber = 0x0C;
constexpr uint8_t kDate = 0x29;
constexpr uint8_t kCallForwardNumber = 0x1B;

// Message codes from the set.
constexpr uint8_t kKey = 0x11;

// Lamp messages: the first lamp number of the message code's bank (-1: not a lamp message).
int LampBank(uint8_t code);
// Line and feature keys of the second to fourth bank (-1: not such a key).
int KeyBank(uint8_t code);

// Lamp state by the high nibble of byte 1.
inline constexpr CodeRow kLampStates[] = {
    {0x0, QXEVT_LIGHT_OFF},
    {0x5, QXEVT_LIGHT_FLASHING},
    {0xA, QXEVT_LIGHT_FASTFLASHING},
    {0xF, QXEVT_LIGHT_ON},
};

// Audio state by the high nibble of byte 1.
inline constexpr CodeRow kAudioStates[] = {{0x0, QXEVT_AUDIO_OFF}, {0xC, QXEVT_AUDIO_ON}};

// Ringer state by byte 1.
inline constexpr CodeRow kRingerStates[] = {{0x10, QXEVT_RING_OFF}, {0xD0, QXEVT_RING_ON}};

// Display mode by byte 2.
inline constexpr CodeRow kDisplayModes[] = {
    {0, QXEVT_DISPLAY_CLOCK},
    {1, QXEVT_DISPLAY_CLEAR},
    {3, QXEVT_DISPLAY_CLEAR},
    {8, QXEVT_DISPLAY_TIMER},
};

// Fixed keys of message 0x11 by byte 1.
inline constexpr CodeRow kFixedKeys[] = {
    {0x32, QXEVT_HOLD_BUTTON_RELEASED},
    {0x33, QXEVT_SPEAKER_BUTTON_RELEASED},
    {0x35, QXEVT_RELEASE_BUTTON_RELEASED},
    {0xF2, QXEVT_HOLD_BUTTON_PRESSED},
    {0xF3, QXEVT_SPEAKER_BUTTON_PRESSED},
    {0xF5, QXEVT_RELEASE_BUTTON_PRESSED},
    {0x3F, QXEVT_ONHOOK},
    {0xFF, QXEVT_OFFHOOK},
};

// Function keys (line and feature) by the high nibble of byte 1.
inline constexpr CodeRow kFunctionKeyStates[] = {
    {0x0, QXEVT_FUNCTION_BUTTON_RELEASED},
    {0xC, QXEVT_FUNCTION_BUTTON_PRESSED},
};

// Dial-pad keys by the high nibble of byte 1.
inline constexpr CodeRow kDialPadStates[] = {
    {0x1, QXEVT_DIGIT_RELEASED},
    {0xD, QXEVT_DIGIT_PRESSED},
};

// The audio state word of a path (low nibble of byte 1); null for another value.
PhoneStatusRecorder::Word AudioWord(uint8_t path);

struct FeatureRow {
    uint8_t key;
    uint32_t code;
    PhoneStatusRecorder::Word word;
};
// A feature indication by byte 2; null for another value.
const FeatureRow* Feature(uint8_t key);

// The character of a dial-pad key (low nibble of byte 1).
char DialPadCharacter(uint8_t key);
// The character of one packed-digit nibble; 0 for the empty nibble.
char PackedDigit(uint8_t nibble);

}  // namespace meridian
