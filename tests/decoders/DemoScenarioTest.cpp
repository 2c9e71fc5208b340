// The demo scenario that zaqsim plays: it parses, its Definity unit (0),
// Meridian unit (1), Merlin Magix unit (6) and Inter-Tel unit (7) give the
// events of their calls, each lasts about a minute, and a second pass
// (zaqsim --loop) gives the same events again.
#include <gtest/gtest.h>

#include <sstream>

#include "PacketDriver.h"
#include "EventLog.h"
#include "Scenario.h"
#include "base/Trace.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
#include "decoders/FUJITSU.h"
#include "decoders/HICOMD.h"
#include "decoders/INTERTELD.h"
#include "decoders/MERLINMAGIXD.h"
#include "support/TempDir.h"
#include "unit/PacketFramer.h"

namespace {

// Frames the bytes a unit sends into packets for a driver's decoder.
template <typename Decoder>
class FramedFeed final : private PacketFramer::Receiver {
public:
    explicit FramedFeed(PacketDriver<Decoder>& driver)
        : driver_(driver), framer_(driver.context.StartChannel(), *this, &Trace)
    {
    }
    void Feed(const std::string& bytes)
    {
        framer_.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), driver_.clock.Now());
    }

private:
    void OnPacket(const FramedPacket& framed) override
    {
        driver_.Send(framed.Channel(), framed.Type(), std::vector<uint8_t>(framed.data, framed.data + framed.Length()));
    }
    void OnLine(std::string_view) override {}

    PacketDriver<Decoder>& driver_;
    PacketFramer framer_;
};

const char* const kDemo = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.scn";

struct Played {
    std::vector<std::string> passes;  // the event lines of each pass, without their times
    uint32_t durationMs = 0;          // of one pass
};

std::string WithoutTimes(const std::string& lines)
{
    std::istringstream in(lines);
    std::string out;
    std::string line;
    while (std::getline(in, line)) {
        out += line.substr(line.find(' ') + 1) + "\n";
    }
    return out;
}

// Plays a unit's items twice through its decoder, as the unit sends them.
template <typename Decoder>
Played PlayTwice(const std::vector<zaqsim::PlayItem>& items, uint32_t startChannel)
{
    PacketDriver<Decoder> driver(startChannel);
    FramedFeed<Decoder> unit(driver);
    Played played;
    for (int pass = 0; pass < 2; ++pass) {
        EventLog log(driver.decoder, driver.clock);
        driver.context.SetEventSink(log);
        for (const zaqsim::PlayItem& item : items) {
            driver.Advance(item.delayMs);
            played.durationMs += pass == 0 ? item.delayMs : 0;
            unit.Feed(item.bytes);
        }
        driver.Advance(1000);  // the last display timers
        played.passes.push_back(WithoutTimes(log.text));
    }
    return played;
}

// zaqsim --loop plays the list again: the second pass must give the same events.
void ExpectALoopOfAboutAMinute(const Played& played)
{
    EXPECT_EQ(played.passes[1], played.passes[0]);
    EXPECT_GE(played.durationMs, 50000u);
    EXPECT_LE(played.durationMs, 70000u);
}

// Whether `lines` holds every one of `wanted` in this order (other lines between them).
::testing::AssertionResult InOrder(const std::string& lines, const std::vector<std::string>& wanted)
{
    size_t at = 0;
    for (const std::string& line : wanted) {
        const size_t found = lines.find(line + "\n", at);
        if (found == std::string::npos) {
            return ::testing::AssertionFailure() << "missing (in order): " << line << "\nin:\n" << lines;
        }
        at = found + line.size();
    }
    return ::testing::AssertionSuccess();
}

// The event lines of a whole pass, each ended by a line feed.
std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

class DemoScenario : public testing::Test {
protected:
    void SetUp() override
    {
        scenario = zaqsim::ParseScenario(ReadWholeFile(kDemo));
        ASSERT_TRUE(scenario.errors.empty())
            << "line " << scenario.errors[0].line << ": " << scenario.errors[0].message;
        ASSERT_GE(scenario.units.size(), 2u);
    }
    zaqsim::Scenario scenario;
};

