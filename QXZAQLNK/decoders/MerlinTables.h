// The Merlin Magix message vocabulary. Each packet is one message, known by
// fixed bytes at fixed places; these tables hold those patterns and what the
// bytes of each message turn into.
#pragma once

#include <cstdint>
#include <span>

#include "decoders/CodeTable.h"
#include "decoders/PhoneStatusRecorder.h"
#include "qxzaqlnk.h"

namespace merlin {

constexpr uint8_t kFromPbx = 0x58;  // 'X'
constexpr uint8_t kFromSet = 0x48;  // 'H'

// One fixed byte of a pattern: data[at] must be `value`.
struct ByteAt {
    uint8_t at;
    uint8_t value;
};

// Every PBX message starts 02 11 .. .. 08; every set key message 00 11 .. .. 08.
inline constexpr ByteAt kPbxHead[] = {{0, 0x02}, {1, 0x11}, {4, 0x08}};
inline constexpr ByteAt kSetHead[] = {{0, 0x00}, {1, 0x11}, {4, 0x08}};
// A set packet that starts like a PBX message is the PBX's echo: ignored.
inline constexpr ByteAt kSetEcho[] = {{0, 0x02}, {1, 0x11}};

enum class PbxMessage : uint8_t { Lamp, Text, RingOff, CallProgress, Disconnected, Connected, RingOn };
enum class SetMessage : uint8_t { Digit, Key };

template <typename Message>
struct PatternRow {
    std::span<const ByteAt> bytes;
    uint32_t minLength;  // the pattern's bytes and every byte its decoding reads
    Message message;
};

inline constexpr ByteAt kLampBytes[] = {{5, 0x00}, {6, 0x7B}, {7, 0x96}, {8, 0x50}, {9, 0x03}, {10, 0x00}};
inline constexpr ByteAt kTextBytes[] = {{5, 0x00}, {6, 0x7B}, {7, 0x96}, {8, 0x6B}};
inline constexpr ByteAt kRingOffBytes[] = {{5, 0x00}, {6, 0x7B}, {7, 0x96}, {8, 0x10}, {9, 0x02}, {11, 0x81}};
inline constexpr ByteAt kCallProgressBytes[] = {{5, 0x01},  {8, 0x08},  {9, 0x02},  {10, 0x82}, {12, 0x1E},
                                                {13, 0x02}, {14, 0x82}, {15, 0x88}, {16, 0x34}, {17, 0x01}};
inline constexpr ByteAt kDisconnectedBytes[] = {{5, 0x01}, {8, 0x08}, {9, 0x02}, {10, 0x81}};
inline constexpr ByteAt kConnectedBytes[] = {{5, 0x01}, {8, 0x18}, {9, 0x01}, {10, 0x89}};
inline constexpr ByteAt kRingOnBytes[] = {{5, 0x01},  {8, 0x04},  {9, 0x03},  {10, 0x80}, {11, 0x90},
                                          {12, 0xA2}, {13, 0x18}, {14, 0x01}, {15, 0x89}};

// In this order; the first row that matches decides.
inline constexpr PatternRow<PbxMessage> kPbxPatterns[] = {
    {kLampBytes, 13, PbxMessage::Lamp},  // lamp d[11], states d[12]
    {kTextBytes, 10, PbxMessage::Text},  // count d[9], text from d[10]
    {kRingOffBytes, 12, PbxMessage::RingOff},
    {kCallProgressBytes, 18, PbxMessage::CallProgress},  // tone d[11]
    {kDisconnectedBytes, 11, PbxMessage::Disconnected},
    {kConnectedBytes, 11, PbxMessage::Connected},
    {kRingOnBytes, 16, PbxMessage::RingOn},
};

inline constexpr ByteAt kDigitBytes[] = {{5, 0x01}, {7, 0x7B}, {8, 0x2C}, {9, 0x01}};
inline constexpr ByteAt kKeyBytes[] = {{5, 0x00}, {6, 0x7B}, {7, 0x96}, {8, 0x57}, {9, 0x01}};

inline constexpr PatternRow<SetMessage> kSetPatterns[] = {
    {kDigitBytes, 11, SetMessage::Digit},  // digit d[10]
    {kKeyBytes, 11, SetMessage::Key},      // key d[10]
};

// Whether `data` (`length` bytes) holds every byte of `pattern`; a byte beyond the end never matches.
inline bool Matches(const uint8_t* data, uint32_t length, std::span<const ByteAt> pattern)
{
    for (const ByteAt& byte : pattern) {
        if (byte.at >= length || data[byte.at] != byte.value) {
            return false;
        }
    }
    return true;
}

// Lamp state by nibble (the green one high, the red one low); 2, 3, 5, 7 and up give no event.
inline constexpr CodeRow kLampStates[] = {
    {0, QXEVT_LIGHT_OFF},
    {1, QXEVT_LIGHT_ON},
    {4, QXEVT_LIGHT_FLASHING},
    {6, QXEVT_LIGHT_FASTFLASHING},
};

// Call-progress tone by d[11].
inline constexpr CodeRow kCallProgressTones[] = {{0x81, QXEVT_REORDER}, {0x91, QXEVT_DESTINATION_BUSY}};

// What kind of key was pressed last, for the release that follows.
enum KeyKind : uint32_t {
    kNoKey = 0,
    kDigitKey = 1,
    kConferenceKey = 2,
    kTransferKey = 3,
    kHoldKey = 4,
    kRedialKey = 5,
    kFunctionKey = 6,
};

constexpr uint8_t kKeyReleased = 0x00;
constexpr uint8_t kFirstFunctionKey = 0x10;
constexpr uint8_t kLastFunctionKey = 0x1F;

struct KeyRow {
    uint8_t key;
    uint32_t code;
    KeyKind kind;
};

inline constexpr KeyRow kFixedKeys[] = {
    {0x0C, QXEVT_TRANSFER_BUTTON_PRESSED, kTransferKey},
    {0x0D, QXEVT_HOLD_BUTTON_PRESSED, kHoldKey},
    {0x0E, QXEVT_CONF_BUTTON_PRESSED, kConferenceKey},
    {0x37, QXEVT_REDIAL_BUTTON_PRESSED, kRedialKey},
};

// The release event by the kind of the key last pressed (digits and function
// keys carry the key again).
inline constexpr CodeRow kReleases[] = {
    {kDigitKey, QXEVT_DIGIT_RELEASED},
    {kConferenceKey, QXEVT_CONF_BUTTON_RELEASED},
    {kTransferKey, QXEVT_TRANSFER_BUTTON_RELEASED},
    {kHoldKey, QXEVT_HOLD_BUTTON_RELEASED},
    {kRedialKey, QXEVT_REDIAL_BUTTON_RELEASED},
    {kFunctionKey, QXEVT_FUNCTION_BUTTON_RELEASED},
};

// The set's audio report: the last nine bytes read 36 01 .. 96 04 01 m .. ..,
// the mode in the low nibble of m.
constexpr uint32_t kAudioTailLength = 9;
inline constexpr ByteAt kAudioTail[] = {{0, 0x36}, {1, 0x01}, {3, 0x96}, {4, 0x04}, {5, 0x01}};
constexpr uint32_t kAudioModeAt = 6;

struct AudioStep {
    uint32_t code;  // QXEVT_AUDIO_ON or QXEVT_AUDIO_OFF
    uint8_t path;   // 1 to 4
};

struct AudioMode {
    uint8_t mode;
    AudioStep steps[4];  // posted in this order
    uint32_t hook;       // then the hook change
};

constexpr uint32_t kOn = QXEVT_AUDIO_ON;
constexpr uint32_t kOff = QXEVT_AUDIO_OFF;

inline constexpr AudioMode kAudioModes[] = {
    {0, {{kOff, 1}, {kOff, 2}, {kOff, 3}, {kOff, 4}}, QXEVT_ONHOOK},
    {1, {{kOn, 3}, {kOff, 1}, {kOff, 2}, {kOff, 4}}, QXEVT_OFFHOOK},
    {4, {{kOn, 4}, {kOff, 2}, {kOff, 1}, {kOff, 3}}, QXEVT_OFFHOOK},
    {5, {{kOn, 3}, {kOn, 4}, {kOff, 1}, {kOff, 2}}, QXEVT_OFFHOOK},
    {9, {{kOn, 1}, {kOff, 3}, {kOff, 2}, {kOff, 4}}, QXEVT_OFFHOOK},
    {12, {{kOn, 2}, {kOff, 4}, {kOff, 1}, {kOff, 3}}, QXEVT_OFFHOOK},
    {13, {{kOff, 1}, {kOff, 2}, {kOff, 3}, {kOff, 4}}, QXEVT_OFFHOOK},
};

// The phone status word of audio path 1 to 4.
inline PhoneStatusRecorder::Word AudioWord(uint8_t path)
{
    static constexpr PhoneStatusRecorder::Word kWords[] = {
        &ZAQ16_PHONE_STATUS::handsetAudio, &ZAQ16_PHONE_STATUS::handsfreeAudio,
        &ZAQ16_PHONE_STATUS::handsetReceiverAudio, &ZAQ16_PHONE_STATUS::speakerMonitorAudio};
    return kWords[(path - 1) & 3];
}

// Display text bytes (d[8] = 0x6B).
constexpr uint8_t kLinesAndSpaces = 0x10;  // 10 a b: a - 1 line feeds, then b spaces; b is read again
constexpr uint8_t kSkipTwo = 0x12;         // it and the next byte are skipped
constexpr uint8_t kSkipOne = 0x13;
constexpr uint8_t kControlStart = 0x09;    // the text waits for the timer even if it began printable
constexpr uint8_t kFirstPrintable = 0x20;

}  // namespace merlin
