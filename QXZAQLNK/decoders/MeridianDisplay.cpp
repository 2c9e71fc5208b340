// The Meridian two-row display: writes at the cursor, erases, the row split and
// its end.
#include "decoders/MeridianDisplay.h"

#include <algorithm>
#include <cstring>

#include "decoders/LockHold.h"
#include "decoders/MeridianTables.h"

namespace {

constexpr char kLineFeed = '\n';
// The call-forward number keeps two zero bytes at the end of its buffer.
constexpr uint32_t kForwardNumberRoom = DisplayRecord::kTextSize - 2;

template <typename Each>
void ForEachPackedDigit(const uint8_t* bytes, uint32_t length, Each each)
{
    for (uint32_t i = 0; i < length; ++i) {
        for (const uint8_t nibble : {static_cast<uint8_t>(bytes[i] & 0x0F), static_cast<uint8_t>(bytes[i] >> 4)}) {
            if (const char digit = meridian::PackedDigit(nibble); digit != 0) {
                each(digit);
            }
        }
    }
}

}  // namespace

MeridianDisplay::MeridianDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock)
    : records_(records), lock_(displayLock)
{
    for (DisplayRecord& record : records_) {
        BlankRows(record);
        record.text[kLength] = '\0';
        record.offset = kLength;
        record.length = kLength;
        record.pending = 0;
        record.auxCount = 0;
        std::memset(record.auxText, 0, sizeof record.auxText);
    }
}

void MeridianDisplay::BlankRows(DisplayRecord& record)
{
    std::memset(record.text, ' ', sizeof record.text);
    record.text[kRowSplit] = kLineFeed;
}

void MeridianDisplay::Terminate(DisplayRecord& record, uint32_t place)
{
    record.text[std::min(place, kLastPlace)] = '\0';
}

void MeridianDisplay::SetCursor(Geometry& geometry, uint32_t place)
{
    geometry.cursor = std::min(place, kLastPlace);
}

void MeridianDisplay::Put(Geometry& geometry, DisplayRecord& record, char character)
{
    if (geometry.cursor >= kLastPlace) {
        return;
    }
    if (geometry.onFirstRow && geometry.cursor + 1 > geometry.rowSplit) {
        // Row 1 grows by one: the split and row 2 move right, the buffer's last byte is lost.
        if (geometry.rowSplit + 1 >= kLastPlace) {
            return;
        }
        std::memmove(record.text + geometry.rowSplit + 1, record.text + geometry.rowSplit,
                     kTextSize - 1 - geometry.rowSplit);
        ++geometry.rowSplit;
        record.length = std::min(record.length + 1, kLastPlace);
    }
    record.text[geometry.rowSplit] = kLineFeed;
    record.length = std::max(record.length, geometry.cursor + 1);
    record.text[geometry.cursor++] = character;
}

uint32_t MeridianDisplay::Clear(uint8_t channel, bool& changed)
{
    DisplayRecord& record = records_[channel];
    Geometry& geometry = geometry_[channel];
    changed = false;
    LockHold hold(lock_);
    if (!hold) {
        return record.length + 1;
    }
    record.length = std::max(record.length, geometry.cursor);
    const uint32_t bytes = record.length + 1;
    std::memcpy(scratch_, record.text, bytes);
    geometry.rowSplit = kRowSplit;
    if (record.length > kRowSplit + 1) {
        std::memset(record.text + kRowSplit + 1, ' ', record.length - kRowSplit - 1);
    }
    std::memset(record.text, ' ', kRowSplit);
    record.text[kRowSplit] = kLineFeed;
    record.text[record.length] = '\0';
    changed = std::memcmp(scratch_, record.text, bytes) != 0;
    geometry.cursor = 0;
    geometry.onFirstRow = true;
    return bytes;
}

void MeridianDisplay::PutText(uint8_t channel, const uint8_t* bytes, uint32_t length)
{
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    for (uint32_t i = 0; i < length; ++i) {
        Put(geometry_[channel], records_[channel], static_cast<char>(bytes[i]));
    }
}

void MeridianDisplay::PutCharacter(uint8_t channel, uint8_t character)
{
    DisplayRecord& record = records_[channel];
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    Put(geometry_[channel], record, static_cast<char>(character));
    record.length = std::max(record.length, geometry_[channel].cursor);
    Terminate(record, record.length);
}

void MeridianDisplay::PutDigits(uint8_t channel, const uint8_t* bytes, uint32_t length)
{
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    ForEachPackedDigit(bytes, length, [this, channel](char digit) {
        Put(geometry_[channel], records_[channel], digit);
    });
}

