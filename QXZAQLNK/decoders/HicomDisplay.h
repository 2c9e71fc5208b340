// The Hicom set's display: two rows of 24 characters, each ended by a line
// feed, then the terminator. The PBX clears positions at a row and column and
// writes characters there; a change is posted at once (there is no timer).
#pragma once

#include <cstdint>

#include "decoders/DisplayRecord.h"
#include "platform/Sync.h"

class HicomDisplay {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kRowWidth = 24;
    static constexpr uint32_t kSecondRow = kRowWidth + 1;
    static constexpr uint32_t kTerminator = 2 * kSecondRow;
    // What GetMessage returns after a display message, and the change's parameter.
    static constexpr uint32_t kShownBytes = kTerminator + 1;

    HicomDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock);

    // One display message: `blanks` positions cleared from `row` (0 or 1; any
    // other value is the first row) and `column`, then `count` characters
    // written from there. True when the two rows changed.
    bool Write(uint8_t channel, uint8_t row, uint8_t column, uint8_t blanks, const uint8_t* characters,
               uint32_t count);

private:
    DisplayRecord (&records_)[kChannels];
    platform::Lock& lock_;
};
