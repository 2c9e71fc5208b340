#include "decoders/HdlcFrameCheck.h"

namespace {

constexpr uint16_t kInitialRegister = 0x84CF;
constexpr uint16_t kGoodRegister = 0xFFFF;
constexpr uint16_t kPolynomial = 0x1021;

}  // namespace

FrameCheck CheckHdlcFrame(const uint8_t* frame, size_t length)
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
    return FrameCheck{length != 0 && reg == kGoodRegister, reg};
}
