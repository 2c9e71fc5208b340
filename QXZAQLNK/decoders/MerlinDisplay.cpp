#include "decoders/MerlinDisplay.h"

#include <algorithm>

#include "decoders/LockHold.h"
#include "decoders/MerlinTables.h"

using namespace merlin;

MerlinDisplay::MerlinDisplay(DisplayRecord (&records)[kChannels], platform::Lock& displayLock)
    : records_(records), lock_(displayLock)
{
}

void MerlinDisplay::Put(DisplayRecord& record, char character, uint32_t repeat)
{
    const uint32_t room = kLastPlace - std::min(record.offset, kLastPlace);
    const uint32_t count = std::min(repeat, room);
    std::fill_n(record.text + record.offset, count, character);
    record.offset += count;
}

bool MerlinDisplay::Write(uint8_t channel, const uint8_t* text, uint32_t count)
{
    LockHold hold(lock_);
    if (!hold) {
        return false;
    }
    DisplayRecord& record = records_[channel];
    bool startsPrintable = false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t byte = text[i];
        if (byte == kLinesAndSpaces) {
            if (i + 2 >= count) {
                break;  // the repeat counts are cut off
            }
            const uint8_t lines = text[i + 1];
            // A line count of 0 writes no line feed (not 255 of them).
            Put(record, '\n', lines > 0 ? lines - 1u : 0u);
            Put(record, ' ', text[i + 2]);
            ++i;  // b is read again as an ordinary byte
        } else if (byte == kSkipTwo) {
            ++i;
        } else if (byte == kControlStart) {
            startsPrintable = false;
        } else if (byte >= kFirstPrintable) {
            Put(record, static_cast<char>(byte), 1);
            startsPrintable = startsPrintable || i == 0;
        }
    }
    return startsPrintable;
}

uint32_t MerlinDisplay::Terminate(uint8_t channel)
{
    LockHold hold(lock_);
    if (!hold) {
        return 0;
    }
    DisplayRecord& record = records_[channel];
    record.offset = std::min(record.offset, kLastPlace);
    record.text[record.offset] = '\0';
    return ++record.offset;
}

void MerlinDisplay::Home(uint8_t channel)
{
    LockHold hold(lock_);
    if (hold) {
        records_[channel].offset = 0;
    }
}
