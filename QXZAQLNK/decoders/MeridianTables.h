// The Nortel Meridian message vocabulary: message codes and the tables that
// turn message bytes into event codes, status words and characters.
#pragma once

#include <cstdint>
#include <span>

#include "decoders/CodeTable.h"
#include "decoders/PhoneStatusRecorder.h"

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
std::span<const CodeRow> LampStates();
// Audio state by the high nibble of byte 1.
std::span<const CodeRow> AudioStates();
// Ringer state by byte 1.
std::span<const CodeRow> RingerStates();
// Display mode by byte 2.
std::span<const CodeRow> DisplayModes();
// Fixed keys of message 0x11 by byte 1.
std::span<const CodeRow> FixedKeys();
// Function keys (line and feature) by the high nibble of byte 1.
std::span<const CodeRow> FunctionKeyStates();
// Dial-pad keys by the high nibble of byte 1.
std::span<const CodeRow> DialPadStates();

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
