// Event delivery through the real library: polling order across boards, the
// delivery time stamp, callback mode, time-outs, read-back from inside a
// callback, and the D-channel switches.
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "LinkFixture.h"
#include "platform/Clock.h"
#include "qxzaqlnk.h"

namespace {

using namespace std::chrono_literals;

struct Delivered {
    std::mutex lock;
    std::vector<ZAQ16_EVENT> events;
    std::atomic<uint32_t> slowBoard{0xFFFFFFFF};
    std::atomic<uint32_t> readBackResult{0};
    std::atomic<int64_t> readBackMs{-1};
    std::atomic<bool> readBack{false};
    std::atomic<uint32_t> throwOnChannel{0};
};

Delivered* delivered = nullptr;

uint32_t QXZAQ_CALL Collect(ZAQ16_EVENT* event)
{
    if (event->channel != 0 && event->channel == delivered->throwOnChannel) {
        throw std::runtime_error("the application's callback failed");
    }
    if (event->board == delivered->slowBoard.exchange(0xFFFFFFFF)) {
        std::this_thread::sleep_for(3500ms);
    }
    if (delivered->readBack) {
        const uint32_t start = platform::TickCount();
        ZAQ16_PHONE_STATUS status;
        char text[64];
        QXZAQGetMessage(1 + 16 * event->board, text, sizeof text);
        delivered->readBackResult = QXZAQGetPhoneStatus(1 + 16 * event->board, &status);
        delivered->readBackMs = platform::TickCount() - start;
    }
    std::lock_guard<std::mutex> guard(delivered->lock);
    delivered->events.push_back(*event);
    return 7;
}

class EventDelivery : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        delivered = &sink;
    }
    void TearDown() override
    {
        LinkFixture::TearDown();
        delivered = nullptr;
    }
    size_t DeliveredCount()
    {
        std::lock_guard<std::mutex> guard(sink.lock);
        return sink.events.size();
    }
    bool WaitForDelivered(size_t count, int ms = 3000)
    {
        for (int waited = 0; waited < ms; waited += 5) {
            if (DeliveredCount() >= count) {
                return true;
            }
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }
    // Polls until an event comes (at most `ms`).
    uint32_t Poll(ZAQ16_EVENT& event, int ms = 2000)
    {
        uint32_t result = ZAQ16_RET_NO_EVENT;
        for (int waited = 0; waited < ms && result == ZAQ16_RET_NO_EVENT; waited += 5) {
            result = QXZAQGetEvent(&event.reserved0, &event.timeStamp, &event.eventCode, &event.param, &event.board,
                                   &event.channel);
            if (result == ZAQ16_RET_NO_EVENT) {
                std::this_thread::sleep_for(5ms);
            }
        }
        return result;
    }

    Delivered sink;
};

TEST_F(EventDelivery, PollingGivesTheEventsOfTwoBoardsInTheOrderTheyWereQueued)
{
    ASSERT_EQ(StartLinkWith(2), 2u);
    const uint32_t before = platform::TickCount();
    sim->SendNotice(0, 5, true);
    std::this_thread::sleep_for(50ms);
    sim->SendNotice(1, 7, false);
    std::this_thread::sleep_for(50ms);
    sim->SendNotice(0, 6, true);
    std::this_thread::sleep_for(100ms);
    const uint32_t after = platform::TickCount();

    const struct {
        uint32_t code, board, channel;
    } expected[] = {{QXEVT_STARTSTOP_ON, 0, 5}, {QXEVT_STARTSTOP_OFF, 1, 7}, {QXEVT_STARTSTOP_ON, 0, 6}};
    for (const auto& want : expected) {
        ZAQ16_EVENT event{};
        ASSERT_EQ(Poll(event), ZAQ16_RET_SUCCESS);
        EXPECT_EQ(event.eventCode, want.code);
        EXPECT_EQ(event.board, want.board);
        EXPECT_EQ(event.channel, want.channel);
        EXPECT_EQ(event.reserved0, 0u);
        // Stamped when the library delivered it, by the system tick.
        EXPECT_GE(event.timeStamp - before, 0u);
        EXPECT_LE(event.timeStamp - before, after - before);
    }
    uint32_t words[6] = {0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0xEEEE, 0xFFFF};
    EXPECT_EQ(QXZAQGetEvent(&words[0], &words[1], &words[2], &words[3], &words[4], &words[5]), ZAQ16_RET_NO_EVENT);
    EXPECT_EQ(words[0], 0xAAAAu);
    EXPECT_EQ(words[5], 0xFFFFu);
    EXPECT_EQ(QXZAQGetEvent(nullptr, &words[1], &words[2], &words[3], &words[4], &words[5]),
              ZAQ16_RET_INVALID_PARAM);
}

