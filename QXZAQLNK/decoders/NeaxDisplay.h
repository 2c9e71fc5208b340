// The NEAX 2400 set's display: a fixed 128-byte screen (rows of 31 characters
// and a line feed, a zero byte at its end) in the channel's display record.
// Text is written at a cursor (`offset`) that never leaves the screen; a
// display is compared with the one last posted with the running clock masked,
// so that a clock ticking on is no change. The record's writes take the
// display lock (GetMessage reads on application threads).
#pragma once

#include <cstdint>

#include "decoders/DecoderContext.h"

class NeaxDisplay {
public:
    static constexpr uint32_t kScreen = 128;
    static constexpr uint32_t kWaiting = 3;  // the record's `pending` while text waits

    explicit NeaxDisplay(DecoderContext& context);

    // Characters from `cursor` on while they fit on the screen; the first one
    // that does not fit is dropped. The display waits to be posted; with
    // `showWhole` GetMessage returns the whole screen at once, else the
    // characters up to the cursor. Returns the bytes taken.
    uint32_t Write(uint8_t channel, uint8_t cursor, const uint8_t* bytes, uint32_t count, bool showWhole);
    // Ends the display waiting: the whole screen shown, nothing pending; true
    // when it differs from the display last posted (clock masked), which it
    // then becomes.
    bool TakeChanged(uint8_t channel);

private:
    DecoderContext& context_;
};

// Whether two screens show the same, digits around each ':' (two before to
// two after it) not counted.
bool SameBesideClock(const char* a, const char* b);
