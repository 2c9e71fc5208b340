// The application's callback blocks for 5 s on one board's event: the other
// boards' events wait their bounded time and are lost with a trace line each,
// the entries keep answering, a stop is not held up for good, and delivery
// resumes afterwards.
#include <atomic>
#include <thread>

#include "DrillBench.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kBlock = 5s;

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

class StuckCallbackDrill : public DrillBench {
protected:
    // The first event of board 0 holds the callback for kBlock.
    void BlockOnBoardZero()
    {
        OnEvent([this](const ZAQ16_EVENT& event) {
            if (event.board == 0 && !blocked.exchange(true)) {
                std::this_thread::sleep_for(kBlock);
                released = true;
            }
        });
    }
    std::atomic<bool> blocked{false};
    std::atomic<bool> released{false};
};

TEST_F(StuckCallbackDrill, OtherBoardsLoseEventsWithATraceLineEachThenDeliveryResumes)
{
    ASSERT_EQ(StartLinkWith(3, Deliver, 3), 3u);
    BlockOnBoardZero();
    sim->SendNotice(0, 1, true);
    ASSERT_TRUE(WaitUntil([this] { return blocked.load(); }, 3000));
    const auto blockStart = Clock::now();

    // Boards 1 and 2 keep sending while the callback is stuck.
    size_t sent = 0;
    for (int n = 0; n < 8; ++n) {
        sim->SendNotice(1, 2 + n, true);
        sim->SendNotice(2, 2 + n, false);
        sent += 2;
        std::this_thread::sleep_for(100ms);
    }
    // The entries answer meanwhile; none waits past its own bound.
    for (uint32_t board : {0u, 1u, 2u}) {
        const auto asked = Clock::now();
        QXZAQGetBusType(board);
        EXPECT_LT(Clock::now() - asked, 8s) << "board " << board;
    }
    ZAQ16_PHONE_STATUS status;
    EXPECT_EQ(QXZAQGetPhoneStatus(20, &status), ZAQ16_RET_SUCCESS);

    ASSERT_TRUE(WaitUntil([this] { return released.load(); }, 15000));
    EXPECT_GE(Clock::now() - blockStart, kBlock - 500ms);
    // Every event of boards 1 and 2 was either delivered or lost with its line.
    ASSERT_TRUE(WaitUntil(
        [&] { return CountOf(1) + CountOf(2) + ::CountOf(TraceText(), "!!!! Timed Out !!!") >= sent; }, 10000));
    const size_t lost = ::CountOf(TraceText(), "!!!! Timed Out !!!");
    EXPECT_GE(lost, 1u);
    EXPECT_EQ(CountOf(1) + CountOf(2) + lost, sent) << TraceText();

    // Delivery resumes on every board, the stuck one included.
    const size_t before[3] = {CountOf(0), CountOf(1), CountOf(2)};
    for (size_t unit = 0; unit < 3; ++unit) {
        sim->SendNotice(unit, 15, true);
    }
    EXPECT_TRUE(WaitUntil([&] { return CountOf(0) > before[0] && CountOf(1) > before[1] && CountOf(2) > before[2]; },
                          3000));
    EXPECT_EQ(::CountOf(TraceText(), "!!!! Timed Out !!!"), lost);
}

// The link is stopped from another thread while the callback is stuck: the
// stop returns once the callback does, and the link starts again.
TEST_F(StuckCallbackDrill, StopWhileTheCallbackIsStuckReturnsAndTheLinkStartsAgain)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 3), 2u);
    BlockOnBoardZero();
    sim->SendNotice(0, 1, true);
    ASSERT_TRUE(WaitUntil([this] { return blocked.load(); }, 3000));
    sim->SendNotice(1, 2, true);

    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
        stopped = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return stopped.load(); }, 20000));
    stopper.join();
    EXPECT_TRUE(released);

    OnEvent(nullptr);
    ASSERT_EQ(QXZAQStartLink(Deliver), 2u);
    const size_t before = CountOf(1);
    sim->SendNotice(1, 3, true);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(1) > before; }, 3000));
}

// The callback itself stops the link while another board's event waits.
TEST_F(StuckCallbackDrill, StopFromInsideTheCallbackWhileAnotherBoardWaits)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 3), 2u);
    std::atomic<bool> stoppedInside{false};
    std::atomic<uint32_t> stopResult{0xFFFFFFFFu};
    OnEvent([&](const ZAQ16_EVENT& event) {
        if (event.board == 0 && !stoppedInside.exchange(true)) {
            std::this_thread::sleep_for(300ms);
            stopResult = QXZAQStopLink();
        }
    });
    sim->SendNotice(0, 1, true);
    sim->SendNotice(1, 2, true);
    ASSERT_TRUE(WaitUntil([&] { return stopResult.load() != 0xFFFFFFFFu; }, 20000));
    EXPECT_EQ(stopResult.load(), ZAQ16_RET_SUCCESS);
    OnEvent(nullptr);
    EXPECT_EQ(QXZAQStartLink(Deliver), 2u);
}

}  // namespace
