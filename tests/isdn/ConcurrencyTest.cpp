// Two reader threads feed two front ends (the two boards of a system) while
// an application thread copies call status and statistics. Run under the
// sanitizers to see the locking hold.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "IsdnTestSupport.h"

using namespace isdntest;

namespace {

constexpr int kCallsPerThread = 1600;
constexpr uint32_t kLinesPerBoard = 8;

// Calls numbered by their reference: calling and connected numbers are the reference in digits.
void FeedCalls(ISDNPT& frontEnd, uint32_t firstLine)
{
    std::vector<Line> lines;
    for (uint32_t i = 0; i < kLinesPerBoard; ++i) {
        lines.emplace_back(frontEnd, firstLine + i, 64);
    }
    for (int call = 0; call < kCallsPerThread; ++call) {
        Line& line = lines[call % kLinesPerBoard];
        const uint8_t ref = static_cast<uint8_t>(call % 120 + 1);
        const uint8_t answer = static_cast<uint8_t>(ref | 0x80);
        const std::string digits = std::to_string(ref);
        const uint8_t bChannel = static_cast<uint8_t>(call % 2 + 1);
        ASSERT_EQ(line.Co(Q931(ref, kSetup, ChannelB(bChannel) + CallingNumber(digits))), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kAlerting)), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kConnect, ConnectedNumber(digits))), 0u);
        ASSERT_EQ(line.Co(Q931(ref, kConnectAcknowledge)), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kDisconnect, Cause(16))), 0u);
        ASSERT_EQ(line.Co(Q931(ref, kRelease)), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kReleaseComplete)), 0u);
        if (call % 16 == 0) {
            frontEnd.Tick();
        }
    }
}

// A copy taken in the middle of a message would show a state its fields do not match.
void ExpectWhole(const ZAQ16_CALL_STATUS& status)
{
    if (status.callState == 0) {
        return;
    }
    const std::string digits = std::to_string(status.callRef);
    ASSERT_EQ(std::string(status.callingNumber.digits), digits) << "state " << status.callState;
    if (status.callState == 10 || status.callState == 11) {
        ASSERT_EQ(std::string(status.connectedNumber.digits), digits) << "state " << status.callState;
    }
}

// Reads the call's status again from inside the event delivery, as an
// application callback may.
class ReenteringSink : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        const auto* record = static_cast<const ZAQ16_CALL_STATUS*>(event.callRecord);
        ZAQ16_CALL_STATUS status{};
        if (frontEnd != nullptr && event.eventCode == QXEVT_CALL_CONNECTED &&
            frontEnd->GetStatusByRef(record->callRef, &status) == 0 && status.callState == record->callState) {
            ++consistentReads;
        }
        return 0;
    }
    ISDNPT* frontEnd = nullptr;
    int consistentReads = 0;
};

// The application's view: every call event of every board, in the order it arrived.
class ApplicationLog {
public:
    struct Entry {
        uint32_t code;
        uint32_t channel;
        uint32_t callRef;
    };
    void Add(const ZAQ16_EVENT& event)
    {
        const auto* record = static_cast<const ZAQ16_CALL_STATUS*>(event.callRecord);
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back({event.eventCode, event.channel, record->callRef});
    }
    std::vector<Entry> Entries()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_;
    }

private:
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

// A board's event delivery into the application's log. It can stall on the
// first event of one kind, until resumed or for at most `stallFor`, as a
// reader thread may be held up between making an event and handing it to the
// application, or an application's callback may take its time.
class BoardSink : public EventSink {
public:
    explicit BoardSink(ApplicationLog& log) : log_(log) {}
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        if (stallOn != 0 && event.eventCode == stallOn) {
            stallOn = 0;
            std::unique_lock<std::mutex> lock(mutex_);
            stalled_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, stallFor, [this] { return resumed_; });
        }
        log_.Add(event);
        return 0;
    }
    bool WaitUntilStalled()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return stalled_; });
    }
    void Resume()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        resumed_ = true;
        changed_.notify_all();
    }

    std::atomic<uint32_t> stallOn{0};
    std::chrono::milliseconds stallFor{300};

private:
    ApplicationLog& log_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stalled_ = false;
    bool resumed_ = false;
};

}  // namespace

