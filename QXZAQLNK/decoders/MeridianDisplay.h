// The Meridian set's two-row display as the decoder rebuilds it in a channel's
// display record: row 1 is text[0 .. rowSplit-1], a line feed at rowSplit,
// row 2 after it. Row 1 grows (moving the split and row 2 right) when text
// runs past its end. Every index stays inside the 1024-byte text with room
// for a terminator: writes past that are dropped. Each operation takes the
// display lock for its writes (GetMessage reads on application threads).
#pragma once

#include <array>
#include <cstdint>

#include "platform/Sync.h"
#include "decoders/DisplayRecord.h"

class MeridianDisplay {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kTextSize = DisplayRecord::kTextSize;
    // The last place a terminator can go: no text is written there or beyond.
    static constexpr uint32_t kLastPlace = kTextSize - 1;
    static constexpr uint32_t kRowSplit = 24;
    static constexpr uint32_t kRowLength = 25;   // row 2 after a row-2 erase
    static constexpr uint32_t kLength = 50;      // both rows of a fresh display
    static constexpr uint32_t kPostedOffset = 51;

    MeridianDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock);

    // Clear display: rows blanked, cursor home. Returns the event parameter
    // (length + 1) and sets `changed` when the display differed before.
    uint32_t Clear(uint8_t channel, bool& changed);
    // Characters at the cursor.
    void PutText(uint8_t channel, const uint8_t* bytes, uint32_t length);
    // One character at the cursor, and the text terminated after the display's end.
    void PutCharacter(uint8_t channel, uint8_t character);
    // Packed digits at the cursor.
    void PutDigits(uint8_t channel, const uint8_t* bytes, uint32_t length);
    // Packed digits appended to the call-forward number.
    void AppendForwardDigits(uint8_t channel, const uint8_t* bytes, uint32_t length);
    uint32_t ForwardNumberLength(uint8_t channel) const;
    void ClearForwardNumber(uint8_t channel);

    // Ends the text as it stands (terminator at its end, line feed at the
    // split); returns the event parameter (length + 1).
    uint32_t Finish(uint8_t channel);
    // What the display timer does before it posts: GetMessage's offset
    // becomes 51; the text is terminated at its length, or at least at the
    // offset. Both return the event parameter.
    void MarkPosted(uint8_t channel);
    uint32_t EndText(uint8_t channel);
    uint32_t EndTextThroughOffset(uint8_t channel);

    void Home(uint8_t channel);
    void CursorToRow2(uint8_t channel);
    // Positioned text: row 2 (`row2`) or row 1, at `column`.
    void Position(uint8_t channel, bool row2, uint8_t column);
    // Erase: 1 row 2, 2 row 1 (row 2 follows the split back), 3 all; any
    // other value only brings the length up to the cursor.
    void Erase(uint8_t channel, uint8_t what);
    // Both rows blank, the cursor at the start of row 2.
    void EraseAll(uint8_t channel);

    uint32_t Cursor(uint8_t channel) const { return geometry_[channel].cursor; }
    uint32_t RowSplit(uint8_t channel) const { return geometry_[channel].rowSplit; }
    bool OnFirstRow(uint8_t channel) const { return geometry_[channel].onFirstRow; }

private:
    struct Geometry {
        uint32_t cursor = 0;
        uint32_t rowSplit = kRowSplit;
        bool onFirstRow = true;
    };
    // Writes one character at the cursor (the lock is held).
    void Put(Geometry& geometry, DisplayRecord& record, char character);
    void SetCursor(Geometry& geometry, uint32_t place);
    void EraseRow2(Geometry& geometry, DisplayRecord& record);
    void EraseRow1(Geometry& geometry, DisplayRecord& record);
    void BlankAll(Geometry& geometry, DisplayRecord& record);
    static void BlankRows(DisplayRecord& record);
    static void Terminate(DisplayRecord& record, uint32_t place);

    DisplayRecord (&records_)[kChannels];
    platform::Lock& lock_;
    std::array<Geometry, kChannels> geometry_{};
    // The display before a clear, to tell whether the clear changed it.
    char scratch_[kTextSize] = {};
};
