// The MD110 display: layouts by set type, position codes, text at the cursor
// and the comparison with the display last posted.
#include "decoders/EricssonDisplay.h"

#include <cstring>
#include <initializer_list>

#include "decoders/EricssonTables.h"
#include "decoders/LockHold.h"

namespace {

struct Layout {
    uint32_t length;
    std::initializer_list<uint32_t> lineFeeds;
};

const Layout& LayoutOf(uint16_t setType)
{
    static const Layout kThreeRows{122, {40, 81}};
    static const Layout kOneRow{17, {}};
    static const Layout kFourRows{83, {20, 41, 62}};
    switch (setType) {
    case ericsson::kThreeRowSet:
        return kThreeRows;
    case ericsson::kOneRowSet:
        return kOneRow;
    default:
        return kFourRows;
    }
}

// The three-row set's cursor by position code.
struct PlaceRow {
    uint8_t code;
    uint32_t cursor;
};
constexpr PlaceRow kThreeRowPlaces[] = {
    {0x00, 10}, {0x01, 41}, {0x02, 61}, {0x03, 92},  {0x12, 82},
    {0x20, 20}, {0x21, 51}, {0x22, 71}, {0x23, 102}, {0x72, 112},
};

constexpr uint32_t kFourRowPitch = 21;  // 20 characters and a line feed
constexpr uint32_t kSecondField = 10;

}  // namespace

EricssonDisplay::EricssonDisplay(DecoderContext& context) : context_(context)
{
    LockHold hold(context_.displayLock);
    if (!hold) {
        return;
    }
    for (DisplayRecord& record : context_.displays) {
        std::memset(record.text, ' ', kTextSize);
        std::memset(record.posted, ' ', kTextSize);
        record.length = kInitialLength;
    }
}

bool EricssonDisplay::Announce(uint8_t channel, uint16_t setType)
{
    const bool blank = setType_[channel] != ericsson::kThreeRowSet && setType == ericsson::kThreeRowSet;
    setType_[channel] = setType;
    if (blank) {
        LockHold hold(context_.displayLock);
        if (hold) {
            std::memset(context_.displays[channel].text, ' ', kTextSize);
        }
    }
    return blank;
}

uint32_t EricssonDisplay::Cursor(uint16_t setType, uint8_t code)
{
    switch (setType) {
    case ericsson::kThreeRowSet:
        for (const PlaceRow& row : kThreeRowPlaces) {
            if (row.code == code) {
                return row.cursor;
            }
        }
        return 0;
    case ericsson::kOneRowSet:
        return 0;
    default:
        return (code & 0x0Fu) * kFourRowPitch + ((code & 0xF0u) == 0x20 ? kSecondField : 0);
    }
}

void EricssonDisplay::Place(uint8_t channel, uint8_t code, const uint8_t* bytes, uint32_t count)
{
    const Layout& layout = LayoutOf(setType_[channel]);
    LockHold hold(context_.displayLock);
    if (!hold) {
        return;
    }
    DisplayRecord& record = context_.displays[channel];
    record.length = layout.length;
    for (const uint32_t lineFeed : layout.lineFeeds) {
        record.text[lineFeed] = '\n';
    }
    uint32_t cursor = Cursor(setType_[channel], code);
    for (uint32_t i = 0; i < count && cursor < kTextSize; ++i) {
        record.text[cursor++] = bytes != nullptr ? static_cast<char>(bytes[i]) : ' ';
    }
    record.offset = cursor;
}

void EricssonDisplay::Clear(uint8_t channel)
{
    LockHold hold(context_.displayLock);
    if (!hold) {
        return;
    }
    DisplayRecord& record = context_.displays[channel];
    std::memset(record.text, ' ', kTextSize);
    std::memset(record.posted, ' ', kTextSize);
    record.offset = 0;
}

uint32_t EricssonDisplay::TakeChanged(uint8_t channel)
{
    LockHold hold(context_.displayLock);
    if (!hold) {
        return 0;
    }
    DisplayRecord& record = context_.displays[channel];
    const uint32_t length = record.length;
    record.text[length] = '\0';
    if (std::memcmp(record.text, record.posted, length) == 0) {
        return 0;
    }
    std::memcpy(record.posted, record.text, length);
    return length + 1;
}
