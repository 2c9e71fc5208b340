// What the decoders share: the posting rule, UpdatePhoneState with its lamp
// banks and named-lamp pairs, and the per-channel display timers.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/TraceWriter.h"
#include "decoders/DisplayTimers.h"
#include "decoders/PhoneStateTracker.h"
#include "decoders/PostingRule.h"
#include "support/FakeClock.h"
#include "support/TraceCapture.h"

namespace {

TEST(PostingRule, StatesArePostedWhenChangedOrWhileUpdatesAreOn)
{
    struct Case {
        EventState state;
        bool off;
        bool on;
    };
    const Case cases[] = {
        {EventState::None, false, false},
        {EventState::Stateless, true, true},
        {EventState::Changed, true, true},
        {EventState::Repeated, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShouldPost(c.state, 0), c.off) << static_cast<int>(c.state);
        EXPECT_EQ(ShouldPost(c.state, 1), c.on) << static_cast<int>(c.state);
    }
}

// ---------------------------------------------------------------- UpdatePhoneState

class UpdatePhoneState : public testing::Test {
protected:
    uint32_t Update(uint32_t code, uint32_t param = 0, uint8_t channel = 2)
    {
        ZAQ16_EVENT event{};
        event.eventCode = code;
        event.param = param;
        return tracker.UpdatePhoneState(channel, event);
    }

    platform::Lock lock{1};
    ZAQ16_PHONE_STATUS status[16]{};
    PhoneStatusRecorder recorder{lock, status, 1};
    PhoneStateTracker tracker{recorder};
};

TEST_F(UpdatePhoneState, LampsStartOffInEveryBank)
{
    EXPECT_EQ(Update(QXEVT_LIGHT_OFF, 5), 1u);
    EXPECT_EQ(Update(QXEVT_LIGHT_OFF, 0x205), 1u);
    EXPECT_EQ(Update(QXEVT_LIGHT_ON, 5), 0u);
    EXPECT_EQ(Update(QXEVT_LIGHT_ON, 5), 1u);
}

TEST_F(UpdatePhoneState, ColourChoosesTheBank)
{
    struct Case {
        uint32_t param;
        std::vector<uint32_t> entries;  // wide-table entries the event writes
    };
    const Case cases[] = {
        {0x07, {7}},            // no colour: bank 0
        {0x107, {7}},           // green: bank 0
        {0x207, {255 + 7}},     // red: bank 1
        {0x307, {7, 255 + 7}},  // both
        {0x407, {}},            // neither colour bit and above 255: no bank
    };
    for (const Case& c : cases) {
        PhoneStateTracker fresh{recorder};
        ZAQ16_EVENT event{};
        event.eventCode = QXEVT_LIGHT_FLASHING;
        event.param = c.param;
        EXPECT_EQ(fresh.UpdatePhoneState(0, event), 0u) << std::hex << c.param;
        for (uint32_t index = 0; index < PhoneStateTracker::kWideEntries; ++index) {
            const bool written = std::find(c.entries.begin(), c.entries.end(), index) != c.entries.end();
            ASSERT_EQ(fresh.WideLamp(0, index).code, written ? QXEVT_LIGHT_FLASHING : QXEVT_LIGHT_OFF)
                << std::hex << c.param << " entry " << std::dec << index;
            if (written) {
                EXPECT_EQ(fresh.WideLamp(0, index).param, c.param);
            }
        }
    }
}

TEST_F(UpdatePhoneState, LampRepeatComparesTheCodeOnly)
{
    Update(QXEVT_LIGHT_ON, 0x105);
    EXPECT_EQ(Update(QXEVT_LIGHT_ON, 0x005), 1u);
}

TEST_F(UpdatePhoneState, BothBanksRepeatOnlyWhenBothDid)
{
    Update(QXEVT_LIGHT_ON, 0x105);
    EXPECT_EQ(Update(QXEVT_LIGHT_ON, 0x305), 0u);
    EXPECT_EQ(Update(QXEVT_LIGHT_ON, 0x305), 1u);
}

TEST_F(UpdatePhoneState, LineLampsHaveATableOfTheirOwn)
{
    EXPECT_EQ(Update(QXEVT_LINE_LIGHT_OFF, 3), 1u);
    EXPECT_EQ(Update(QXEVT_LINE_LIGHT_ON, 0x203), 0u);
    EXPECT_EQ(tracker.LineLamp(2, 255 + 3).code, QXEVT_LINE_LIGHT_ON);
    EXPECT_EQ(tracker.WideLamp(2, 255 + 3).code, QXEVT_LIGHT_OFF);
    EXPECT_EQ(Update(QXEVT_LINE_LIGHT_QUICKFLASH, 0x203), 0u);
}

TEST_F(UpdatePhoneState, HookAndRingGoToThePhoneStatus)
{
    EXPECT_EQ(Update(QXEVT_OFFHOOK), 0u);
    EXPECT_EQ(Update(QXEVT_OFFHOOK), 1u);
    EXPECT_EQ(Update(QXEVT_RING_ON), 0u);
    EXPECT_EQ(Update(QXEVT_RING_ON), 1u);
    EXPECT_EQ(status[2].hookState, QXEVT_OFFHOOK);
    EXPECT_EQ(status[2].ringState, QXEVT_RING_ON);
    EXPECT_EQ(status[3].hookState, 0u);
}

TEST_F(UpdatePhoneState, NamedLampPairsCompareCodeAndParameter)
{
    const uint32_t families[] = {QXEVT_FEATURE_LIGHT_OFF, QXEVT_SPEAKER_LIGHT_OFF, QXEVT_RING_LIGHT_OFF,
                                 QXEVT_ANSWER_LIGHT_OFF, QXEVT_CONFERENCE_LIGHT_OFF};
    for (const uint32_t off : families) {
        EXPECT_EQ(Update(off + 1, 4), 0u) << std::hex << off;
        EXPECT_EQ(Update(off + 1, 4), 1u) << std::hex << off;
        EXPECT_EQ(Update(off + 1, 5), 0u) << std::hex << off;
        EXPECT_EQ(Update(off + 5, 5), 0u) << std::hex << off;
    }
    EXPECT_EQ(tracker.Pair(2, PhoneStateTracker::kRingLight).code, QXEVT_RING_LIGHT_QUICKFLASH);
    EXPECT_EQ(tracker.Pair(2, PhoneStateTracker::kRingLight).param, 5u);
}

TEST_F(UpdatePhoneState, OtherCodesAreNotKept)
{
    for (const uint32_t code : {QXEVT_DIGIT_PRESSED, QXEVT_MESSAGE_CHANGE, QXEVT_HOLD_LIGHT_ON, QXEVT_LINE_LIGHT_OFF + 6u}) {
        EXPECT_EQ(Update(code, 1), 0u) << std::hex << code;
        EXPECT_EQ(Update(code, 1), 0u) << std::hex << code;
    }
}

// ---------------------------------------------------------------- display timers

class Timers : public testing::Test {
protected:
    DisplayTimers Make(DisplayTimers::Numbering set, DisplayTimers::Numbering fired, int32_t level)
    {
        return DisplayTimers(queue, 17, {300, set, fired, level, "TimerCompletionTEST"},
                             [this](uint8_t channel) { expired.push_back(channel); });
    }

