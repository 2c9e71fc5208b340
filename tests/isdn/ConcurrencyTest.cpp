// Two reader threads feed two front ends (the two boards of a system) while
// an application thread copies call status and statistics. Run under the
// sanitizers to see the locking hold.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

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

}  // namespace

TEST(IsdnConcurrency, TwoReaderThreadsAndAnApplicationThread)
{
    EventCollector boardZero;
    EventCollector boardOne;
    ISDNPT first(boardZero);
    ISDNPT second(boardOne);
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
    ISDNPT frontEnd(sink);
    sink.frontEnd = &frontEnd;
    ASSERT_EQ(frontEnd.Start(1, 32, 60), 0u);
    Line line(frontEnd, 0, 64);
    ASSERT_EQ(line.Co(Q931(1, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line.Cpe(Q931(0x81, kConnect)), 0u);
    EXPECT_EQ(sink.consistentReads, 1);
}
