// The Norstar display: two rows written at their positions and assembled into
// the display record.
#include "decoders/NorstarDisplay.h"

#include <algorithm>
#include <cstring>

#include "decoders/LockHold.h"

namespace {

constexpr uint8_t kRow1Select = 0x8;
constexpr uint8_t kRow2Select = 0xC;

}  // namespace

NorstarDisplay::NorstarDisplay(DecoderContext& context) : context_(context)
{
    LockHold hold(context_.displayLock);
    if (!hold) {
        return;
    }
    for (DisplayRecord& record : context_.displays) {
        std::memset(record.text, ' ', DisplayRecord::kTextSize);
        std::memset(record.posted, ' ', DisplayRecord::kTextSize);
    }
}

int NorstarDisplay::RowOf(uint8_t position)
{
    switch (position >> 4) {
    case kRow1Select:
        return 0;
    case kRow2Select:
        return 1;
    default:
        return -1;
    }
}

bool NorstarDisplay::Position(uint8_t channel, uint8_t position)
{
    const int row = RowOf(position);
    if (row < 0) {
        return false;
    }
    Rows& rows = rows_[channel];
    const uint32_t column = position & 0x0Fu;
    std::array<char, kRowSize>& buffer = rows.row[row];
    for (uint32_t i = 0; i < column; ++i) {
        if (buffer[i] == '\0') {
            buffer[i] = ' ';
        }
    }
    rows.position[row] = column;
    return true;
}

void NorstarDisplay::PutRow1Character(uint8_t channel, uint8_t character)
{
    Rows& rows = rows_[channel];
    uint32_t& position = rows.position[0];
    if (position < kRow1Limit) {
        rows.row[0][position] = static_cast<char>(character);
    }
    position = std::min(position + 1, kRowSize);
}

bool NorstarDisplay::PutRowText(uint8_t channel, uint8_t position, const uint8_t* text, uint32_t count)
{
    if (!Position(channel, position)) {
        return false;
    }
    const int row = RowOf(position);
    Rows& rows = rows_[channel];
    uint32_t& at = rows.position[row];
    const uint32_t end = row == 0 ? kRow1TextEnd : kRow2TextEnd;
    if (at + count < end) {
        std::memcpy(rows.row[row].data() + at, text, count);
        at += count;
    }
    return true;
}

void NorstarDisplay::Clear(uint8_t channel)
{
    rows_[channel] = Rows{};
    LockHold hold(context_.displayLock);
    if (hold) {
        std::memset(context_.displays[channel].text, 0, DisplayRecord::kTextSize);
    }
}

uint32_t NorstarDisplay::Rebuild(uint8_t channel, bool postedNow)
{
    const Rows& rows = rows_[channel];
    const char* row1 = rows.row[0].data();
    const char* row2 = rows.row[1].data();
    const uint32_t length1 = static_cast<uint32_t>(strnlen(row1, kRowSize));
    const uint32_t length2 = static_cast<uint32_t>(strnlen(row2, kRowSize));

    LockHold hold(context_.displayLock);
    if (!hold) {
        return 0;
    }
    DisplayRecord& record = context_.displays[channel];
    std::memset(record.text, 0, DisplayRecord::kTextSize);
    char* out = record.text;
    out = std::copy_n(row1, length1, out);
    if (length1 < kShortRow && length2 < kShortRow) {
        if (length2 > 0 && length1 < kRow1Padded) {
            out = std::fill_n(out, kRow1Padded - length1, ' ');
        }
    } else if (std::memchr(row1, '\n', length1) == nullptr) {
        *out++ = '\n';
    }
    out = std::copy_n(row2, length2, out);
    record.offset = static_cast<uint32_t>(out - record.text);
    if (postedNow) {
        record.length = record.offset;
    }
    return record.offset;
}