void MeridianDisplay::AppendForwardDigits(uint8_t channel, const uint8_t* bytes, uint32_t length)
{
    DisplayRecord& record = records_[channel];
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    ForEachPackedDigit(bytes, length, [&record](char digit) {
        if (record.auxCount < kForwardNumberRoom) {
            record.auxText[record.auxCount++] = digit;
        }
    });
}

uint32_t MeridianDisplay::ForwardNumberLength(uint8_t channel) const
{
    return records_[channel].auxCount;
}

void MeridianDisplay::ClearForwardNumber(uint8_t channel)
{
    DisplayRecord& record = records_[channel];
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    std::memset(record.auxText, 0, sizeof record.auxText);
    record.auxCount = 0;
}

uint32_t MeridianDisplay::Finish(uint8_t channel)
{
    DisplayRecord& record = records_[channel];
    const Geometry& geometry = geometry_[channel];
    LockHold hold(lock_);
    if (hold) {
        record.length = std::max(record.length, geometry.cursor);
        Terminate(record, record.length);
        record.text[geometry.rowSplit] = kLineFeed;
    }
    return record.length + 1;
}

void MeridianDisplay::MarkPosted(uint8_t channel)
{
    LockHold hold(lock_);
    if (hold) {
        records_[channel].offset = kPostedOffset;
    }
}

uint32_t MeridianDisplay::EndText(uint8_t channel)
{
    DisplayRecord& record = records_[channel];
    LockHold hold(lock_);
    if (hold) {
        Terminate(record, record.length);
    }
    return record.length + 1;
}

uint32_t MeridianDisplay::EndTextThroughOffset(uint8_t channel)
{
    DisplayRecord& record = records_[channel];
    const uint32_t end = std::min(std::max(record.length, record.offset), kLastPlace);
    LockHold hold(lock_);
    if (hold) {
        Terminate(record, end);
    }
    return end + 1;
}

void MeridianDisplay::Home(uint8_t channel)
{
    geometry_[channel].cursor = 0;
    geometry_[channel].onFirstRow = true;
}

void MeridianDisplay::CursorToRow2(uint8_t channel)
{
    Geometry& geometry = geometry_[channel];
    SetCursor(geometry, geometry.rowSplit + 1);
    geometry.onFirstRow = false;
}

void MeridianDisplay::Position(uint8_t channel, bool row2, uint8_t column)
{
    Geometry& geometry = geometry_[channel];
    SetCursor(geometry, row2 ? geometry.rowSplit + 1 + column : column);
    geometry.onFirstRow = !row2;
}

void MeridianDisplay::Erase(uint8_t channel, uint8_t what)
{
    DisplayRecord& record = records_[channel];
    Geometry& geometry = geometry_[channel];
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    record.length = std::max(record.length, geometry.cursor);
    switch (what) {
    case 1:
        EraseRow2(geometry, record);
        break;
    case 2:
        EraseRow1(geometry, record);
        break;
    case 3:
        BlankAll(geometry, record);
        break;
    default:
        break;
    }
}

void MeridianDisplay::EraseAll(uint8_t channel)
{
    LockHold hold(lock_);
    if (hold) {
        BlankAll(geometry_[channel], records_[channel]);
    }
}

void MeridianDisplay::EraseRow2(Geometry& geometry, DisplayRecord& record)
{
    const uint32_t row2 = geometry.rowSplit + 1;
    if (record.length > row2) {
        std::memset(record.text + row2, ' ', record.length - row2);
    }
    SetCursor(geometry, row2);
    record.length = std::min(row2 + kRowLength, kLastPlace);
    record.text[record.length] = '\0';
    geometry.onFirstRow = false;
}

void MeridianDisplay::EraseRow1(Geometry& geometry, DisplayRecord& record)
{
    const uint32_t shift = geometry.rowSplit - kRowSplit;
    geometry.rowSplit = kRowSplit;
    std::memset(record.text, ' ', kRowSplit);
    geometry.cursor = 0;
    geometry.onFirstRow = true;
    record.text[kRowSplit] = kLineFeed;
    if (shift == 0) {
        return;
    }
    // Row 2 follows the split back left, up to and including its terminator.
    for (uint32_t place = kRowSplit + 1; place + shift < kTextSize; ++place) {
        record.text[place] = record.text[place + shift];
        if (record.text[place] == '\0') {
            break;
        }
    }
}

void MeridianDisplay::BlankAll(Geometry& geometry, DisplayRecord& record)
{
    BlankRows(record);
    geometry.cursor = kRowSplit + 1;
    geometry.rowSplit = kRowSplit;
    geometry.onFirstRow = false;
    record.length = kLength;
    record.text[kLength] = '\0';
}
