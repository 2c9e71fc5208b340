// The frame check of a monitored HDLC frame and the register a bad frame
// leaves.
#include "decoders/HdlcFrameCheck.h"

#include "common/HdlcFcs.h"

namespace {

constexpr uint16_t kInitialRegister = 0x84CF;
constexpr uint16_t kGoodRegister = 0xFFFF;
constexpr uint16_t kPolynomial = 0x1021;

// The register of the unit's check, byte by byte and bit by bit: what a bad
// frame's trace line shows.
uint16_t CheckRegister(const uint8_t* frame, size_t length)
{
    uint16_t reg = kInitialRegister;
    for (size_t i = 0; i < length; ++i) {
        // Bits enter least significant first, as they travel on the line.
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = (reg & 0x8000) != 0;
            reg = static_cast<uint16_t>((reg << 1) | ((frame[i] >> bit) & 1));
            if (carry) {
                reg ^= kPolynomial;
            }
        }
    }
    return reg;
}

}  // namespace

FrameCheck CheckHdlcFrame(const uint8_t* frame, size_t length)
{
    // The register ends at 0xFFFF exactly for the frames whose last two bytes
    // are their standard check sequence: those are found with the fast table.
    if (length >= 2) {
        const uint16_t fcs = HdlcFcs(frame, length - 2);
        if (frame[length - 2] == (fcs & 0xFF) && frame[length - 1] == (fcs >> 8)) {
            return FrameCheck{true, kGoodRegister};
        }
    }
    const uint16_t reg = CheckRegister(frame, length);
    return FrameCheck{length != 0 && reg == kGoodRegister, reg};
}
