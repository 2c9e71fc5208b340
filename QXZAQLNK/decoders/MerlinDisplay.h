// The Merlin Magix display as the decoder writes it into a channel's display
// record: text at a cursor (the record's `offset`), line feeds and spaces by
// repeat counts, and a terminator when the text is posted. The cursor never
// passes the last place of the record's text, which stays free for the
// terminator: whatever a packet says, text beyond it is dropped.
#pragma once

#include <cstdint>

#include "decoders/DisplayRecord.h"
#include "platform/Sync.h"

class MerlinDisplay {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kLastPlace = DisplayRecord::kTextSize - 1;

    MerlinDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock);

    // Writes the `count` text bytes of a display message at the cursor (under
    // the display lock); true when the text began with a printable character
    // and no 0x09 came after it, so that it is posted at once.
    bool Write(uint8_t channel, const uint8_t* text, uint32_t count);
    // Puts the terminator at the cursor and moves past it; returns the bytes
    // GetMessage then returns (0 when the lock could not be had).
    uint32_t Terminate(uint8_t channel);
    // Starts a new text at the start of the display.
    void Home(uint8_t channel);

private:
    void Put(DisplayRecord& record, char character, uint32_t repeat);

    DisplayRecord (&records_)[kChannels];
    platform::Lock& lock_;
};
