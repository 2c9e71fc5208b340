#include <gtest/gtest.h>

#include "LinePacer.h"
#include "support/FakeClock.h"

using zaqsim::LinePacer;

TEST(LinePacer, LineRateAllowsElevenThousandFiveHundredTwentyBytesASecond)
{
    FakeClock clock;
    LinePacer pacer(clock, zaqsim::kLineBytesPerSecond);
    size_t sent = 0;
    for (int ms = 0; ms < 1000; ++ms) {
        const size_t budget = pacer.Budget();
        pacer.Spend(budget);
        sent += budget;
        clock.Advance(1);
    }
    // One second at line rate, plus at most the first burst.
    EXPECT_GE(sent, 11500u);
    EXPECT_LE(sent, 11520u + 231u);
}

TEST(LinePacer, WaitsForCreditAndNeverHoardsMoreThanABurst)
{
    FakeClock clock;
    LinePacer pacer(clock, 1000.0);  // one byte per millisecond
    pacer.Spend(pacer.Budget());
    EXPECT_EQ(pacer.Budget(), 0u);
    EXPECT_EQ(pacer.MsUntilBudget(10), 10);
    clock.Advance(10);
    EXPECT_EQ(pacer.Budget(), 10u);
    clock.Advance(60000);
    EXPECT_EQ(pacer.Budget(), 64u);
}

TEST(LinePacer, UnpacedHasNoLimit)
{
    FakeClock clock;
    LinePacer pacer(clock, 0);
    EXPECT_FALSE(pacer.Paced());
    pacer.Spend(1 << 20);
    EXPECT_EQ(pacer.Budget(), SIZE_MAX);
    EXPECT_EQ(pacer.MsUntilBudget(1 << 20), 0);
}
