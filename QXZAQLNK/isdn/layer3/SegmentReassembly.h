// Reassembly of segmented layer-3 messages, one per side of a layer-3 instance.
#pragma once

#include <cstdint>

namespace isdn {

inline constexpr uint32_t kSegmentBufferBytes = 2128;

struct SegmentState {
    uint32_t messageType = 0;     // type of the whole message
    uint32_t segmentsToCome = 0;  // after the last segment taken
    uint32_t length = 0;          // bytes in buffer
    uint8_t buffer[kSegmentBufferBytes] = {};
};

// Takes one SEGMENT message (validated header, call reference length
// `callRefLength`). `complete` is set when the whole message stands in the
// buffer, ending with two check bytes like any message. On failure the state
// is left as it was.
uint32_t AddSegment(SegmentState& state, const uint8_t* message, uint32_t length, uint32_t callRefLength,
                    bool& complete);

}  // namespace isdn
