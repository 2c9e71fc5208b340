// The Siemens Hicom message vocabulary: packet types, message codes and the
// tables that turn message bytes into lamp states, keys, ring cadences and
// audio path settings.
#pragma once

#include <cstdint>

#include "decoders/CodeTable.h"
#include "decoders/PhoneStatusRecorder.h"
#include "qxzaqlnk.h"

namespace hicom {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// A message begins after the first of these bytes in the packet.
constexpr uint8_t kMessageStart = 0xBD;

// Message codes from the PBX (m[0]).
constexpr uint8_t kLamp = 0x40;
constexpr uint8_t kDisplayWrite = 0x43;
constexpr uint8_t kDisplayClear = 0x45;
constexpr uint8_t kAudio = 0x54;
constexpr uint8_t kRingerOn = 0x55;
constexpr uint8_t kRingerOff = 0x56;

// Message codes from the set (m[0]).
constexpr uint8_t kKey = 0x40;
constexpr uint8_t kOffHook = 0x41;
constexpr uint8_t kOnHook = 0x42;

// The key byte's top bit says nothing about the key.
constexpr uint8_t kKeyMask = 0x7F;

// A lamp byte's low nibble is the lamp number + 2.
constexpr uint8_t kFirstLampNibble = 2;

// Where the characters of a display write begin in the packet: two bytes
// before the message start, the start, the code, row, column and clear count.
constexpr uint32_t kDisplayTextStart = 7;
// Byte of the ringer-on message that holds the cadence.
constexpr uint32_t kCadencePlace = 4;

// Lamp state by m[2].
inline constexpr CodeRow kLampStates[] = {
    {0, QXEVT_LIGHT_OFF},
    {1, QXEVT_LIGHT_ON},
    {3, QXEVT_LIGHT_VERY_FASTFLASHING},
    {5, QXEVT_LIGHT_FASTFLASHING},
    {7, QXEVT_LIGHT_FLASHING},
};

// The ring-on parameter by cadence byte; other cadences give 0.
inline constexpr CodeRow kRingCadences[] = {{5, 3}, {10, 2}, {0x3C, 1}};

// Keys of message 0x40 from the set by key byte & 0x7F: a range whose
// parameter is its low nibble + `add`, or one key with a fixed character.
struct KeyRow {
    uint8_t first;
    uint8_t last;
    uint32_t code;
    int32_t add;     // for a range
    char character;  // for a single key; 0 in a range
};

inline constexpr KeyRow kKeys[] = {
    {0x12, 0x1D, QXEVT_FUNCTION_BUTTON_RELEASED, -2, 0},
    {0x41, 0x49, QXEVT_DIGIT_PRESSED, '0', 0},
    {0x4A, 0x4A, QXEVT_DIGIT_PRESSED, 0, '0'},
    {0x4B, 0x4B, QXEVT_DIGIT_PRESSED, 0, '*'},
    {0x4C, 0x4C, QXEVT_DIGIT_PRESSED, 0, '#'},
    {0x52, 0x5D, QXEVT_FUNCTION_BUTTON_PRESSED, -2, 0},
};

// The four audio paths of a Hicom set.
constexpr uint8_t kHandset = 1;
constexpr uint8_t kHandsfree = 2;
constexpr uint8_t kHandsetReceiver = 3;
constexpr uint8_t kSpeakerMonitor = 4;

struct PathSetting {
    uint8_t path;
    bool on;
};

// An audio configuration (m[1] of message 0x54) sets all four paths, in this order.
struct AudioConfiguration {
    uint8_t first;
    uint8_t last;
    PathSetting paths[4];
};

inline constexpr AudioConfiguration kAudioConfigurations[] = {
    {0, 0, {{kHandsfree, false}, {kHandsetReceiver, false}, {kHandset, false}, {kSpeakerMonitor, false}}},
    {1, 1, {{kHandsetReceiver, true}, {kHandset, false}, {kHandsfree, false}, {kSpeakerMonitor, false}}},
    {2, 3, {{kSpeakerMonitor, true}, {kHandsfree, false}, {kHandsetReceiver, false}, {kHandset, false}}},
    {17, 17, {{kHandset, true}, {kHandsetReceiver, false}, {kHandsfree, false}, {kSpeakerMonitor, false}}},
    {18, 19, {{kHandsfree, true}, {kHandsetReceiver, false}, {kHandset, false}, {kSpeakerMonitor, false}}},
    {20, 20, {{kSpeakerMonitor, true}, {kHandsfree, false}, {kHandsetReceiver, false}, {kHandset, false}}},
};

// The row of `key` (already masked), or null.
inline const KeyRow* FindKey(uint8_t key)
{
    for (const KeyRow& row : kKeys) {
        if (key >= row.first && key <= row.last) {
            return &row;
        }
    }
    return nullptr;
}

// The paths of configuration `value`, or null for one that leaves them alone.
inline const AudioConfiguration* FindAudioConfiguration(uint8_t value)
{
    for (const AudioConfiguration& row : kAudioConfigurations) {
        if (value >= row.first && value <= row.last) {
            return &row;
        }
    }
    return nullptr;
}

// The status word of each audio path, by path number.
inline constexpr PhoneStatusRecorder::Word kAudioWords[] = {
    nullptr,
    &ZAQ16_PHONE_STATUS::handsetAudio,
    &ZAQ16_PHONE_STATUS::handsfreeAudio,
    &ZAQ16_PHONE_STATUS::handsetReceiverAudio,
    &ZAQ16_PHONE_STATUS::speakerMonitorAudio,
};

}  // namespace hicom
