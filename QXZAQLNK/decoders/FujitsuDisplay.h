// The Fujitsu 9600 set's display: two rows of 20 characters with a line feed
// between them and the terminator after them. The PBX clears areas, writes at
// a display position and writes on at the cursor; a change of the two rows
// is posted at once (there is no timer).
#pragma once

#include <array>
#include <cstdint>

#include "decoders/DisplayRecord.h"
#include "platform/Sync.h"

class FujitsuDisplay {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kRowWidth = 20;
    static constexpr uint32_t kTerminator = 2 * kRowWidth + 1;
    // What GetMessage returns, and a change's parameter: both rows and the terminator.
    static constexpr uint32_t kShownBytes = kTerminator + 1;

    FujitsuDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock);

    // Each returns true when the two rows changed.
    // `count` blanks from text index `start`; the cursor goes home.
    bool Clear(uint8_t channel, uint8_t start, uint8_t count);
    // Characters from display position `position` (0 to 19 the first row, 20
    // to 39 the second).
    bool WriteAt(uint8_t channel, uint8_t position, const uint8_t* characters, uint32_t count);
    // Characters from where the last write ended.
    bool WriteAtCursor(uint8_t channel, const uint8_t* characters, uint32_t count);

    // The text index the next character goes to; at most the text's size.
    uint32_t Cursor(uint8_t channel) const { return cursor_[channel]; }

    // The text index of a display position, past the line feed for the second row.
    static uint32_t TextIndex(uint8_t position);

private:
    template <typename Change>
    bool Changing(uint8_t channel, Change change);

    DisplayRecord (&records_)[kChannels];
    platform::Lock& lock_;
    std::array<uint32_t, kChannels> cursor_{};
};
