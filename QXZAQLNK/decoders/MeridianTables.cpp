// The Meridian lookups: lamp and key banks, audio paths, features, dial pad and packed digits.
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