// A call of board 0 waits for its data link (T309); the timer table is the
// process's, so board 1's reader thread runs the expiry. Meanwhile board 0's
// reader sees the next call on the same channel connect. The application
// must learn of the release first.
TEST(IsdnConcurrency, AnExpiryOnAnotherBoardsThreadKeepsItsPlaceOnTheChannel)
{
    ApplicationLog log;
    BoardSink boardZero(log);
    BoardSink boardOne(log);
    isdn::IsdnMonitor monitor;
    ISDNPT first(monitor, boardZero);
    ISDNPT second(monitor, boardOne, 16);
    ASSERT_EQ(first.Start(1, 32, 16), 0u);
    ASSERT_EQ(second.Start(1, 32, 16), 0u);
    Line line(first, 0, 64);
    ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x81, kConnect)), 0u);
    // The terminal's link goes down (DISC, UA): the Active call starts T309.
    ASSERT_EQ(line.CpeFrame(Frame(0, 0, 64, {0x53})), 0u);
    ASSERT_EQ(line.CoFrame(Frame(0, 0, 64, {0x73})), 0u);

    boardOne.stallOn = QXEVT_CALL_RELEASED;
    std::thread readerOne([&] {
        for (int tick = 0; tick < 900; ++tick) {
            second.Tick();
        }
    });
    ASSERT_TRUE(boardOne.WaitUntilStalled());
    // Board 0's reader, after the expiry: the next call on B1.
    EXPECT_EQ(line.Co(Q931(2, kSetup, ChannelB(1))), 0u);
    EXPECT_EQ(line.Cpe(Q931(0x82, kConnect)), 0u);
    boardOne.Resume();
    readerOne.join();

    std::vector<std::pair<uint32_t, uint32_t>> channelOne;
    for (const ApplicationLog::Entry& entry : log.Entries()) {
        EXPECT_EQ(entry.channel, 1u);
        channelOne.emplace_back(entry.code, entry.callRef);
    }
    EXPECT_EQ(channelOne, (std::vector<std::pair<uint32_t, uint32_t>>{
                              {QXEVT_CALL_CONNECTED, 1}, {QXEVT_CALL_RELEASED, 1}, {QXEVT_CALL_CONNECTED, 2}}));
}

// The events of a board wait for an earlier board's callback only for a
// while: a callback that does not return stops no other board.
TEST(IsdnConcurrency, AStuckCallbackHoldsUpAnotherBoardOnlyForAWhile)
{
    ApplicationLog log;
    BoardSink boardZero(log);
    BoardSink boardOne(log);
    isdn::IsdnMonitor monitor;
    ISDNPT first(monitor, boardZero);
    ISDNPT second(monitor, boardOne, 16);
    ASSERT_EQ(first.Start(1, 32, 16), 0u);
    ASSERT_EQ(second.Start(1, 32, 16), 0u);
    boardOne.stallOn = QXEVT_CALL_CONNECTED;
    boardOne.stallFor = std::chrono::seconds(60);
    std::thread readerOne([&] {
        Line line(second, 8, 64);
        EXPECT_EQ(line.Co(Q931(9, kSetup, ChannelB(1))), 0u);
        EXPECT_EQ(line.Cpe(Q931(0x89, kConnect)), 0u);
    });
    ASSERT_TRUE(boardOne.WaitUntilStalled());
    Line line(first, 0, 64);
    for (uint8_t ref = 1; ref <= 3; ++ref) {
        EXPECT_EQ(line.Co(Q931(ref, kSetup, ChannelB(1))), 0u);
        EXPECT_EQ(line.Cpe(Q931(static_cast<uint8_t>(ref | 0x80), kConnect)), 0u);
    }
    std::vector<uint32_t> channels;
    for (const ApplicationLog::Entry& entry : log.Entries()) {
        channels.push_back(entry.channel);
    }
    EXPECT_EQ(channels, (std::vector<uint32_t>{1, 1, 1})) << "board 0's calls while board 1's callback still runs";
    boardOne.Resume();
    readerOne.join();
    EXPECT_EQ(log.Entries().size(), 4u);
}

namespace {

constexpr uint32_t kLinesUnderLoad = 4;
constexpr int kCallsUnderLoad = 160;

// A receiver that is sometimes slow to take an event, as a busy application is.
class SlowApplicationSink : public EventSink {
public:
    explicit SlowApplicationSink(ApplicationLog& log) : log_(log) {}
    uint32_t Post(const ZAQ16_EVENT& event) override
    {
        if (++count_ % 3 == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        log_.Add(event);
        return 0;
    }

private:
    ApplicationLog& log_;
    std::atomic<int> count_{0};
};

// One board's reader: calls on B1 of its lines, each cleared by a RELEASE
// the CPE repeats until T308 ends it. The next call on a line starts once
// the previous one is gone. Both readers tick the shared timer table, so a
// call's T308 runs out on either thread.
void FeedCallsEndedByT308(ISDNPT& frontEnd, uint32_t firstLine)
{
    std::vector<Line> lines;
    for (uint32_t i = 0; i < kLinesUnderLoad; ++i) {
        lines.emplace_back(frontEnd, firstLine + i, 64);
    }
    for (int call = 0; call < kCallsUnderLoad; ++call) {
        const uint32_t index = static_cast<uint32_t>(call) % kLinesUnderLoad;
        Line& line = lines[index];
        const uint32_t channel = 2 * (firstLine + index) + 1;
        for (int wait = 0;; ++wait) {
            ZAQ16_CALL_STATUS status{};
            const uint32_t result = frontEnd.GetStatusByCh(channel, &status);
            if (result != 0 || status.callState == 0) {
                break;
            }
            ASSERT_LT(wait, 100000) << "the previous call on channel " << channel << " never ended";
            frontEnd.Tick();
        }
        const uint8_t ref = static_cast<uint8_t>(call % 100 + 1);
        const uint8_t answer = static_cast<uint8_t>(ref | 0x80);
        ASSERT_EQ(line.Co(Q931(ref, kSetup, ChannelB(1))), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kConnect)), 0u);
        ASSERT_EQ(line.Co(Q931(ref, kDisconnect, Cause(16))), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kRelease)), 0u);
        ASSERT_EQ(line.Cpe(Q931(answer, kRelease)), 0u);
        frontEnd.Tick();
    }
}

}  // namespace

