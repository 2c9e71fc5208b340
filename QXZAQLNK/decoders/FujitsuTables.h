// The Fujitsu 9600 message vocabulary: packet types, message codes and the
// tables that turn message bytes into lamp states, keys and audio path
// settings.
#pragma once

#include <cstdint>

#include "decoders/CodeTable.h"
#include "decoders/PhoneStatusRecorder.h"
#include "qxzaqlnk.h"

namespace fujitsu {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// Message codes from the PBX (d[0]).
constexpr uint8_t kClearArea = 0x0D;
constexpr uint8_t kWriteAtPosition = 0x0E;
constexpr uint8_t kWriteAtCursor = 0x0F;
constexpr uint8_t kLampOrAudio = 0x13;
constexpr uint8_t kRinger = 0x14;

// Message codes from the set (d[0]).
constexpr uint8_t kHook = 0x08;
constexpr uint8_t kKey = 0x0C;

// d[1] of kHook.
constexpr uint8_t kOnHook = 0x00;
constexpr uint8_t kOffHook = 0x08;

// d[2] of kRinger.
constexpr uint8_t kRingerOff = 0;
constexpr uint8_t kRingerOn = 1;

// Items of kLampOrAudio (d[1]).
constexpr uint8_t kAudioItem = 16;
constexpr uint8_t kSpeakerLampItem = 22;  // moves the audio paths, then is lamp 246
constexpr uint8_t kLampItemBase = 0x20;   // lamp = item - 0x20, modulo 256

// States of d[2] for the audio item and the speaker lamp.
constexpr uint8_t kStateOff = 0;
constexpr uint8_t kStateOn = 2;

// A clear of these areas (with d[1] = 2, d[2] = 0) changes nothing on the set.
constexpr uint8_t kIdleClearFirst = 2;
constexpr uint8_t kIdleClearSecond = 0;

inline bool IsLampItem(uint8_t item)
{
    return (item >= 20 && item <= 23) || (item >= 32 && item <= 64);
}

// Lamp state by d[2] & 7.
inline constexpr CodeRow kLampStates[] = {
    {0, QXEVT_LIGHT_OFF},
    {1, QXEVT_LIGHT_FASTFLASHING},
    {2, QXEVT_LIGHT_ON},
    {3, QXEVT_LIGHT_FLASHING},
    {7, QXEVT_LIGHT_FASTFLASHING},
};

// Keys of message 0x0C by d[1]: the event's parameter is d[1] + `add`.
struct KeyRow {
    uint8_t first;
    uint8_t last;
    uint32_t code;
    int32_t add;
};

inline constexpr KeyRow kKeys[] = {
    {1, 9, QXEVT_DIGIT_PRESSED, '0'},
    {10, 10, QXEVT_DIGIT_PRESSED, '0' - 10},
    {11, 11, QXEVT_DIGIT_PRESSED, '*' - 11},
    {12, 12, QXEVT_DIGIT_PRESSED, '#' - 12},
    {18, 18, QXEVT_TRANSFER_BUTTON_PRESSED, -18},
    {19, 19, QXEVT_HOLD_BUTTON_PRESSED, -19},
    {23, 23, QXEVT_SPEAKER_BUTTON_PRESSED, -23},
    {32, 63, QXEVT_FUNCTION_BUTTON_PRESSED, -32},
};

inline const KeyRow* FindKey(uint8_t key)
{
    for (const KeyRow& row : kKeys) {
        if (key >= row.first && key <= row.last) {
            return &row;
        }
    }
    return nullptr;
}

// The three audio paths of a Fujitsu set.
constexpr uint8_t kHandset = 1;
constexpr uint8_t kHandsfree = 2;
constexpr uint8_t kSpeakerMonitor = 4;

struct PathSetting {
    uint8_t path;
    bool on;
};

// The audio configuration byte d[3]: the first row whose bits under `mask`
// equal `bits` sets up to three paths, in this order.
struct AudioConfiguration {
    uint8_t mask;
    uint8_t bits;
    uint8_t count;
    PathSetting paths[3];
};

inline constexpr AudioConfiguration kAudioConfigurations[] = {
    {0xFF, 0x40, 3, {{kHandset, true}, {kHandsfree, false}, {kSpeakerMonitor, false}}},
    {0x45, 0x45, 3, {{kSpeakerMonitor, true}, {kHandsfree, false}, {kHandset, false}}},
    {0x45, 0x44, 3, {{kSpeakerMonitor, true}, {kHandset, true}, {kHandsfree, false}}},
    {0x45, 0x41, 3, {{kHandsfree, true}, {kHandset, false}, {kSpeakerMonitor, false}}},
    {0x40, 0x40, 0, {}},
    {0xFF, 0x80, 3, {{kHandset, false}, {kHandsfree, false}, {kSpeakerMonitor, false}}},
    {0xC5, 0x85, 1, {{kHandset, false}}},
    {0xC5, 0x84, 2, {{kHandset, false}, {kHandsfree, false}}},
    {0xC5, 0x81, 2, {{kHandset, false}, {kSpeakerMonitor, false}}},
};

inline const AudioConfiguration* FindAudioConfiguration(uint8_t value)
{
    for (const AudioConfiguration& row : kAudioConfigurations) {
        if ((value & row.mask) == row.bits) {
            return &row;
        }
    }
    return nullptr;
}

// The status word of each audio path, by path number (3 is not a Fujitsu path).
inline constexpr PhoneStatusRecorder::Word kAudioWords[] = {
    nullptr,
    &ZAQ16_PHONE_STATUS::handsetAudio,
    &ZAQ16_PHONE_STATUS::handsfreeAudio,
    nullptr,
    &ZAQ16_PHONE_STATUS::speakerMonitorAudio,
};

}  // namespace fujitsu
