// An application thread reads the display and the phone status of the MD110,
// Norstar and NEAX decoders while the reader decodes text, lamps and hook
// changes and runs their display timers: every read gets a whole record (the
// locks), none blocks for good, and the decoding goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "EricssonFrames.h"
#include "PacketDriver.h"
#include "decoders/CNeax2400D.h"
#include "decoders/ERRICSOND.h"
#include "decoders/NORSTARD.h"

namespace {

struct Traffic {
    std::vector<std::vector<uint8_t>> fromPbx;
    std::vector<std::vector<uint8_t>> fromSet;
};

template <typename Decoder>
void ReadWhileDecoding(const Traffic& traffic, bool updates)
{
    PacketDriver<Decoder> driver;
    driver.EventUpdates(updates);
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::thread application([&] {
        std::vector<char> text(DisplayRecord::kTextSize);
        while (!done) {
            for (uint8_t channel = 0; channel < 16; ++channel) {
                const uint32_t result = driver.decoder.GetMessage(channel, text.data(), static_cast<uint32_t>(text.size()));
                EXPECT_TRUE(result == ZAQ16_RET_SUCCESS || result == ZAQ16_RET_TRUNCATED) << result;
                ZAQ16_PHONE_STATUS status;
                EXPECT_EQ(driver.context.CopyPhoneStatus(channel, &status), ZAQ16_RET_SUCCESS);
                ++reads;
            }
        }
    });
    // At least 300 rounds, and on until the application has read a while (at most 10 s).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int round = 0; round < 300 || (reads < 200 && std::chrono::steady_clock::now() < deadline); ++round) {
        for (const std::vector<uint8_t>& data : traffic.fromPbx) {
            driver.Send(static_cast<uint8_t>(round % 16), 0x58, data);
        }
        for (const std::vector<uint8_t>& data : traffic.fromSet) {
            driver.Send(static_cast<uint8_t>(round % 16), 0x48, data);
        }
        driver.Advance(round % 3 == 0 ? 600 : 100);
    }
    done = true;
    application.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_FALSE(driver.Take().empty());
}

TEST(FamilyReadBack, Md110)
{
    const Traffic traffic{{md110_test::Frame({0x95, 0x00, 'A', 'B', 'C'}), md110_test::Frame({0x91, 0x01, 0x84, 0x01}),
                           md110_test::Frame({0x87, 'x', 'y'}), md110_test::Frame({0x85})},
                          {md110_test::Frame({0x04, 0x10}), md110_test::Frame({0x04, 0x0F})}};
    ReadWhileDecoding<ERRICSOND>(traffic, false);
    ReadWhileDecoding<ERRICSOND>(traffic, true);
}

TEST(FamilyReadBack, Norstar)
{
    const Traffic traffic{{{0x6A, 0x06, 0x80, 'A', 'B', 'C'}, {0x6A, 0x0E, 0xC0, 'L', 'o', 'n', 'g', 'e', 'r', ' ', 'r', 'o', 'w'},
                           {0x63, 0x25, 0x4B}, {0x5D}, {0x63, 0xE0, 0x00}},
                          {{0xCD}, {0xCC}}};
    ReadWhileDecoding<NORSTARD>(traffic, false);
    ReadWhileDecoding<NORSTARD>(traffic, true);
}

TEST(FamilyReadBack, Neax)
{
    const Traffic traffic{{{0x63, 0x00, 'K', 'i', 'm', ' ', '1', '0', ':', '4', '1'}, {0x1F, 0x01, 0xA4, 0x00, 0x00},
                           {0x70, 0x00, 0x00, 0x63, 0x20, 'x'}, {0x10, 0x01}},
                          {{0x61}, {0x60}}};
    ReadWhileDecoding<CNeax2400D>(traffic, false);
    ReadWhileDecoding<CNeax2400D>(traffic, true);
}

}  // namespace
