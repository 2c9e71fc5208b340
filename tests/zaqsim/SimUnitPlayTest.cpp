#include <gtest/gtest.h>

#include "PacketFrame.h"
#include "UnitHarness.h"

using zaqsim::PlayItem;

namespace {

std::string Packet(uint8_t channel, std::vector<uint8_t> payload)
{
    return zaqsim::BuildPacket(channel, 0x58, payload);
}

}  // namespace

TEST(PacketFrame, ChecksumMakesThePayloadSumZero)
{
    const std::vector<uint8_t> payload = {0x41, 0x42};
    EXPECT_EQ(zaqsim::BuildPacket(3, 0x58, payload), std::string("\x01\x03\x58\x02\x41\x42\x7D", 7));
    EXPECT_EQ(zaqsim::BuildPacket(0, 0x01, {}), std::string("\x01\x00\x01\x00\x00", 5));
}

TEST(SimUnitPlay, HeldItemsWaitForRawOutputAndStopWhenItGoesOff)
{
    UnitHarness harness;
    harness.unit.Hold({PlayItem{0, Packet(1, {0x10})}, PlayItem{0, Packet(2, {0x20})}});
    EXPECT_EQ(harness.After(5000), "");
    EXPECT_EQ(harness.unit.HeldItems(), 2u);

    EXPECT_EQ(harness.Command("ENRAW"), "OK\r\n" + Packet(1, {0x10}) + Packet(2, {0x20}));
    harness.unit.Hold({PlayItem{0, Packet(3, {0x30})}});
    EXPECT_EQ(harness.Command("DISRAW"), "OK\r\n");
    EXPECT_EQ(harness.After(1000), "");
    EXPECT_EQ(harness.unit.HeldItems(), 1u);
    EXPECT_EQ(harness.Command("ENRAW"), "OK\r\n" + Packet(3, {0x30}));
}

TEST(SimUnitPlay, DelaysCountFromThePreviousItemAndFromEnraw)
{
    UnitHarness harness;
    harness.unit.Hold({PlayItem{100, Packet(0, {1})}, PlayItem{250, Packet(0, {2})}, PlayItem{0, Packet(0, {3})}});
    harness.After(5000);  // time with raw output off does not count
    EXPECT_EQ(harness.Command("ENRAW"), "OK\r\n");
    EXPECT_EQ(harness.unit.MsUntilNextDue(), 100);
    EXPECT_EQ(harness.After(99), "");
    EXPECT_EQ(harness.After(1), Packet(0, {1}));
    EXPECT_EQ(harness.After(249), "");
    EXPECT_EQ(harness.After(1), Packet(0, {2}) + Packet(0, {3}));
    EXPECT_EQ(harness.unit.MsUntilNextDue(), -1);
}

TEST(SimUnitPlay, AnswersAndPacketsNeverInterleaveInsideEachOther)
{
    UnitHarness harness;
    harness.Command("ENRAW");
    harness.unit.Hold({PlayItem{0, Packet(4, {9, 9, 9})}});
    harness.unit.Receive("SET BUS\r");
    std::string out;
    while (harness.unit.HasOutput() || harness.unit.HeldItems() > 0)
        out += harness.unit.TakeOutput(3);
    EXPECT_EQ(out, "Bus=MVIP\r\n" + Packet(4, {9, 9, 9}));
}

TEST(SimUnitPlay, LoopStartsTheListAgain)
{
    UnitHarness harness;
    harness.unit.Hold({PlayItem{10, Packet(0, {1})}, PlayItem{10, Packet(0, {2})}}, true);
    harness.Command("ENRAW");
    std::string out;
    for (int i = 0; i < 5; ++i)
        out += harness.After(10);
    EXPECT_EQ(out, Packet(0, {1}) + Packet(0, {2}) + Packet(0, {1}) + Packet(0, {2}) + Packet(0, {1}));
}

TEST(SimUnitPlay, RestartTurnsRawOutputOffAndKeepsWhatIsHeld)
{
    UnitHarness harness;
    harness.Command("RESTART");
    harness.unit.Hold({PlayItem{0, Packet(0, {1})}});
    EXPECT_EQ(harness.Output(), "");
    EXPECT_EQ(harness.Command("ENRAW"), "OK\r\n" + Packet(0, {1}));
}
