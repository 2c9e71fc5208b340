// The Inter-Tel Axxess set's 90-character display as the decoder writes it
// into a channel's display record: text at a cursor (the record's `offset`),
// clears of the display or of its second row, and plain text lines appended
// when they differ from the last one. `posted` keeps the 90 characters last
// posted, so that an unchanged display is not posted again. Every write stays
// inside the record's text whatever the packet says; the operations take the
// display lock (GetMessage reads on application threads).
#pragma once

#include <array>
#include <cstdint>

#include "decoders/DisplayRecord.h"
#include "platform/Sync.h"

class InterTelDisplay {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kWidth = 90;             // characters the set shows
    static constexpr uint32_t kPostedLength = kWidth + 1;  // with the terminator
    static constexpr uint32_t kRow2 = 32;
    static constexpr uint32_t kClearedEnd = 95;        // clears blank up to here
    static constexpr uint32_t kBlankAtStart = 120;
    static constexpr uint32_t kLongestLine = DisplayRecord::kTextSize;

    InterTelDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock);

    // Blank displays, nothing posted yet.
    void Reset();
    // The whole display blank, the cursor at its start.
    void Clear(uint8_t channel);
    // The second row blank, the cursor at its start.
    void ClearRow2(uint8_t channel);
    void MoveTo(uint8_t channel, uint32_t place);
    // Characters at the cursor, which advances.
    void Write(uint8_t channel, const uint8_t* bytes, uint32_t count);
    // A plain text line: appended at the cursor when it differs from the last one.
    void AppendLine(uint8_t channel, const uint8_t* bytes, uint32_t count);
    // Terminates the display after its 90 characters; when they differ from
    // those last posted they become the posted ones, GetMessage returns all
    // 91 bytes, and the result is true (a change to post).
    bool TakeChange(uint8_t channel);

private:
    struct Line {
        std::array<uint8_t, kLongestLine> bytes{};
        uint32_t length = 0;
    };

    void Blank(DisplayRecord& record, uint32_t from, uint32_t to);
    void Put(DisplayRecord& record, const uint8_t* bytes, uint32_t count);

    DisplayRecord (&records_)[kChannels];
    platform::Lock& lock_;
    std::array<Line, kChannels> lastLine_{};
};