TEST_F(DemoScenario, DefinityUnitPlaysACallAndAnAbandonedOne)
{
    const Played played = PlayTwice<DEFINITY2D>(scenario.units[0], 1);
    EXPECT_TRUE(InOrder(played.passes[0], {
                                              "1 QXEVT_MESSAGE_CHANGE 0x33 \"Ann 4711      DEC 10  9:00\"",
                                              "1 QXEVT_OFFHOOK 0x0",
                                              "1 QXEVT_LIGHT_ON 0x100",
                                              "1 QXEVT_LIGHT_ON 0x200",
                                              "1 QXEVT_MESSAGE_CHANGE 0x33 \"a=4\"",
                                              "1 QXEVT_MESSAGE_CHANGE 0x33 \"a=4712\"",
                                              "2 QXEVT_LIGHT_FLASHING 0x100",
                                              "2 QXEVT_MESSAGE_CHANGE 0x33 \"a=Ann 4711\"",
                                              "1 QXEVT_MESSAGE_CHANGE 0x33 \"a=Bob 4712   RINGING\"",
                                              "2 QXEVT_OFFHOOK 0x0",
                                              "1 QXEVT_MESSAGE_CHANGE 0x33 \"a=Bob 4712\"",
                                              "2 QXEVT_HOLD_BUTTON_PRESSED 0x0",
                                              "2 QXEVT_LIGHT_FASTFLASHING 0x100",
                                              "2 QXEVT_FUNCTION_BUTTON_PRESSED 0x0",
                                              "1 QXEVT_MESSAGE_CHANGE 0x33 \"a=Bob 4712    ON HOLD\"",
                                              "1 QXEVT_LIGHT_ON 0x100",
                                              "1 QXEVT_ONHOOK 0x0",
                                              "1 QXEVT_LIGHT_OFF 0x100",
                                              "2 QXEVT_LIGHT_OFF 0x200",
                                              "2 QXEVT_ONHOOK 0x0",
                                              "3 QXEVT_LIGHT_FLASHING 0x101",
                                              "3 QXEVT_MESSAGE_CHANGE 0x33 \"b=OUTSIDE 0301234567\"",
                                              "3 QXEVT_LIGHT_OFF 0x101",
                                          }));
    ExpectALoopOfAboutAMinute(played);
}

TEST_F(DemoScenario, MeridianUnitPlaysACallWithHoldAndACallForward)
{
    const Played played = PlayTwice<DMERIDIAN>(scenario.units[1], 17);
    EXPECT_TRUE(InOrder(played.passes[0], {
                                              "17 QXEVT_DISPLAY_CLOCK 0x0",
                                              "17 QXEVT_OFFHOOK 0x0",
                                              "17 QXEVT_LIGHT_ON 0x0",
                                              "17 QXEVT_AUDIO_ON 0x1",
                                              "17 QXEVT_DIGIT_PRESSED 0x32",
                                              "17 QXEVT_DIGIT_RELEASED 0x32",
                                              "17 QXEVT_MESSAGE_CHANGE 0x33 \"2|\"",
                                              "17 QXEVT_MESSAGE_CHANGE 0x33 \"2002|\"",
                                              "18 QXEVT_RING_ON 0x0",
                                              "18 QXEVT_LIGHT_FLASHING 0x0",
                                              "18 QXEVT_MESSAGE_CHANGE 0x34 \"Carol 2001|\"",
                                              "17 QXEVT_MESSAGE_CHANGE 0x34 \"2002|Dave 2002 RINGING\"",
                                              "18 QXEVT_OFFHOOK 0x0",
                                              "18 QXEVT_RING_OFF 0x0",
                                              "18 QXEVT_LIGHT_ON 0x0",
                                              "17 QXEVT_MESSAGE_CHANGE 0x34 \"2002|Dave 2002\"",
                                              "18 QXEVT_HOLD_BUTTON_PRESSED 0x0",
                                              "18 QXEVT_LIGHT_FASTFLASHING 0x0",
                                              "18 QXEVT_FUNCTION_BUTTON_PRESSED 0x0",
                                              "17 QXEVT_ONHOOK 0x0",
                                              "17 QXEVT_DISPLAY_CLOCK 0x0",
                                              "18 QXEVT_DISPLAY_CLOCK 0x0",
                                              "18 QXEVT_ONHOOK 0x0",
                                              "22 QXEVT_CFWD 0x8",
                                              "22 QXEVT_SET_BUSY 0x0",
                                              "22 QXEVT_CFWD_CANCELED 0x0",
                                          }));
    ExpectALoopOfAboutAMinute(played);
}

