// The demo scenario's MD110, Norstar and NEAX 2400 units played through their
// decoders, twice as zaqsim --loop plays them: each gives the events of its
// call on a phone set, the same in both passes, and lasts about a minute.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "decoders/CNeax2400D.h"
#include "decoders/ERRICSOND.h"
#include "decoders/NORSTARD.h"

#include "EventLog.h"
#include "PacketDriver.h"
#include "Scenario.h"
#include "support/TempDir.h"

namespace {

const char* const kDemo = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.scn";

struct Played {
    std::vector<std::string> passes;  // the event lines of each pass, times counted from the pass's start
    uint32_t durationMs = 0;          // of one pass
};

// Plays a unit's packets twice through its decoder, as the unit sends them
// (start marker, channel, type, length, payload, the unit's checksum).
template <typename Decoder>
Played PlayTwice(const std::vector<zaqsim::PlayItem>& items, uint32_t startChannel)
{
    PacketDriver<Decoder> driver(startChannel);
    Played played;
    for (int pass = 0; pass < 2; ++pass) {
        EventLog log(driver.decoder, driver.clock);
        driver.context.SetEventSink(log);
        for (const zaqsim::PlayItem& item : items) {
            driver.Advance(item.delayMs);
            played.durationMs += pass == 0 ? item.delayMs : 0;
            const std::vector<uint8_t> bytes(item.bytes.begin(), item.bytes.end());
            EXPECT_GE(bytes.size(), 5u);
            EXPECT_EQ(bytes[0], 0x01);
            EXPECT_EQ(bytes.size(), 5u + bytes[3]);
            driver.Send(bytes[1], bytes[2], std::vector<uint8_t>(bytes.begin() + 4, bytes.end() - 1));
        }
        driver.Advance(1000);  // the last display timers
        played.passes.push_back(log.text);
    }
    return played;
}

class FamilyDemo : public testing::Test {
protected:
    void SetUp() override
    {
        scenario = zaqsim::ParseScenario(ReadWholeFile(kDemo));
        ASSERT_TRUE(scenario.errors.empty())
            << "line " << scenario.errors[0].line << ": " << scenario.errors[0].message;
    }

    template <typename Decoder>
    void ExpectUnit(size_t unit, const std::string& expected)
    {
        ASSERT_GT(scenario.units.size(), unit);
        const Played played = PlayTwice<Decoder>(scenario.units[unit], static_cast<uint32_t>(16 * unit + 1));
        EXPECT_EQ(played.passes[0], expected) << "played:\n" << played.passes[0];
        EXPECT_EQ(played.passes[1], played.passes[0]);
        EXPECT_GE(played.durationMs, 50000u);
        EXPECT_LE(played.durationMs, 70000u);
    }

