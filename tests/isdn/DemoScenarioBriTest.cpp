// The demo scenario's ISDN unit (unit 2, the third board): its frames played
// through a BRI port as zaqsim sends them, twice as --loop does, give the
// events of an incoming and an outgoing call that are answered, held,
// retrieved and cleared, and no frame is refused.
#include <gtest/gtest.h>

#include "BriPortDriver.h"
#include "Scenario.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"

using namespace isdntest;

namespace {

const char* const kDemo = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.scn";
constexpr size_t kIsdnUnit = 2;
constexpr uint32_t kThirdBoardStart = 33;

struct CallEvent {
    uint32_t code;
    uint32_t channel;
    uint32_t callRef;
    uint32_t cause;
    std::string calling;
    std::string called;
    bool operator==(const CallEvent&) const = default;
};

void PrintTo(const CallEvent& event, std::ostream* out)
{
    *out << "{" << event.code << ", channel " << event.channel << ", call " << event.callRef << ", cause "
         << event.cause << ", " << event.calling << " -> " << event.called << "}";
}

}  // namespace

TEST(DemoScenarioBri, AnIncomingAndAnOutgoingCallOnEveryPass)
{
    const zaqsim::Scenario scenario = zaqsim::ParseScenario(ReadWholeFile(kDemo));
    ASSERT_TRUE(scenario.errors.empty()) << scenario.errors[0].line << ": " << scenario.errors[0].message;
    ASSERT_GT(scenario.units.size(), kIsdnUnit);
    const std::vector<zaqsim::PlayItem>& items = scenario.units[kIsdnUnit];

    TraceCapture trace;
    BriPortDriver driver(kThirdBoardStart);
    uint32_t passMs = 0;
    for (const zaqsim::PlayItem& item : items) {
        passMs += item.delayMs;
    }
    EXPECT_LE(passMs, 60'000u) << "a pass fits the demo's minute";

    const std::vector<CallEvent> expected = {
        {QXEVT_CALL_ALERTING, 33, 1, 0, "5550123", "2001"},
        {QXEVT_CALL_CONNECTED, 33, 1, 0, "5550123", "2001"},
        {QXEVT_CALL_HELD, 33, 1, 0, "5550123", "2001"},
        {QXEVT_CALL_RETRIEVED, 33, 1, 0, "5550123", "2001"},
        {QXEVT_CALL_RELEASED, 33, 1, 16, "5550123", "2001"},
        {QXEVT_CALL_ALERTING, 34, 2, 0, "2002", "5554321"},
        {QXEVT_CALL_CONNECTED, 34, 2, 0, "2002", "5554321"},
        {QXEVT_CALL_HELD, 34, 2, 0, "2002", "5554321"},
        {QXEVT_CALL_RETRIEVED, 34, 2, 0, "2002", "5554321"},
        {QXEVT_CALL_RELEASED, 34, 2, 16, "2002", "5554321"},
    };
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(testing::Message() << "pass " << pass + 1);
        for (const zaqsim::PlayItem& item : items) {
            driver.Advance(item.delayMs);
            driver.Feed(Bytes(item.bytes.begin(), item.bytes.end()));
        }
        std::vector<CallEvent> seen;
        std::string display;
        for (const RecordedEvent& recorded : driver.events.Take()) {
            EXPECT_EQ(recorded.event.board, 2u);
            if (recorded.event.eventCode == QXEVT_CALL_USER_INFO) {
                display = reinterpret_cast<const char*>(recorded.userInfo.bytes);
                continue;
            }
            seen.push_back({recorded.event.eventCode, recorded.event.channel, recorded.status.callRef,
                            recorded.status.cause, recorded.status.callingNumber.digits,
                            recorded.status.calledNumber.digits});
        }
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(display, "ALICE") << "the caller's name travels as user information";
    }
    EXPECT_EQ(trace.Count("HDLCFrameRcvd Err"), 0u) << trace.Text();
}