// Two boards under load: on every channel the application sees each call
// connect and then end, and the next call connect only after that.
TEST(IsdnConcurrency, UnderLoadEveryChannelsEventsKeepTheirOrder)
{
    ApplicationLog log;
    SlowApplicationSink boardZero(log);
    SlowApplicationSink boardOne(log);
    isdn::IsdnMonitor monitor;
    ISDNPT first(monitor, boardZero);
    ISDNPT second(monitor, boardOne, 16);
    ASSERT_EQ(first.Start(1, 32, 60), 0u);
    ASSERT_EQ(second.Start(1, 32, 60), 0u);
    std::thread readerZero([&] { FeedCallsEndedByT308(first, 0); });
    std::thread readerOne([&] { FeedCallsEndedByT308(second, 8); });
    readerZero.join();
    readerOne.join();
    for (int tick = 0; tick < 40; ++tick) {
        first.Tick();
    }

    std::map<uint32_t, std::vector<ApplicationLog::Entry>> byChannel;
    for (const ApplicationLog::Entry& entry : log.Entries()) {
        byChannel[entry.channel].push_back(entry);
    }
    ASSERT_EQ(byChannel.size(), 2 * kLinesUnderLoad);
    for (const auto& [channel, entries] : byChannel) {
        ASSERT_EQ(entries.size(), 2u * kCallsUnderLoad / kLinesUnderLoad) << "channel " << channel;
        for (size_t i = 0; i < entries.size(); i += 2) {
            ASSERT_EQ(entries[i].code, QXEVT_CALL_CONNECTED) << "channel " << channel << ", event " << i;
            ASSERT_EQ(entries[i + 1].code, QXEVT_CALL_RELEASED) << "channel " << channel << ", event " << i + 1;
            ASSERT_EQ(entries[i + 1].callRef, entries[i].callRef) << "channel " << channel << ", event " << i + 1;
        }
    }
}

TEST(IsdnConcurrency, TwoReaderThreadsAndAnApplicationThread)
{
    EventCollector boardZero;
    EventCollector boardOne;
    isdn::IsdnMonitor monitor;
    ISDNPT first(monitor, boardZero);
    ISDNPT second(monitor, boardOne);
    ASSERT_EQ(first.Start(1, 32, 60), 0u);
    ASSERT_EQ(second.Start(1, 32, 60), 0u);
    std::atomic<bool> feeding{true};
    std::atomic<int> copies{0};

    std::thread application([&] {
        while (feeding) {
            for (uint32_t channel = 1; channel <= 32; ++channel) {
                ZAQ16_CALL_STATUS status{};
                ISDNPT& frontEnd = channel <= 16 ? first : second;
                if (frontEnd.GetStatusByCh(channel, &status) == 0) {
                    ExpectWhole(status);
                }
                if (frontEnd.GetStatusByRef(channel, &status) == 0) {
                    ExpectWhole(status);
                }
                ZAQ16_CALL_STATISTICS statistics{};
                frontEnd.GetStatistics(channel, &statistics);
                ++copies;
            }
        }
    });
    std::thread readerZero([&] { FeedCalls(first, 0); });
    std::thread readerOne([&] { FeedCalls(second, kLinesPerBoard); });
    readerZero.join();
    readerOne.join();
    feeding = false;
    application.join();

    EXPECT_GT(copies.load(), 0);
    for (EventCollector* events : {&boardZero, &boardOne}) {
        int connected = 0;
        int released = 0;
        for (const RecordedEvent& recorded : events->Take()) {
            connected += recorded.event.eventCode == QXEVT_CALL_CONNECTED;
            released += recorded.event.eventCode == QXEVT_CALL_RELEASED;
        }
        EXPECT_EQ(connected, kCallsPerThread);
        EXPECT_EQ(released, kCallsPerThread);
    }
    ZAQ16_CALL_STATISTICS statistics{};
    ASSERT_EQ(second.GetStatistics(17, &statistics), 0u);
    EXPECT_EQ(statistics.incomingCalls, static_cast<uint32_t>(kCallsPerThread / kLinesPerBoard));
}

TEST(IsdnConcurrency, AnEventCallbackMayReadTheStatus)
{
    ReenteringSink sink;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, sink);
    sink.frontEnd = &frontEnd;
    ASSERT_EQ(frontEnd.Start(1, 32, 60), 0u);
    Line line(frontEnd, 0, 64);
    ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x81, kConnect)), 0u);
    EXPECT_EQ(sink.consistentReads, 1);
}
