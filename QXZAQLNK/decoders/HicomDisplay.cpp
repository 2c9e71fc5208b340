// The Hicom display: blanks and characters at a row and column, compared
// with the rows as they were.
#include "decoders/HicomDisplay.h"

#include <algorithm>
#include <cstring>

#include "base/Trace.h"
#include "decoders/LockHold.h"

namespace {

// The blanks the display starts with (more than its two rows).
constexpr uint32_t kInitialBlanks = 120;

}  // namespace

HicomDisplay::HicomDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock)
    : records_(records), lock_(displayLock)
{
    LockHold hold(lock_);
    for (DisplayRecord& record : records_) {
        std::memset(record.text, ' ', kInitialBlanks);
        record.text[kRowWidth] = '\n';
        record.text[kTerminator - 1] = '\n';
    }
}

bool HicomDisplay::Write(uint8_t channel, uint8_t row, uint8_t column, uint8_t blanks, const uint8_t* characters,
                         uint32_t count)
{
    DisplayRecord& record = records_[channel];
    char* const text = record.text;
    bool changed = false;
    {
        LockHold hold(lock_);
        if (!hold) {
            return false;
        }
        char before[kTerminator];
        std::memcpy(before, text, kTerminator);
        // Writes stop at the end of the text, whatever row, column and counts say.
        const uint32_t at = (row == 1 ? kSecondRow : 0) + column;
        const uint32_t blanked = std::min<uint32_t>(blanks, DisplayRecord::kTextSize - at);
        std::memset(text + at, ' ', blanked);
        const uint32_t written = std::min<uint32_t>(count, DisplayRecord::kTextSize - at);
        std::memcpy(text + at, characters, written);
        // The rows read back always end in their terminator, even after a
        // write past the second row's end.
        text[kTerminator] = '\0';
        changed = std::memcmp(before, text, kTerminator) != 0;
        record.offset = kShownBytes;
    }
    Trace(TRACE_INFO, "MESSAGE", "%s", text);
    return changed;
}
