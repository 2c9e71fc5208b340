// The Definity display: text and escape sequences at the cursor, the flush
// before an event.
#include "decoders/DefinityDisplay.h"

#include <algorithm>
#include <cstring>

#include "base/Trace.h"
#include "decoders/LockHold.h"

namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kBracket = 0x5B;       // '['
constexpr uint8_t kCursorSelect = 0x3B;  // ESC [ r ; c : the cursor moves to column c
constexpr uint8_t kEraseSelect = 0x4B;   // ESC [ x K : erase to the end of the display
constexpr uint32_t kCursorSequenceLength = 5;
constexpr uint32_t kEraseSequenceLength = 4;
constexpr uint32_t kSelectorPlace = 3;
constexpr uint32_t kColumnPlace = 4;
constexpr uint8_t kDisplayPending = 1;

bool Printable(uint8_t byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

}  // namespace

DefinityDisplay::DefinityDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock,
                                 PhoneStatusRecorder& status, const EventOutput& output)
    : records_(records), lock_(displayLock), status_(status), output_(output)
{
    for (DisplayRecord& record : records_) {
        std::memset(record.text, ' ', sizeof record.text);
        std::memset(record.posted, ' ', sizeof record.posted);
        record.text[kWidth] = '\0';
        record.offset = 0;
        record.pending = 0;
    }
}

bool DefinityDisplay::IsPending(uint8_t channel) const
{
    return records_[channel].pending != 0;
}

void DefinityDisplay::FlushBeforeEvent(uint8_t channel)
{
    if (!IsPending(channel)) {
        return;
    }
    TraceProceedingCancel(kFlushDelayMs, output_.AbsoluteChannel(channel));
    Flush(channel);
}

void DefinityDisplay::Flush(uint8_t channel)
{
    DisplayRecord& record = records_[channel];
    record.pending = 0;
    // Only this thread writes the text, so it is compared without the lock.
    if (std::memcmp(record.text, record.posted, kWidth) == 0) {
        return;
    }
    {
        LockHold hold(lock_);
        if (!hold) {
            return;
        }
        record.offset = kPostedBytes;
    }
    Trace(TRACE_TRACE, "ProcessCommand", "channel %d offset = %d", static_cast<int>(output_.AbsoluteChannel(channel)),
          static_cast<int>(kPostedBytes));
    std::memcpy(record.posted, record.text, kWidth);
    status_.Record(channel, &ZAQ16_PHONE_STATUS::displayState, QXEVT_MESSAGE_CHANGE);
    output_.Post(channel, QXEVT_MESSAGE_CHANGE, kPostedBytes);
}

void DefinityDisplay::Write(uint8_t channel, const uint8_t* bytes, uint32_t length)
{
    uint32_t at = 0;
    while (at < length) {
        if (bytes[at] == kEscape) {
            const uint32_t used = Escape(channel, bytes + at, length - at);
            if (used == 0) {
                return;
            }
            at += used;
            continue;
        }
        const uint8_t* const run = bytes + at;
        const uint8_t* const end = std::find(run, bytes + length, kEscape);
        StoreText(channel, run, static_cast<uint32_t>(end - run));
        at += static_cast<uint32_t>(end - run);
    }
}

uint32_t DefinityDisplay::Escape(uint8_t channel, const uint8_t* bytes, uint32_t length)
{
    if (length < 2) {
        return 0;
    }
    if (bytes[1] != kBracket) {
        return 1;  // a lone ESC is dropped; the byte after it is read as usual
    }
    if (length <= kSelectorPlace) {
        return 0;
    }
    switch (bytes[kSelectorPlace]) {
    case kCursorSelect:
        if (length <= kColumnPlace) {
            return 0;
        }
        MoveCursor(channel, bytes[kColumnPlace]);
        return kCursorSequenceLength;
    case kEraseSelect:
        Flush(channel);
        EraseToEnd(channel);
        return kEraseSequenceLength;
    default:
        return 2;  // not a sequence: ESC and '[' are dropped, reading goes on after them
    }
}

void DefinityDisplay::StoreText(uint8_t channel, const uint8_t* bytes, uint32_t length)
{
    DisplayRecord& record = records_[channel];
    uint32_t& cursor = cursor_[channel];
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    for (uint32_t i = 0; i < length; ++i) {
        if (!Printable(bytes[i])) {
            continue;
        }
        // Text past the last column has no place on the set's display.
        if (cursor < kWidth) {
            record.text[cursor++] = static_cast<char>(bytes[i]);
        }
        record.pending = kDisplayPending;
    }
}

void DefinityDisplay::MoveCursor(uint8_t channel, uint8_t column)
{
    cursor_[channel] = std::min<uint32_t>(column, kWidth);
    records_[channel].pending = kDisplayPending;
}

void DefinityDisplay::EraseToEnd(uint8_t channel)
{
    DisplayRecord& record = records_[channel];
    const uint32_t from = cursor_[channel];
    char* const first = record.text + from;
    char* const last = record.text + kWidth;
    if (std::all_of(first, last, [](char c) { return c == ' '; })) {
        return;
    }
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    std::fill(first, last, ' ');
    // The erased text differs from the one just posted: it goes with the next flush.
    record.pending = kDisplayPending;
}