    FakeClock clock;
    platform::TimerQueue queue{clock};
    std::vector<uint8_t> expired;
};

TEST_F(Timers, FireOnceAfterTheLastArming)
{
    TraceCapture trace;
    DisplayTimers timers = Make(DisplayTimers::Numbering::Local, DisplayTimers::Numbering::Local, TRACE_DEBUG);
    timers.Arm(4);
    clock.Advance(200);
    timers.Arm(4);
    clock.Advance(299);
    queue.RunDue();
    EXPECT_TRUE(expired.empty());
    clock.Advance(1);
    queue.RunDue();
    EXPECT_EQ(expired, std::vector<uint8_t>{4});
    EXPECT_FALSE(timers.Armed(4));
    EXPECT_EQ(trace.Count("TIMER CREATED for 300 ms for 21"), 1u) << trace.Text();
    EXPECT_EQ(trace.Count("TIMER SET for 300 ms for 4"), 2u);
    EXPECT_EQ(trace.Count("DEBUG  -TimerCompletionTEST TIMER FIRED after 300 ms for 4"), 1u);
}

TEST_F(Timers, ChannelNumberingAndLevelAreTheDecoders)
{
    TraceCapture trace;
    DisplayTimers timers = Make(DisplayTimers::Numbering::Absolute, DisplayTimers::Numbering::LocalPlusOne, TRACE_INFO);
    timers.Arm(4);
    clock.Advance(300);
    queue.RunDue();
    EXPECT_TRUE(trace.Contains("TIMER SET for 300 ms for 21")) << trace.Text();
    EXPECT_TRUE(trace.Contains("INFO   -TimerCompletionTEST TIMER FIRED after 300 ms for 5"));
}

TEST_F(Timers, CancelledTimerDoesNotFireAndIsCreatedAgain)
{
    TraceCapture trace;
    DisplayTimers timers = Make(DisplayTimers::Numbering::Local, DisplayTimers::Numbering::Local, TRACE_DEBUG);
    timers.Arm(1);
    timers.Cancel(1);
    timers.Cancel(1);
    clock.Advance(1000);
    queue.RunDue();
    EXPECT_TRUE(expired.empty());
    timers.Arm(1);
    EXPECT_EQ(trace.Count("TIMER CREATED"), 2u);
}

TEST_F(Timers, ChannelsRunApart)
{
    DisplayTimers timers = Make(DisplayTimers::Numbering::Local, DisplayTimers::Numbering::Local, TRACE_DEBUG);
    timers.Arm(0);
    clock.Advance(100);
    timers.Arm(15);
    clock.Advance(200);
    queue.RunDue();
    EXPECT_EQ(expired, std::vector<uint8_t>{0});
    clock.Advance(100);
    queue.RunDue();
    EXPECT_EQ(expired, (std::vector<uint8_t>{0, 15}));
}

TEST_F(Timers, GoingAwayReleasesEveryArmedTimer)
{
    {
        DisplayTimers timers = Make(DisplayTimers::Numbering::Local, DisplayTimers::Numbering::Local, TRACE_DEBUG);
        timers.Arm(2);
        timers.Arm(9);
        EXPECT_EQ(queue.ArmedCount(), 2u);
    }
    EXPECT_EQ(queue.ArmedCount(), 0u);
    clock.Advance(1000);
    EXPECT_EQ(queue.RunDue(), 0);
}

}  // namespace
