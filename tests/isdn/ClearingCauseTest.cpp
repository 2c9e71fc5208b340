// The cause a call's clearing events carry: a SETUP refused at once with
// RELEASE COMPLETE gives that message's cause; after DISCONNECT or RELEASE
// their cause stands.
#include <gtest/gtest.h>

#include "IsdnTestSupport.h"

using namespace isdntest;

namespace {

struct Step {
    bool fromCo;
    Bytes message;
};

struct Case {
    const char* what;
    std::vector<Step> steps;
    uint32_t event;
    uint32_t cause;
};

}  // namespace

TEST(ClearingCause, IsTheReasonTheCallEndedWith)
{
    // Outgoing calls use reference 5 without the flag from the CPE; incoming ones from the CO.
    const Case cases[] = {
        {"outgoing call refused at once by the network",
         {{false, Q931(5, kSetup, CalledNumber("5559999"))}, {true, Q931(0x85, kReleaseComplete, Cause(1))}},
         QXEVT_CALL_REJECTED,
         1},
        {"incoming call refused at once by the terminal",
         {{true, Q931(5, kSetup, ChannelB(1))}, {false, Q931(0x85, kReleaseComplete, Cause(17))}},
         QXEVT_CALL_REJECTED,
         17},
        {"outgoing call given up with RELEASE COMPLETE",
         {{false, Q931(5, kSetup, CalledNumber("5559999"))}, {false, Q931(5, kReleaseComplete, Cause(31))}},
         QXEVT_CALL_ABANDONED,
         31},
        {"refusal without a cause",
         {{false, Q931(5, kSetup, CalledNumber("5559999"))}, {true, Q931(0x85, kReleaseComplete)}},
         QXEVT_CALL_REJECTED,
         0},
        {"connected call: the cause of DISCONNECT stands",
         {{true, Q931(5, kSetup, ChannelB(1))},
          {false, Q931(0x85, kConnect)},
          {false, Q931(0x85, kDisconnect, Cause(16))},
          {true, Q931(5, kRelease)},
          {false, Q931(0x85, kReleaseComplete, Cause(31))}},
         QXEVT_CALL_RELEASED,
         16},
        {"connected call: the cause of RELEASE counts",
         {{true, Q931(5, kSetup, ChannelB(1))},
          {false, Q931(0x85, kConnect)},
          {true, Q931(5, kRelease, Cause(38))},
          {false, Q931(0x85, kReleaseComplete, Cause(31))}},
         QXEVT_CALL_RELEASED,
         38},
    };
    for (const Case& c : cases) {
        EventCollector events;
        isdn::IsdnMonitor monitor;
        ISDNPT frontEnd(monitor, events);
        ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u);
        Line line(frontEnd, 0);
        for (const Step& step : c.steps) {
            ASSERT_EQ(step.fromCo ? line.Co(step.message) : line.Cpe(step.message), 0u) << c.what;
        }
        const std::vector<RecordedEvent> recorded = events.Take();
        ASSERT_FALSE(recorded.empty()) << c.what;
        EXPECT_EQ(recorded.back().event.eventCode, c.event) << c.what;
        EXPECT_EQ(recorded.back().status.cause, c.cause) << c.what;
    }
}
