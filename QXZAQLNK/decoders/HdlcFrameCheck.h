// The frame check of a monitored HDLC frame, taken over the whole frame
// including its two check bytes: a good frame leaves the register at 0xFFFF.
// This accepts exactly the frames that end in the standard HDLC frame check
// sequence (CRC-16 of ISO/IEC 13239 / ITU-T X.25, low byte first).
#pragma once

#include <cstddef>
#include <cstdint>

struct FrameCheck {
    bool good;
    uint16_t remainder;  // the register after the last byte
};

FrameCheck CheckHdlcFrame(const uint8_t* frame, size_t length);
