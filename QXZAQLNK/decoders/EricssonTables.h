// The Ericsson MD110 message vocabulary: message codes of both directions and
// the tables that turn message bytes into event codes.
#pragma once

#include <cstdint>

#include "decoders/CodeTable.h"
#include "qxzaqlnk.h"

namespace ericsson {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// Packet data: a header byte, the messages, an additive checksum.
constexpr uint32_t kHeaderBytes = 1;
constexpr uint32_t kChecksumBytes = 1;

// Messages from the PBX (first byte).
constexpr uint8_t kAudio = 0x84;
constexpr uint8_t kClearDisplay = 0x85;
constexpr uint8_t kBlankField = 0x86;       // position, then ten blanks
constexpr uint8_t kTextFromHome = 0x87;     // text from position 0 to the end of the run
constexpr uint8_t kRingerOff = 0x8E;
constexpr uint8_t kPositionedText = 0x95;   // position, text to the end of the run
constexpr uint8_t kPositionedText2 = 0x99;  // position, one byte skipped, text to the end
constexpr uint8_t kIgnoredPair = 0x9A;
constexpr uint32_t kBlankFieldWidth = 10;

// Messages from the set (first byte).
constexpr uint8_t kAnnouncement = 0x01;
constexpr uint8_t kFunctionKey = 0x02;
constexpr uint8_t kKey = 0x04;
constexpr uint32_t kAnnouncementLength = 9;
constexpr uint32_t kShortestAnnouncement = 8;

// Set types that choose the display layout.
constexpr uint16_t kThreeRowSet = 0x020E;
constexpr uint16_t kOneRowSet = 0x0001;

// Ringer on by message code; the parameter is the cadence 1 to 3.
inline constexpr uint8_t kFirstRinger = 0x88;
inline constexpr uint8_t kLastRinger = 0x8A;

// Lamp messages (two bytes, the lamp number second).
inline constexpr CodeRow kLampMessages[] = {
    {0x90, QXEVT_LIGHT_OFF},      {0x91, QXEVT_LIGHT_ON},           {0x92, QXEVT_LIGHT_QUICKFLASH},
    {0x93, QXEVT_LIGHT_FLASHING}, {0x94, QXEVT_LIGHT_FASTFLASHING},
};

// Audio message by its argument: two path states, in the order they are posted.
struct AudioStep {
    uint32_t code;
    uint32_t path;
};
struct AudioRow {
    uint8_t argument;
    AudioStep steps[2];
};
inline constexpr AudioRow kAudioRows[] = {
    {0, {{QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSET}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSFREE}}},
    {1, {{QXEVT_AUDIO_ON, QXEVT_AUDIO_HANDSET}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSFREE}}},
    {2, {{QXEVT_AUDIO_ON, QXEVT_AUDIO_HANDSFREE}, {QXEVT_AUDIO_OFF, QXEVT_AUDIO_HANDSET}}},
};

// Keys of message 0x04 beyond the dial pad (0 to 9, 10 '*', 11 '#').
inline constexpr CodeRow kKeys[] = {
    {12, QXEVT_TRANSFER_BUTTON_PRESSED}, {13, QXEVT_RELEASE_BUTTON_PRESSED}, {14, QXEVT_SPEAKER_BUTTON_PRESSED},
    {15, QXEVT_ONHOOK},                  {16, QXEVT_OFFHOOK},
};
constexpr uint8_t kStarKey = 10;
constexpr uint8_t kHashKey = 11;

}  // namespace ericsson
