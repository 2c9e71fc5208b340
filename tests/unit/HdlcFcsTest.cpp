// The frame check of monitored HDLC frames: the fast table check accepts and
// refuses exactly what the unit's bit-by-bit register does.
#include <gtest/gtest.h>

#include <random>

#include "common/HdlcFcs.h"
#include "decoders/HdlcFrameCheck.h"

namespace {

// The unit's register, bit by bit, as the reference.
bool RegisterAccepts(const std::vector<uint8_t>& frame)
{
    uint16_t reg = 0x84CF;
    for (uint8_t byte : frame) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = (reg & 0x8000) != 0;
            reg = static_cast<uint16_t>((reg << 1) | ((byte >> bit) & 1));
            if (carry) {
                reg ^= 0x1021;
            }
        }
    }
    return !frame.empty() && reg == 0xFFFF;
}

TEST(HdlcFcs, KnownFrameAndItsCheckBytes)
{
    std::vector<uint8_t> frame = {0xE3, 0x03, 0x80, 0x20, 0x2F};
    AppendHdlcFcs(frame);
    EXPECT_EQ(frame[5], 0xBA);  // low byte first
    EXPECT_EQ(frame[6], 0x2A);
    EXPECT_TRUE(CheckHdlcFrame(frame.data(), frame.size()).good);
}

TEST(HdlcFcs, FastCheckAgreesWithTheRegisterOnGoodAndDamagedFrames)
{
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> frame(random() % 40);
        for (uint8_t& byte : frame) {
            byte = static_cast<uint8_t>(random());
        }
        if (round % 2 == 0) {
            AppendHdlcFcs(frame);
        }
        if (round % 3 == 0 && !frame.empty()) {
            frame[random() % frame.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        const FrameCheck check = CheckHdlcFrame(frame.data(), frame.size());
        ASSERT_EQ(check.good, RegisterAccepts(frame)) << "round " << round;
        if (!check.good) {
            ASSERT_NE(check.remainder, 0xFFFF);
        }
    }
}

}  // namespace