TEST_F(EventDelivery, CallbackModeLeavesTheQueueEmptyAndTracesEachEvent)
{
    ASSERT_EQ(StartLinkWith(1, Collect, 3), 1u);
    sim->SendNotice(0, 1, true);
    sim->SendNotice(0, 2, false);
    sim->SendNotice(0, 3, true);
    ASSERT_TRUE(WaitForDelivered(3));
    ZAQ16_EVENT event{};
    EXPECT_EQ(Poll(event, 100), ZAQ16_RET_NO_EVENT);
    const std::string trace = TraceText();
    size_t lines = 0;
    for (size_t at = trace.find("INFO   -SendEvent       ("); at != std::string::npos;
         at = trace.find("INFO   -SendEvent       (", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 3u);
    EXPECT_NE(trace.find("Board 0, Channel 2 QXEVT_STARTSTOP_OFF \n"), std::string::npos) << trace;
}

TEST_F(EventDelivery, SlowCallbackMakesAnotherBoardsEventTimeOutWithoutDeadlock)
{
    ASSERT_EQ(StartLinkWith(2, Collect, 3), 2u);
    sink.slowBoard = 0;
    sim->SendNotice(0, 1, true);
    std::this_thread::sleep_for(200ms);
    sim->SendNotice(1, 2, true);
    ASSERT_TRUE(WaitForDelivered(1, 5000));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(DeliveredCount(), 1u);
    EXPECT_NE(TraceText().find("ERROR  -SendEvent       !!!! Timed Out !!!"), std::string::npos);
    // Delivery goes on afterwards.
    sim->SendNotice(1, 3, false);
    ASSERT_TRUE(WaitForDelivered(2));
    EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
}

// An exception out of the application's callback stops at the library's edge:
// a FATAL line, the event is lost, the reader and the delivery go on.
TEST_F(EventDelivery, ThrowingCallbackLosesOnlyItsEvent)
{
    ASSERT_EQ(StartLinkWith(2, Collect, 3), 2u);
    sink.throwOnChannel = 2;
    sim->SendNotice(0, 2, true);
    std::this_thread::sleep_for(200ms);
    sim->SendNotice(0, 3, true);
    sim->SendNotice(1, 4, true);
    ASSERT_TRUE(WaitForDelivered(2, 2000));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(DeliveredCount(), 2u);
    const std::string trace = TraceText();
    EXPECT_NE(trace.find("FATAL  -SendEvent       Exception stopped at the library's edge: the application's callback failed"),
              std::string::npos)
        << trace;
    EXPECT_EQ(trace.find("Timed Out"), std::string::npos);
}

TEST_F(EventDelivery, CallbackMayReadBackItsOwnPortAtOnce)
{
    ASSERT_EQ(StartLinkWith(1, Collect), 1u);
    sink.readBack = true;
    sim->SendNotice(0, 4, true);
    ASSERT_TRUE(WaitForDelivered(1));
    EXPECT_EQ(sink.readBackResult, ZAQ16_RET_SUCCESS);
    EXPECT_LT(sink.readBackMs, 500);
}

TEST_F(EventDelivery, StoppingTheLinkWhileUnitsKeepSendingIsSafe)
{
    ASSERT_EQ(StartLinkWith(2), 2u);
    std::atomic<bool> done{false};
    std::thread noisy([this, &done] {
        for (uint32_t n = 0; !done; ++n) {
            sim->SendNotice(n % 2, n % 16, n % 3 == 0);
            std::this_thread::sleep_for(1ms);
        }
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
    ZAQ16_EVENT event{};
    EXPECT_EQ(Poll(event, 50), ZAQ16_RET_NO_EVENT);
    EXPECT_EQ(QXZAQStartLink(nullptr), 2u);
    EXPECT_EQ(Poll(event), ZAQ16_RET_SUCCESS);
    done = true;
    noisy.join();
}

TEST_F(EventDelivery, EnableDChEventsAsksFirstAndSendsNothingWhenOutputIsOn)
{
    ASSERT_EQ(StartLinkWith(1), 1u);
    sim->ClearCommandLog(0);
    EXPECT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(sim->CommandLog(0), (std::vector<std::string>{"GETDCHANNELSTATUS", "ENRAW"}));
    EXPECT_TRUE(sim->RawOutput(0));
    sim->ClearCommandLog(0);
    EXPECT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(sim->CommandLog(0), std::vector<std::string>{"GETDCHANNELSTATUS"});
    EXPECT_EQ(QXZAQDisableDChEvents(0), ZAQ16_RET_SUCCESS);
    EXPECT_FALSE(sim->RawOutput(0));
    EXPECT_EQ(QXZAQGetDChannelStatus(0), 0u);
    EXPECT_EQ(QXZAQEnableDChEvents(1), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(QXZAQDisableDChEvents(1), ZAQ16_RET_INVALID_PARAM);
}

TEST_F(EventDelivery, EnableDChEventsSendsEnrawWhenTheUnitGivesNoStatus)
{
    ASSERT_EQ(StartLinkWith(1), 1u);
    sim->SetSilentCommands(0, {"GETDCHANNELSTATUS"});
    sim->ClearCommandLog(0);
    EXPECT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(sim->CommandLog(0), (std::vector<std::string>{"GETDCHANNELSTATUS", "ENRAW"}));
    EXPECT_TRUE(sim->RawOutput(0));
}

TEST_F(EventDelivery, EventUpdateSwitchAnswersZero)
{
    ASSERT_EQ(StartLinkWith(1), 1u);
    EXPECT_EQ(QXZAQDisableEventUpdates(), 0u);
    EXPECT_EQ(QXZAQEnableEventUpdates(), 0u);
}

}  // namespace