    zaqsim::Scenario scenario;
};

TEST_F(FamilyDemo, Md110UnitPlaysACallWithHold)
{
    ExpectUnit<ERRICSOND>(3, R"(50 49 QXEVT_DISPLAY_CLEAR 0x0
50 50 QXEVT_DISPLAY_CLEAR 0x0
650 49 QXEVT_MESSAGE_CHANGE 0x54 "Gina 3001|||"
750 50 QXEVT_MESSAGE_CHANGE 0x7b "          Hank 3002||"
3250 49 QXEVT_OFFHOOK 0x0
3350 49 QXEVT_LIGHT_ON 0x1
3350 49 QXEVT_AUDIO_ON 0x1
3350 49 QXEVT_AUDIO_OFF 0x2
3950 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial:|||"
4150 49 QXEVT_DIGIT_PRESSED 0x33
4700 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial: 3|||"
4900 49 QXEVT_DIGIT_PRESSED 0x30
5450 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial: 30|||"
5650 49 QXEVT_DIGIT_PRESSED 0x30
6200 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial: 300|||"
6400 49 QXEVT_DIGIT_PRESSED 0x32
6950 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial: 3002|||"
7050 50 QXEVT_RING_ON 0x1
7050 50 QXEVT_LIGHT_FLASHING 0x1
7600 50 QXEVT_MESSAGE_CHANGE 0x7b "          Hank 3002|Gina 3001|"
7650 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial: 3002|Ringing||"
11150 50 QXEVT_OFFHOOK 0x0
11250 50 QXEVT_RING_OFF 0x0
11250 50 QXEVT_LIGHT_ON 0x1
11250 50 QXEVT_AUDIO_ON 0x1
11250 50 QXEVT_AUDIO_OFF 0x2
11850 49 QXEVT_MESSAGE_CHANGE 0x54 "Dial: 3002|Hank 3002||"
19350 50 QXEVT_FUNCTION_BUTTON_PRESSED 0x5
19450 50 QXEVT_LIGHT_QUICKFLASH 0x1
19450 50 QXEVT_AUDIO_OFF 0x1
19450 50 QXEVT_AUDIO_OFF 0x2
24450 50 QXEVT_FUNCTION_BUTTON_PRESSED 0x1
24550 50 QXEVT_LIGHT_ON 0x1
24550 50 QXEVT_AUDIO_ON 0x1
24550 50 QXEVT_AUDIO_OFF 0x2
34550 49 QXEVT_ONHOOK 0x0
34650 49 QXEVT_AUDIO_OFF 0x1
34650 49 QXEVT_AUDIO_OFF 0x2
34650 49 QXEVT_LIGHT_OFF 0x1
34650 49 QXEVT_DISPLAY_CLEAR 0x0
34700 50 QXEVT_AUDIO_OFF 0x1
34700 50 QXEVT_AUDIO_OFF 0x2
34700 50 QXEVT_LIGHT_OFF 0x1
34700 50 QXEVT_DISPLAY_CLEAR 0x0
35150 49 QXEVT_MESSAGE_CHANGE 0x54 "Gina 3001|||"
35200 50 QXEVT_MESSAGE_CHANGE 0x7b "          Hank 3002||"
36200 50 QXEVT_ONHOOK 0x0
56000 49 QXEVT_LIGHT_OFF 0x1
)");
}

TEST_F(FamilyDemo, NorstarUnitPlaysACallWithHold)
{
    ExpectUnit<NORSTARD>(4, R"(0 65 QXEVT_DISPLAY_CLEAR 0x0
0 66 QXEVT_DISPLAY_CLEAR 0x0
100 65 QXEVT_MESSAGE_CHANGE 0x9 "Iris 221"
100 65 QXEVT_MESSAGE_CHANGE 0x16 "Iris 221|DEC 10  9:00"
200 66 QXEVT_MESSAGE_CHANGE 0x9 "Jack 222"
200 66 QXEVT_MESSAGE_CHANGE 0x16 "Jack 222|DEC 10  9:00"
3200 65 QXEVT_OFFHOOK 0x0
3300 65 QXEVT_LIGHT_ON 0x101
3300 65 QXEVT_AUDIO_ON 0x1
3300 65 QXEVT_DISPLAY_CLEAR 0x0
3350 65 QXEVT_MESSAGE_CHANGE 0x6 "Dial:"
4050 65 QXEVT_DIGIT_PRESSED 0x32
4100 65 QXEVT_MESSAGE_CHANGE 0xa "Dial:   2"
4800 65 QXEVT_DIGIT_PRESSED 0x32
4850 65 QXEVT_MESSAGE_CHANGE 0xb "Dial:   22"
5550 65 QXEVT_DIGIT_PRESSED 0x32
5600 65 QXEVT_MESSAGE_CHANGE 0xc "Dial:   222"
6200 66 QXEVT_RING_ON 0x0
6200 66 QXEVT_LIGHT_FLASHING 0x101
6200 66 QXEVT_DISPLAY_CLEAR 0x0
6250 66 QXEVT_MESSAGE_CHANGE 0x10 "Call on line 1|"
6250 66 QXEVT_MESSAGE_CHANGE 0x18 "Call on line 1|Iris 221"
6300 65 QXEVT_MESSAGE_CHANGE 0x17 "Dial:|Jack 222 ringing"
10300 66 QXEVT_OFFHOOK 0x0
10400 66 QXEVT_RING_OFF 0x0
10400 66 QXEVT_LIGHT_ON 0x101
10400 66 QXEVT_AUDIO_ON 0x1
10500 65 QXEVT_DISPLAY_CLEAR 0x0
10500 65 QXEVT_MESSAGE_CHANGE 0x9 "Jack 222"
10500 65 QXEVT_MESSAGE_CHANGE 0x13 "Jack 222|Connected"
18500 66 QXEVT_HOLD_BUTTON_PRESSED 0x0
18600 66 QXEVT_LIGHT_FASTFLASHING 0x101
18600 66 QXEVT_AUDIO_OFF 0x1
23600 66 QXEVT_FUNCTION_BUTTON_PRESSED 0x1
23700 66 QXEVT_LIGHT_ON 0x101
23700 66 QXEVT_AUDIO_ON 0x1
33700 65 QXEVT_ONHOOK 0x0
33800 65 QXEVT_AUDIO_OFF 0x1
33800 65 QXEVT_LIGHT_OFF 0x101
33800 65 QXEVT_DISPLAY_CLEAR 0x0
33800 65 QXEVT_MESSAGE_CHANGE 0x9 "Iris 221"
33800 65 QXEVT_MESSAGE_CHANGE 0x16 "Iris 221|DEC 10  9:01"
33850 66 QXEVT_AUDIO_OFF 0x1
33850 66 QXEVT_LIGHT_OFF 0x101
33850 66 QXEVT_DISPLAY_CLEAR 0x0
33850 66 QXEVT_MESSAGE_CHANGE 0x9 "Jack 222"
33850 66 QXEVT_MESSAGE_CHANGE 0x16 "Jack 222|DEC 10  9:01"
35350 66 QXEVT_ONHOOK 0x0
56000 65 QXEVT_LIGHT_OFF 0x101
)");
}

TEST_F(FamilyDemo, NeaxUnitPlaysACallWithHold)
{
    ExpectUnit<CNeax2400D>(5, R"(0 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|DEC 10 09:00|"
0 82 QXEVT_MESSAGE_CHANGE 0x80 "Rosa 4420|DEC 10 09:00|"
3000 81 QXEVT_OFFHOOK 0x0
3100 81 QXEVT_LIGHT_ON 0x100
3100 81 QXEVT_AUDIO_ON 0x1
3150 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|Dial|"
3850 81 QXEVT_DIGIT_PRESSED 0x34
3950 81 QXEVT_DIGIT_RELEASED 0x34
4000 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|4|"
4600 81 QXEVT_DIGIT_PRESSED 0x34
4700 81 QXEVT_DIGIT_RELEASED 0x34
4750 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|44|"
5350 81 QXEVT_DIGIT_PRESSED 0x32
5450 81 QXEVT_DIGIT_RELEASED 0x32
5500 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|442|"
6100 81 QXEVT_DIGIT_PRESSED 0x30
6200 81 QXEVT_DIGIT_RELEASED 0x30
6250 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|4420|"
6850 82 QXEVT_RING_ON 0x1
6850 82 QXEVT_LIGHT_FLASHING 0x100
6850 82 QXEVT_RING_LIGHT_FLASHING 0x100
6900 82 QXEVT_MESSAGE_CHANGE 0x80 "Rosa 4420|Call from Quinn 4410|"
6950 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|Rosa 4420 ringing|"
10950 82 QXEVT_OFFHOOK 0x0
11050 82 QXEVT_RING_OFF 0x0
11050 82 QXEVT_LIGHT_ON 0x100
11050 82 QXEVT_RING_LIGHT_OFF 0x300
11050 82 QXEVT_AUDIO_ON 0x1
11150 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|Rosa 4420 connected|"
19150 82 QXEVT_HOLD_BUTTON_PRESSED 0x0
19250 82 QXEVT_LIGHT_FASTFLASHING 0x100
19250 82 QXEVT_AUDIO_OFF 0x1
24250 82 QXEVT_LINE_BUTTON_PRESSED 0x0
24350 82 QXEVT_LIGHT_ON 0x100
24350 82 QXEVT_AUDIO_ON 0x1
34350 81 QXEVT_ONHOOK 0x0
34450 81 QXEVT_LIGHT_OFF 0x300
34450 81 QXEVT_AUDIO_OFF 0x1
34450 81 QXEVT_MESSAGE_CHANGE 0x80 "Quinn 4410|DEC 10 09:01|"
34500 82 QXEVT_LIGHT_OFF 0x300
34500 82 QXEVT_AUDIO_OFF 0x1
34500 82 QXEVT_MESSAGE_CHANGE 0x80 "Rosa 4420|DEC 10 09:01|"
36000 82 QXEVT_ONHOOK 0x0
56000 81 QXEVT_LIGHT_OFF 0x300
)");
}

}  // namespace