TEST_F(DemoScenario, FujitsuUnitPlaysACallWithHold)
{
    ASSERT_GT(scenario.units.size(), 8u);
    const Played played = PlayTwice<FUJITSU>(scenario.units[8], 129);
    const std::string expected = Joined({
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|\"",
        "130 QXEVT_MESSAGE_CHANGE 0x2a \"Jack 5002 DEC10 9:00|\"",
        "129 QXEVT_OFFHOOK 0x0",
        "129 QXEVT_AUDIO_ON 0x1",
        "129 QXEVT_LIGHT_ON 0x100",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Dial\"",
        "129 QXEVT_DIGIT_PRESSED 0x35",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Dial 5\"",
        "129 QXEVT_DIGIT_PRESSED 0x30",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Dial 50\"",
        "129 QXEVT_DIGIT_PRESSED 0x30",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Dial 500\"",
        "129 QXEVT_DIGIT_PRESSED 0x32",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Dial 5002\"",
        "130 QXEVT_RING_ON 0x1",
        "130 QXEVT_LIGHT_FLASHING 0x100",
        "130 QXEVT_MESSAGE_CHANGE 0x2a \"Jack 5002 DEC10 9:00|Ivy 5001\"",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|\"",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Jack 5002 RINGING\"",
        "130 QXEVT_OFFHOOK 0x0",
        "130 QXEVT_RING_OFF 0x1",
        "130 QXEVT_LIGHT_ON 0x100",
        "130 QXEVT_AUDIO_ON 0x1",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|\"",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Jack 5002\"",
        "130 QXEVT_HOLD_BUTTON_PRESSED 0x0",
        "130 QXEVT_LIGHT_FASTFLASHING 0x100",
        "130 QXEVT_AUDIO_OFF 0x1",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Jack 5002 HOLD\"",
        "130 QXEVT_FUNCTION_BUTTON_PRESSED 0x0",
        "130 QXEVT_LIGHT_ON 0x100",
        "130 QXEVT_AUDIO_ON 0x1",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:00|Jack 5002\"",
        "129 QXEVT_ONHOOK 0x0",
        "129 QXEVT_AUDIO_OFF 0x1",
        "129 QXEVT_LIGHT_OFF 0x100",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:01|Jack 5002\"",
        "129 QXEVT_MESSAGE_CHANGE 0x2a \"Ivy 5001  DEC10 9:01|\"",
        "130 QXEVT_AUDIO_OFF 0x1",
        "130 QXEVT_LIGHT_OFF 0x100",
        "130 QXEVT_MESSAGE_CHANGE 0x2a \"Jack 5002 DEC10 9:01|Ivy 5001\"",
        "130 QXEVT_MESSAGE_CHANGE 0x2a \"Jack 5002 DEC10 9:01|\"",
        "130 QXEVT_ONHOOK 0x0",
    });
    EXPECT_EQ(played.passes[0], expected);
    ExpectALoopOfAboutAMinute(played);
}

