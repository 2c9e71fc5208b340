// Many producers posting at once: in polling mode every event is queued once and
// each producer's events keep their order; in callback mode the callback runs
// for one event at a time and sees every event.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/EventDelivery.h"
#include "core/LinkState.h"

namespace {

constexpr uint32_t kProducers = 6;
constexpr uint32_t kEventsEach = 3000;

void PostFromManyThreads(std::atomic<uint32_t>& lost)
{
    std::vector<std::thread> producers;
    for (uint32_t board = 0; board < kProducers; ++board) {
        producers.emplace_back([board, &lost] {
            for (uint32_t i = 0; i < kEventsEach; ++i) {
                ZAQ16_EVENT event{};
                event.board = board;
                event.param = i;
                if (SendEvent(&event) == 0xFFFFFFFFu) {
                    ++lost;
                }
            }
        });
    }
    for (std::thread& producer : producers) {
        producer.join();
    }
}

TEST(EventPosting, QueueKeepsEveryEventOfEveryProducerInItsOrder)
{
    Link().eventCallback = nullptr;
    CreateEventQueue();
    std::atomic<uint32_t> lost{0};
    PostFromManyThreads(lost);
    EXPECT_EQ(lost, 0u);

    std::vector<uint32_t> next(kProducers, 0);
    uint32_t taken = 0;
    ZAQ16_EVENT event{};
    while (TakeQueuedEvent(event) == ZAQ16_RET_SUCCESS) {
        ASSERT_LT(event.board, kProducers);
        EXPECT_EQ(event.param, next[event.board]) << "board " << event.board;
        next[event.board] = event.param + 1;
        ++taken;
    }
    EXPECT_EQ(taken, kProducers * kEventsEach);
    DestroyEventQueue();
}

std::atomic<int> insideCallback{0};
std::atomic<int> overlaps{0};
std::atomic<uint32_t> delivered{0};

uint32_t QXZAQ_CALL CountOneAtATime(ZAQ16_EVENT*)
{
    if (insideCallback.fetch_add(1) != 0) {
        ++overlaps;
    }
    ++delivered;
    insideCallback.fetch_sub(1);
    return 0;
}

TEST(EventPosting, CallbackRunsForOneEventAtATimeAndGetsThemAll)
{
    delivered = 0;
    overlaps = 0;
    Link().eventCallback = CountOneAtATime;
    std::atomic<uint32_t> lost{0};
    PostFromManyThreads(lost);
    Link().eventCallback = nullptr;
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(delivered, kProducers * kEventsEach);
}

}  // namespace
