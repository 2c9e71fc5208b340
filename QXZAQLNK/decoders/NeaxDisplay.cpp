// The NEAX 2400 screen: text at the cursor and the comparison with the clock
// masked.
#include "decoders/NeaxDisplay.h"

#include <algorithm>
#include <cstring>

#include "decoders/LockHold.h"

namespace {

constexpr uint32_t kLineFeeds[] = {31, 63};
constexpr uint32_t kClockReach = 2;  // characters each side of the ':'

void MaskClock(const char* screen, char* masked)
{
    std::memcpy(masked, screen, NeaxDisplay::kScreen);
    for (uint32_t colon = 0; colon < NeaxDisplay::kScreen; ++colon) {
        if (screen[colon] != ':') {
            continue;
        }
        const uint32_t first = colon >= kClockReach ? colon - kClockReach : 0;
        const uint32_t last = std::min(colon + kClockReach, NeaxDisplay::kScreen - 1);
        for (uint32_t i = first; i <= last; ++i) {
            if (masked[i] >= '0' && masked[i] <= '9') {
                masked[i] = ' ';
            }
        }
    }
}

}  // namespace

bool SameBesideClock(const char* a, const char* b)
{
    char maskedA[NeaxDisplay::kScreen];
    char maskedB[NeaxDisplay::kScreen];
    MaskClock(a, maskedA);
    MaskClock(b, maskedB);
    return std::memcmp(maskedA, maskedB, NeaxDisplay::kScreen) == 0;
}

NeaxDisplay::NeaxDisplay(DecoderContext& context) : context_(context)
{
    LockHold hold(context_.displayLock);
    if (!hold) {
        return;
    }
    for (DisplayRecord& record : context_.displays) {
        std::memset(record.text, ' ', kScreen - 1);
        record.text[kScreen - 1] = '\0';
        for (const uint32_t lineFeed : kLineFeeds) {
            record.text[lineFeed] = '\n';
        }
        std::memcpy(record.posted, record.text, kScreen);
        record.offset = kScreen;
        record.length = kScreen;
    }
}

uint32_t NeaxDisplay::Write(uint8_t channel, uint8_t cursor, const uint8_t* bytes, uint32_t count, bool showWhole)
{
    LockHold hold(context_.displayLock);
    DisplayRecord& record = context_.displays[channel];
    uint32_t at = cursor;
    uint32_t taken = 0;
    while (taken < count) {
        const uint8_t byte = bytes[taken++];
        if (at >= kScreen) {
            break;  // the first character that does not fit is dropped
        }
        if (hold) {
            record.text[at] = static_cast<char>(byte);
        }
        ++at;
    }
    if (hold) {
        record.pending = kWaiting;
        record.offset = showWhole ? kScreen : at;
    }
    return taken;
}

bool NeaxDisplay::TakeChanged(uint8_t channel)
{
    LockHold hold(context_.displayLock);
    if (!hold) {
        return false;
    }
    DisplayRecord& record = context_.displays[channel];
    record.offset = kScreen;
    record.pending = 0;
    if (SameBesideClock(record.text, record.posted)) {
        return false;
    }
    std::memcpy(record.posted, record.text, kScreen);
    return true;
}
