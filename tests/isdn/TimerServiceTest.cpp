#include <gtest/gtest.h>

#include "isdn/calls/CallStateMachine.h"
#include "isdn/datalink/ISDNPTDL.h"
#include "isdn/monitor/IsdnTimerService.h"

using isdn::IsdnTimerService;

namespace {

uint32_t Count(void* argument)
{
    ++*static_cast<int*>(argument);
    return 0;
}

// Arms timers of 1 to 10 ticks; how many have fired tells how many ticks ran.
struct TickCounter {
    explicit TickCounter(IsdnTimerService& timers)
    {
        for (uint32_t ticks = 1; ticks <= 10; ++ticks) {
            timers.Arm(ticks, Count, &fired);
        }
    }
    int fired = 0;
};

}  // namespace

TEST(IsdnTimerService, FiresOnItsLastTickAndFreesTheSlot)
{
    IsdnTimerService timers;
    int fired = 0;
    ASSERT_EQ(timers.Arm(3, Count, &fired), 0);
    timers.Tick();
    timers.Tick();
    EXPECT_EQ(fired, 0);
    timers.Tick();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(timers.InUseCount(), 0);
    timers.Tick();
    EXPECT_EQ(fired, 1);

    ASSERT_EQ(timers.Arm(0, Count, &fired), 0);
    timers.Tick();
    EXPECT_EQ(fired, 2);
}

TEST(IsdnTimerService, TakesTheFirstFreeSlotUntilAllThirtyTwoAreInUse)
{
    IsdnTimerService timers;
    int fired = 0;
    for (int32_t slot = 0; slot < IsdnTimerService::kSlotCount; ++slot) {
        ASSERT_EQ(timers.Arm(5, Count, &fired), slot);
    }
    EXPECT_EQ(timers.Arm(5, Count, &fired), -1);
    EXPECT_EQ(timers.Cancel(7), 0);
    EXPECT_EQ(timers.Arm(5, Count, &fired), 7);
    EXPECT_EQ(timers.Arm(5, nullptr, &fired), -1);
}

TEST(IsdnTimerService, CancelReportsBadAndUnusedSlots)
{
    IsdnTimerService timers;
    int fired = 0;
    EXPECT_EQ(timers.Cancel(32), -1);
    EXPECT_EQ(timers.Cancel(-1), -1);
    EXPECT_EQ(timers.Cancel(3), -2);
    const int32_t slot = timers.Arm(1, Count, &fired);
    EXPECT_EQ(timers.Cancel(slot), 0);
    EXPECT_EQ(timers.Cancel(slot), -2);
    timers.Tick();
    EXPECT_EQ(fired, 0);
}

TEST(IsdnTimerService, RearmCancelsTheRunningTimerFirst)
{
    IsdnTimerService timers;
    int fired = 0;
    int32_t slot = -1;
    timers.Rearm(slot, 2, Count, &fired);
    timers.Rearm(slot, 2, Count, &fired);
    EXPECT_EQ(timers.InUseCount(), 1);
    timers.Tick();
    timers.Tick();
    EXPECT_EQ(fired, 1);
}

TEST(IsdnTimerService, AdvanceRunsOneTickPerFull100Milliseconds)
{
    struct Step {
        uint32_t nowMs;
        int ticksSoFar;
    };
    const Step steps[] = {
        {1000, 0},  // the first call sets the reference
        {1099, 0},
        {1250, 2},
        {1299, 2},  // the 50 ms left over are kept
        {1300, 3},
        {1300, 3},  // a second front end with the same clock adds nothing
        {1200, 3},  // a clock read earlier by another thread adds nothing
        {1705, 7},
    };
    IsdnTimerService timers;
    TickCounter counter(timers);
    for (const Step& step : steps) {
        timers.Advance(step.nowMs);
        EXPECT_EQ(counter.fired, step.ticksSoFar) << "at " << step.nowMs;
    }
}

TEST(IsdnTimerService, AdvanceCrossesTheWrapOfTheMillisecondClock)
{
    IsdnTimerService timers;
    TickCounter counter(timers);
    timers.Advance(0xFFFFFFC0u);
    timers.Advance(0x00000024u);
    EXPECT_EQ(counter.fired, 1);
}

TEST(IsdnTimerService, EveryRoutineRefusesAMissingArgument)
{
    EXPECT_EQ(ISDNPTDL::CpeTimerExpired(nullptr), 0xE0090004u);
    EXPECT_EQ(ISDNPTDL::CoTimerExpired(nullptr), 0xE0090004u);
    for (uint32_t timer = 0; timer < isdn::kCallTimerCount; ++timer) {
        EXPECT_EQ(isdn::CallTimerRoutine(static_cast<isdn::CallTimer>(timer))(nullptr), 0xE0090004u) << timer;
    }
}
