// The Fujitsu 9600 display: clears, writes at a position and at the cursor,
// compared with the rows as they were.
#include "decoders/FujitsuDisplay.h"

#include <algorithm>
#include <cstring>

#include "decoders/LockHold.h"

namespace {

// The blanks the display starts with (more than its two rows).
constexpr uint32_t kInitialBlanks = 120;
constexpr uint32_t kLineFeed = FujitsuDisplay::kRowWidth;

}  // namespace

FujitsuDisplay::FujitsuDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock)
    : records_(records), lock_(displayLock)
{
    LockHold hold(lock_);
    for (DisplayRecord& record : records_) {
        std::memset(record.text, ' ', kInitialBlanks);
        record.text[kLineFeed] = '\n';
        record.text[kTerminator] = '\0';
        record.offset = kShownBytes;
    }
}

uint32_t FujitsuDisplay::TextIndex(uint8_t position)
{
    if (position < kRowWidth) {
        return position;
    }
    return position <= 2 * kRowWidth ? position + 1u : position + 2u;
}

// Runs `change` on the channel's text under the display lock; true when the
// two rows differ afterwards. Whatever was written, the rows read back end in
// their terminator.
template <typename Change>
bool FujitsuDisplay::Changing(uint8_t channel, Change change)
{
    DisplayRecord& record = records_[channel];
    LockHold hold(lock_);
    if (!hold) {
        return false;
    }
    char before[kTerminator];
    std::memcpy(before, record.text, kTerminator);
    change(record);
    record.text[kTerminator] = '\0';
    return std::memcmp(before, record.text, kTerminator) != 0;
}

bool FujitsuDisplay::Clear(uint8_t channel, uint8_t start, uint8_t count)
{
    cursor_[channel] = 0;
    return Changing(channel, [start, count](DisplayRecord& record) {
        std::memset(record.text + start, ' ', count);
        record.text[kLineFeed] = '\n';
        // An area that reaches into the second row also blanks the byte after it.
        const uint32_t end = static_cast<uint32_t>(start) + count;
        if (end > kRowWidth) {
            record.text[end + 1] = ' ';
        }
        record.offset = kShownBytes;
    });
}

bool FujitsuDisplay::WriteAt(uint8_t channel, uint8_t position, const uint8_t* characters, uint32_t count)
{
    cursor_[channel] = TextIndex(position);
    return WriteAtCursor(channel, characters, count);
}

bool FujitsuDisplay::WriteAtCursor(uint8_t channel, const uint8_t* characters, uint32_t count)
{
    uint32_t& cursor = cursor_[channel];
    return Changing(channel, [&cursor, characters, count](DisplayRecord& record) {
        // Writes stop at the end of the text.
        const uint32_t written = std::min(count, DisplayRecord::kTextSize - cursor);
        std::memcpy(record.text + cursor, characters, written);
        cursor += written;
    });
}