TEST_F(DemoScenario, HicomUnitPlaysACallWithHold)
{
    ASSERT_GT(scenario.units.size(), 9u);
    const Played played = PlayTwice<HICOMD>(scenario.units[9], 145);
    const std::string expected = Joined({
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00||\"",
        "146 QXEVT_MESSAGE_CHANGE 0x33 \"Hank 3102   10 DEC 09:00||\"",
        "145 QXEVT_OFFHOOK 0x0",
        "145 QXEVT_AUDIO_ON 0x1",
        "145 QXEVT_AUDIO_OFF 0x3",
        "145 QXEVT_AUDIO_OFF 0x2",
        "145 QXEVT_AUDIO_OFF 0x4",
        "145 QXEVT_LIGHT_ON 0x100",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Dial|\"",
        "145 QXEVT_DIGIT_PRESSED 0x33",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Dial 3|\"",
        "145 QXEVT_DIGIT_PRESSED 0x31",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Dial 31|\"",
        "145 QXEVT_DIGIT_PRESSED 0x30",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Dial 310|\"",
        "145 QXEVT_DIGIT_PRESSED 0x32",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Dial 3102|\"",
        "146 QXEVT_RING_ON 0x2",
        "146 QXEVT_LIGHT_FLASHING 0x100",
        "146 QXEVT_MESSAGE_CHANGE 0x33 \"Hank 3102   10 DEC 09:00|Gina 3101|\"",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Hank 3102 RINGING|\"",
        "146 QXEVT_OFFHOOK 0x0",
        "146 QXEVT_RING_OFF 0x2",
        "146 QXEVT_LIGHT_ON 0x100",
        "146 QXEVT_AUDIO_ON 0x1",
        "146 QXEVT_AUDIO_OFF 0x3",
        "146 QXEVT_AUDIO_OFF 0x2",
        "146 QXEVT_AUDIO_OFF 0x4",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Hank 3102|\"",
        "146 QXEVT_FUNCTION_BUTTON_PRESSED 0x1",
        "146 QXEVT_FUNCTION_BUTTON_RELEASED 0x1",
        "146 QXEVT_LIGHT_FASTFLASHING 0x100",
        "146 QXEVT_AUDIO_OFF 0x2",
        "146 QXEVT_AUDIO_OFF 0x3",
        "146 QXEVT_AUDIO_OFF 0x1",
        "146 QXEVT_AUDIO_OFF 0x4",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Hank 3102 ON HOLD|\"",
        "146 QXEVT_FUNCTION_BUTTON_PRESSED 0x0",
        "146 QXEVT_FUNCTION_BUTTON_RELEASED 0x0",
        "146 QXEVT_LIGHT_ON 0x100",
        "146 QXEVT_AUDIO_ON 0x1",
        "146 QXEVT_AUDIO_OFF 0x3",
        "146 QXEVT_AUDIO_OFF 0x2",
        "146 QXEVT_AUDIO_OFF 0x4",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:00|Hank 3102|\"",
        "145 QXEVT_ONHOOK 0x0",
        "145 QXEVT_AUDIO_OFF 0x2",
        "145 QXEVT_AUDIO_OFF 0x3",
        "145 QXEVT_AUDIO_OFF 0x1",
        "145 QXEVT_AUDIO_OFF 0x4",
        "145 QXEVT_LIGHT_OFF 0x100",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:01|Hank 3102|\"",
        "145 QXEVT_MESSAGE_CHANGE 0x33 \"Gina 3101   10 DEC 09:01||\"",
        "146 QXEVT_AUDIO_OFF 0x2",
        "146 QXEVT_AUDIO_OFF 0x3",
        "146 QXEVT_AUDIO_OFF 0x1",
        "146 QXEVT_AUDIO_OFF 0x4",
        "146 QXEVT_LIGHT_OFF 0x100",
        "146 QXEVT_MESSAGE_CHANGE 0x33 \"Hank 3102   10 DEC 09:01|Gina 3101|\"",
        "146 QXEVT_MESSAGE_CHANGE 0x33 \"Hank 3102   10 DEC 09:01||\"",
        "146 QXEVT_ONHOOK 0x0",
        "145 QXEVT_LIGHT_OFF 0x100",
    });
    EXPECT_EQ(played.passes[0], expected);
    ExpectALoopOfAboutAMinute(played);
}

TEST_F(DemoScenario, MerlinUnitPlaysACallWithHold)
{
    ASSERT_GE(scenario.units.size(), 7u);
    const Played played = PlayTwice<MERLINMAGIXD>(scenario.units[6], 97);
    EXPECT_EQ(played.passes[0], ReadWholeFile(ZAQ_DECODER_FIXTURES "/demo_merlin.events"));
    ExpectALoopOfAboutAMinute(played);
}

TEST_F(DemoScenario, InterTelUnitPlaysACallWithHold)
{
    ASSERT_GE(scenario.units.size(), 8u);
    const Played played = PlayTwice<INTERTELD>(scenario.units[7], 113);
    EXPECT_EQ(played.passes[0], ReadWholeFile(ZAQ_DECODER_FIXTURES "/demo_intertel.events"));
    ExpectALoopOfAboutAMinute(played);
}

}  // namespace
