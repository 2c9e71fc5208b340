// The Nortel Norstar message vocabulary: the set's one-byte keys, the PBX's
// message codes with their lengths, and the tables that turn message bytes
// into event codes.
#pragma once

#include <cstdint>

#include "decoders/CodeTable.h"
#include "qxzaqlnk.h"

namespace norstar {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// ---------------------------------------------------------------- set to PBX

// A key byte range and its event; the parameter is the byte minus `base`
// (a fixed parameter when `base` is 0).
struct KeyRange {
    uint8_t first;
    uint8_t last;
    uint32_t code;
    uint8_t base;
    uint32_t param;
};
inline constexpr KeyRange kKeyRanges[] = {
    {0x81, 0x89, QXEVT_DIGIT_PRESSED, 0x50, 0},              // '1' to '9'
    {0x8A, 0x8A, QXEVT_DIGIT_PRESSED, 0, '0'},
    {0x8B, 0x8B, QXEVT_DIGIT_PRESSED, 0, '*'},
    {0x8C, 0x8C, QXEVT_DIGIT_PRESSED, 0, '#'},
    {0x90, 0x99, QXEVT_FUNCTION_BUTTON_PRESSED, 0x90, 0},    // 0 to 9
    {0xA0, 0xAB, QXEVT_FUNCTION_BUTTON_PRESSED, 0x96, 0},    // 10 to 21
    {0x9A, 0x9A, QXEVT_FEATURE_BUTTON_PRESSED, 0, 0},
    {0x9B, 0x9B, QXEVT_HOLD_BUTTON_PRESSED, 0, 0},
    {0x9C, 0x9C, QXEVT_RELEASE_BUTTON_PRESSED, 0, 0},
    {0x9D, 0x9F, QXEVT_SOFT_BUTTON_PRESSED, 0x9D, 0},        // 0 to 2
    {0xAE, 0xAE, 0x1055, 0, 0},                              // a key the event list has no name for
    {0xCC, 0xCC, QXEVT_ONHOOK, 0, 0},
    {0xCD, 0xCD, QXEVT_OFFHOOK, 0, 0},
    {0xAF, 0xBF, 0, 0, 0},                                   // known, nothing to tell
    {0xD3, 0xD3, 0, 0, 0},
};

// ---------------------------------------------------------------- PBX to set

// Messages of one byte that tell nothing.
inline constexpr uint8_t kSilentBytes[] = {0x1F, 0x3F, 0x40, 0x41, 0x43, 0x45, 0x5B, 0x5C, 0x5E, 0x5F, 0xFF};
// Messages whose second byte is their length and that tell nothing.
inline constexpr uint8_t kSilentRuns[] = {0x6B, 0x6C, 0x6E, 0x71, 0x73, 0x74, 0x75};

constexpr uint8_t kRingerOff = 0x54;
constexpr uint8_t kRingerOn = 0x55;
constexpr uint8_t kClearDisplay = 0x5D;
constexpr uint8_t kIgnoredTriple = 0x60;
constexpr uint8_t kIgnoredPair = 0x62;
constexpr uint8_t kLamp = 0x63;
constexpr uint8_t kRowPosition = 0x65;
constexpr uint8_t kRow1Character = 0x66;
constexpr uint8_t kLongLamp = 0x68;
constexpr uint8_t kRowText = 0x6A;
constexpr uint8_t kClock = 0x72;
constexpr uint32_t kClockLength = 19;
// The shortest message that carries its length: code and length byte.
constexpr uint32_t kShortestRun = 2;
// Row text and long lamp messages: code, length, and the position or kind.
constexpr uint32_t kShortestRowText = 3;

// Audio messages: the audio states they set, in the order they are posted.
// A path switched on is posted by the posting rule; a path switched off only
// when it was not off already.
struct AudioStep {
    uint32_t code;
    uint32_t path;
};
struct AudioMessage {
    uint8_t code;
    uint32_t length;
    AudioStep steps[3];  // path 0: no step
};
inline constexpr AudioMessage kAudioMessages[] = {
    {0x4B, 1, {{QXEVT_AUDIO_ON, QXEVT_AUDIO_HANDSET}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSFREE},
               {QXEVT_AUDIO_OFF, QXEVT_AUDIO_SPEAKER_MONITOR}}},
    {0x4D, 1, {{QXEVT_AUDIO_ON, QXEVT_AUDIO_SPEAKER_MONITOR}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSET}, {0, 0}}},
    {0x50, 1, {{QXEVT_AUDIO_ON, QXEVT_AUDIO_HANDSFREE}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSET}, {0, 0}}},
    {0x51, 2, {{QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSFREE}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSET},
               {QXEVT_AUDIO_OFF, QXEVT_AUDIO_SPEAKER_MONITOR}}},
};

// Lamp state of message 0x63 (byte 1 bits 5-7; 7 is every lamp); 0: the packet ends.
inline constexpr uint32_t kLampStates[8] = {
    QXEVT_LIGHT_OFF, QXEVT_LIGHT_ON, QXEVT_LIGHT_FLASHING, QXEVT_LIGHT_FASTFLASHING, QXEVT_LIGHT_FASTFLASHING, 0, 0, 0,
};
constexpr uint8_t kEveryLamp = 7;
constexpr uint32_t kEveryLampParam = 255;
constexpr uint32_t kLampColour = QXEVT_LAMP_GREEN;

// Long lamp message 0x68: the lamp kind, its length, and its states (byte 4).
constexpr uint8_t kLampKind = 0x1B;
constexpr uint32_t kLampKindLength = 5;
inline constexpr CodeRow kLongLampStates[] = {
    {0x00, QXEVT_LIGHT_OFF}, {0xA1, QXEVT_LIGHT_ON}, {0xC2, QXEVT_LIGHT_FLASHING}, {0x93, QXEVT_LIGHT_FASTFLASHING},
};
inline constexpr uint8_t kSilentLongLampStates[] = {0x80, 0x81, 0xF0};
inline constexpr uint8_t kSilentLongLampKinds[] = {0x0D, 0x0E, 0x0F, 0x8D};

}  // namespace norstar
