// A port's reader thread as its owners see it: stopped from several threads at
// once, stopped from its own thread, stopped when it has already ended.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "unit/Live.h"

namespace {

using namespace std::chrono_literals;

// Runs until asked to stop; with `lingerMs`, takes that long to wind down.
class BusyLive : public CLive {
public:
    explicit BusyLive(uint32_t lingerMs = 0) : lingerMs_(lingerMs) {}
    void Main() override
    {
        while (!StopRequested()) {
            platform::SleepMs(1);
        }
        platform::SleepMs(lingerMs_);
        ++ends;
    }
    std::atomic<int> ends{0};

private:
    uint32_t lingerMs_;
};

struct StopperCase {
    const char* name;
    int stoppers;
    uint32_t lingerMs;
};

class LiveStoppedByManyThreads : public testing::TestWithParam<StopperCase> {};

// Every stopper returns once the thread has ended, none joins it a second time.
TEST_P(LiveStoppedByManyThreads, AllReturnTrueAndTheThreadEndsOnce)
{
    const StopperCase& param = GetParam();
    for (int round = 0; round < 20; ++round) {
        auto live = std::make_shared<BusyLive>(param.lingerMs);
        ASSERT_TRUE(live->StartThread(0));
        std::atomic<bool> go{false};
        std::atomic<int> stoppedTrue{0};
        std::vector<std::thread> stoppers;
        for (int i = 0; i < param.stoppers; ++i) {
            stoppers.emplace_back([&, i] {
                while (!go) {
                    std::this_thread::yield();
                }
                // Half of them only wait, as a second owner does.
                const bool ended = (i % 2 == 0) ? live->StopThread(10000) : (live->RequestStop(), live->WaitForEnd(10000));
                stoppedTrue += ended ? 1 : 0;
            });
        }
        go = true;
        for (std::thread& stopper : stoppers) {
            stopper.join();
        }
        EXPECT_EQ(stoppedTrue.load(), param.stoppers) << "round " << round;
        EXPECT_EQ(live->ends.load(), 1);
        EXPECT_FALSE(live->ThreadRunning());
    }
}

INSTANTIATE_TEST_SUITE_P(Stoppers, LiveStoppedByManyThreads,
                         testing::Values(StopperCase{"TwoAtOnce", 2, 0}, StopperCase{"FourAtOnce", 4, 0},
                                         StopperCase{"TwoWhileItWindsDown", 2, 30}),
                         [](const testing::TestParamInfo<StopperCase>& info) { return info.param.name; });

TEST(LiveThread, WaitingAgainAfterTheEndReturnsAtOnce)
{
    auto live = std::make_shared<BusyLive>();
    ASSERT_TRUE(live->StartThread(0));
    EXPECT_TRUE(live->StopThread(5000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(live->StopThread(5000));
    EXPECT_TRUE(live->WaitForEnd(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

// A thread that outlasts one owner's wait is still waited for by the next.
TEST(LiveThread, AnOwnerWhoGaveUpLeavesTheThreadToTheNextWaiter)
{
    auto live = std::make_shared<BusyLive>(300);
    ASSERT_TRUE(live->StartThread(0));
    EXPECT_FALSE(live->StopThread(20));
    EXPECT_TRUE(live->WaitForEnd(10000));
    EXPECT_EQ(live->ends.load(), 1);
}

// Stopping from the thread itself only asks; the last reference may go on it.
class SelfStoppingLive : public CLive {
public:
    SelfStoppingLive() = default;
    void Main() override
    {
        selfStop = StopThread(1000);
        done = true;
    }
    std::atomic<bool> selfStop{false};
    std::atomic<bool> done{false};
};

TEST(LiveThread, StopFromItsOwnThreadOnlyAsksAndTheObjectGoesWithTheThread)
{
    std::weak_ptr<SelfStoppingLive> watched;
    {
        auto live = std::make_shared<SelfStoppingLive>();
        watched = live;
        ASSERT_TRUE(live->StartThread(0));
        while (!live->done) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_TRUE(live->selfStop);
    }
    for (int i = 0; i < 5000 && !watched.expired(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(watched.expired());
}

}  // namespace
