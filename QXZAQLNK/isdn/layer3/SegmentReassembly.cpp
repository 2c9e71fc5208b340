#include "isdn/layer3/SegmentReassembly.h"

#include <cstring>

#include "isdn/layer3/ISDNPTL3.h"
#include "isdn/layer3/InformationElements.h"
#include "isdn/IsdnCodes.h"
#include "isdn/layer3/L3Message.h"

namespace isdn {

namespace {

constexpr uint32_t kMaxSegmentsToCome = 7;

// Appends message[from, to) to the buffer; false when it would not fit.
bool Append(SegmentState& state, const uint8_t* message, uint32_t from, uint32_t to)
{
    if (from >= to) {
        return true;
    }
    if (to - from > kSegmentBufferBytes - state.length) {
        return false;
    }
    std::memcpy(state.buffer + state.length, message + from, to - from);
    state.length += to - from;
    return true;
}

}  // namespace

uint32_t AddSegment(SegmentState& state, const uint8_t* message, uint32_t length, uint32_t callRefLength,
                    bool& complete)
{
    complete = false;
    SegmentedMessage segment;
    const uint8_t* ie = ISDNPTL3::GetIEPointer(message, length, kIeSegmentedMessage, 0, 1);
    if (ie == nullptr) {
        return kSegmentElementMissing;
    }
    const uint32_t result = ISDNPT_DecodeSegmentedMsg(ie, segment);
    if (result != kOk) {
        return result;
    }
    const uint32_t checkBytesStart = length - kFcsLength;
    SegmentState next = state;
    if (segment.firstSegment) {
        if (segment.segmentsToCome > kMaxSegmentsToCome) {
            return kSegmentOrCheckFailed;
        }
        next.length = 0;
        Append(next, message, 0, checkBytesStart);
        next.buffer[kCallRefOffset + callRefLength] = static_cast<uint8_t>(segment.messageType);
    } else {
        if (segment.segmentsToCome + 1 != state.segmentsToCome || segment.messageType != state.messageType) {
            return kSegmentOrCheckFailed;
        }
        // The segment's own header and segmented-message element are not part
        // of the whole message.
        const uint32_t contentsStart = kCallRefOffset + callRefLength + 5;
        if (!Append(next, message, contentsStart, checkBytesStart)) {
            return kSegmentOrCheckFailed;
        }
    }
    next.messageType = segment.messageType;
    next.segmentsToCome = segment.segmentsToCome;
    if (next.segmentsToCome == 0) {
        if (!Append(next, message, checkBytesStart, length)) {
            return kSegmentOrCheckFailed;
        }
        complete = true;
    }
    state = next;
    return kOk;
}

}  // namespace isdn
