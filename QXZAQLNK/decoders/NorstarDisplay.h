// The Norstar set's two-row display: two row buffers written at their own
// positions, assembled into the channel's display record (`text`, `offset` =
// its length). Two short rows (fewer than 9 characters each) read as one
// line, row 1 padded to 8 characters; otherwise a line feed separates them.
// Every write stays inside its row with room for the row's terminator; the
// record's writes take the display lock (GetMessage reads on application
// threads).
#pragma once

#include <array>
#include <cstdint>

#include "decoders/DecoderContext.h"

class NorstarDisplay {
public:
    static constexpr uint32_t kChannels = DecoderContext::kChannels;
    static constexpr uint32_t kRowSize = 80;
    static constexpr uint32_t kRow1Limit = 77;     // no character of row 1 at or past this column
    static constexpr uint32_t kRow1TextEnd = 78;   // row text may not reach these columns
    static constexpr uint32_t kRow2TextEnd = 79;
    static constexpr uint32_t kShortRow = 9;       // rows shorter than this share one line
    static constexpr uint32_t kRow1Padded = 8;

    explicit NorstarDisplay(DecoderContext& context);

    // Selects a row by the high nibble of `position` (8 row 1, C row 2) and
    // moves its position to the low nibble's column; false for another row.
    bool Position(uint8_t channel, uint8_t position);
    // One character at row 1's position, which advances.
    void PutRow1Character(uint8_t channel, uint8_t character);
    // Text at a row's position (as Position selects it); false for a bad position.
    bool PutRowText(uint8_t channel, uint8_t position, const uint8_t* text, uint32_t count);
    // Both rows and the text emptied, positions at the rows' starts.
    void Clear(uint8_t channel);
    // Assembles the display from the rows; returns its length, which becomes
    // the length last posted too when it is `postedNow`.
    uint32_t Rebuild(uint8_t channel, bool postedNow);

    uint32_t Row1Position(uint8_t channel) const { return rows_[channel].position[0]; }
    uint32_t Row2Position(uint8_t channel) const { return rows_[channel].position[1]; }

private:
    struct Rows {
        std::array<std::array<char, kRowSize>, 2> row{};
        std::array<uint32_t, 2> position{};
    };
    // The row a position byte selects: 0, 1, or -1 for none.
    static int RowOf(uint8_t position);

    DecoderContext& context_;
    std::array<Rows, kChannels> rows_{};
};
