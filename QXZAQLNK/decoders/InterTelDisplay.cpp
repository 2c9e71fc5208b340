#include "decoders/InterTelDisplay.h"

#include <algorithm>
#include <cstring>

#include "decoders/LockHold.h"

namespace {

constexpr uint32_t kTextSize = DisplayRecord::kTextSize;

}  // namespace

InterTelDisplay::InterTelDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock)
    : records_(records), lock_(displayLock)
{
}

void InterTelDisplay::Reset()
{
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    for (uint8_t channel = 0; channel < kChannels; ++channel) {
        DisplayRecord& record = records_[channel];
        Blank(record, 0, kBlankAtStart);
        std::memset(record.posted, ' ', sizeof record.posted);
        record.offset = 0;
        lastLine_[channel].bytes.fill(' ');
        lastLine_[channel].length = 0;
    }
}

void InterTelDisplay::Blank(DisplayRecord& record, uint32_t from, uint32_t to)
{
    std::fill(record.text + from, record.text + to, ' ');
}

void InterTelDisplay::Put(DisplayRecord& record, const uint8_t* bytes, uint32_t count)
{
    const uint32_t room = kTextSize - std::min(record.offset, kTextSize);
    const uint32_t written = std::min(count, room);
    std::memcpy(record.text + record.offset, bytes, written);
    record.offset += written;
}

void InterTelDisplay::Clear(uint8_t channel)
{
    LockHold hold(lock_);
    if (hold) {
        Blank(records_[channel], 0, kClearedEnd);
        records_[channel].offset = 0;
    }
}

void InterTelDisplay::ClearRow2(uint8_t channel)
{
    LockHold hold(lock_);
    if (hold) {
        Blank(records_[channel], kRow2, kClearedEnd);
        records_[channel].offset = kRow2;
    }
}

void InterTelDisplay::MoveTo(uint8_t channel, uint32_t place)
{
    LockHold hold(lock_);
    if (hold) {
        records_[channel].offset = std::min(place, kTextSize);
    }
}

void InterTelDisplay::Write(uint8_t channel, const uint8_t* bytes, uint32_t count)
{
    LockHold hold(lock_);
    if (hold) {
        Put(records_[channel], bytes, count);
    }
}

void InterTelDisplay::AppendLine(uint8_t channel, const uint8_t* bytes, uint32_t count)
{
    Line& last = lastLine_[channel];
    count = std::min(count, kLongestLine);
    if (count == last.length && std::equal(bytes, bytes + count, last.bytes.begin())) {
        return;
    }
    std::copy_n(bytes, count, last.bytes.begin());
    last.length = count;
    Write(channel, bytes, count);
}

bool InterTelDisplay::TakeChange(uint8_t channel)
{
    LockHold hold(lock_);
    if (!hold) {
        return false;
    }
    DisplayRecord& record = records_[channel];
    record.text[kWidth] = '\0';
    if (std::memcmp(record.text, record.posted, kWidth) == 0) {
        return false;
    }
    std::memset(record.posted, 0, sizeof record.posted);
    std::memcpy(record.posted, record.text, kWidth);
    record.offset = kPostedLength;
    return true;
}
