#include "decoders/MeridianTables.h"

#include "qxzaqlnk.h"

namespace meridian {

namespace {

struct BankRow {
    uint8_t code;
    int firstNumber;
};

constexpr BankRow kLampBanks[] = {{0x10, 0}, {0x20, 16}, {0x24, 32}, {0x28, 48}};
constexpr BankRow kKeyBanks[] = {{0x21, 16}, {0x25, 32}, {0x29, 48}};

constexpr CodeRow kLampStates[] = {
    {0x0, QXEVT_LIGHT_OFF},
    {0x5, QXEVT_LIGHT_FLASHING},
    {0xA, QXEVT_LIGHT_FASTFLASHING},
    {0xF, QXEVT_LIGHT_ON},
};

constexpr CodeRow kAudioStates[] = {{0x0, QXEVT_AUDIO_OFF}, {0xC, QXEVT_AUDIO_ON}};

constexpr CodeRow kRingerStates[] = {{0x10, QXEVT_RING_OFF}, {0xD0, QXEVT_RING_ON}};

constexpr CodeRow kDisplayModes[] = {
    {0, QXEVT_DISPLAY_CLOCK},
    {1, QXEVT_DISPLAY_CLEAR},
    {3, QXEVT_DISPLAY_CLEAR},
    {8, QXEVT_DISPLAY_TIMER},
};

constexpr CodeRow kFixedKeys[] = {
    {0x32, QXEVT_HOLD_BUTTON_RELEASED},
    {0x33, QXEVT_SPEAKER_BUTTON_RELEASED},
    {0x35, QXEVT_RELEASE_BUTTON_RELEASED},
    {0xF2, QXEVT_HOLD_BUTTON_PRESSED},
    {0xF3, QXEVT_SPEAKER_BUTTON_PRESSED},
    {0xF5, QXEVT_RELEASE_BUTTON_PRESSED},
    {0x3F, QXEVT_ONHOOK},
    {0xFF, QXEVT_OFFHOOK},
};

constexpr CodeRow kFunctionKeyStates[] = {
    {0x0, QXEVT_FUNCTION_BUTTON_RELEASED},
    {0xC, QXEVT_FUNCTION_BUTTON_PRESSED},
};

constexpr CodeRow kDialPadStates[] = {
    {0x1, QXEVT_DIGIT_RELEASED},
    {0xD, QXEVT_DIGIT_PRESSED},
};

struct AudioPathRow {
    uint8_t path;
    PhoneStatusRecorder::Word word;
};

constexpr AudioPathRow kAudioPaths[] = {
    {1, &ZAQ16_PHONE_STATUS::handsetAudio},
    {4, &ZAQ16_PHONE_STATUS::speakerMonitorAudio},
    {2, &ZAQ16_PHONE_STATUS::handsfreeAudio},
};

constexpr FeatureRow kFeatures[] = {
    {1, QXEVT_CFWD_CANCELED, &ZAQ16_PHONE_STATUS::callForwardState},
    {3, QXEVT_AUTO_ANSWER, &ZAQ16_PHONE_STATUS::autoAnswerState},
    {6, QXEVT_AUTO_ANSWER_CANCELED, &ZAQ16_PHONE_STATUS::autoAnswerState},
    {4, QXEVT_SET_BUSY, &ZAQ16_PHONE_STATUS::setBusyState},
    {7, QXEVT_SET_BUSY_CANCELED, &ZAQ16_PHONE_STATUS::setBusyState},
};

int FirstNumber(std::span<const BankRow> banks, uint8_t code)
{
    for (const BankRow& row : banks) {
        if (row.code == code) {
            return row.firstNumber;
        }
    }
    return -1;
}

}  // namespace

int LampBank(uint8_t code)
{
    return FirstNumber(kLampBanks, code);
}

int KeyBank(uint8_t code)
{
    return FirstNumber(kKeyBanks, code);
}

std::span<const CodeRow> LampStates()
{
    return kLampStates;
}

std::span<const CodeRow> AudioStates()
{
    return kAudioStates;
}

std::span<const CodeRow> RingerStates()
{
    return kRingerStates;
}

std::span<const CodeRow> DisplayModes()
{
    return kDisplayModes;
}

std::span<const CodeRow> FixedKeys()
{
    return kFixedKeys;
}

std::span<const CodeRow> FunctionKeyStates()
{
    return kFunctionKeyStates;
}

std::span<const CodeRow> DialPadStates()
{
    return kDialPadStates;
}

PhoneStatusRecorder::Word AudioWord(uint8_t path)
{
    for (const AudioPathRow& row : kAudioPaths) {
        if (row.path == path) {
            return row.word;
        }
    }
    return nullptr;
}

const FeatureRow* Feature(uint8_t key)
{
    for (const FeatureRow& row : kFeatures) {
        if (row.key == key) {
            return &row;
        }
    }
    return nullptr;
}

char DialPadCharacter(uint8_t key)
{
    switch (key) {
    case 0x0:
        return '0';
    case 0xA:
        return '*';
    case 0xB:
        return '#';
    default:
        return static_cast<char>('0' + key);  // '1' to '9', and 0x3C to 0x3F for 0xC to 0xF
    }
}

char PackedDigit(uint8_t nibble)
{
    if (nibble == 0) {
        return 0;
    }
    return nibble == 0xA ? '0' : static_cast<char>('0' + nibble);  // 0xB to 0xF give 0x3B to 0x3F
}

}  // namespace meridian
