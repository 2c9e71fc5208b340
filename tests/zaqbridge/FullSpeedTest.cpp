// zaqbridge while events stream at full speed (a recording played without
// pauses, the broker acknowledging as fast as it can): SIGTERM, a broker that
// goes away and one that comes back end or recover in a bounded time, in the
// link's order, with every event published or counted.
#include "BridgeFixture.h"
#include "support/RepeatedDump.h"

namespace {

const std::string kDemoDump = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.dmp";
// 100 plays of the demo: about 43,000 events, far more than the 300 in flight.
constexpr int kRepetitions = 100;
// Events received before the test interferes: the stream is well under way.
constexpr size_t kUnderWay = 2000;

// The demo recording with its records repeated, their time stamps zeroed so that they follow without gaps.
std::string WriteRepeatedDemo(const TempDir& dir)
{
    const std::string path = dir.File("repeated.dmp");
    EXPECT_TRUE(WriteRepeatedDump(kDemoDump, path, kRepetitions));
    return path;
}

long long NumberBefore(const std::string& output, const std::string& marker)
{
    const size_t at = output.find(marker);
    if (at == std::string::npos) {
        return 0;
    }
    const size_t start = output.find_last_not_of("0123456789", at - 1) + 1;
    return std::stoll(output.substr(start, at - start));
}

long long TakenFromLink(const std::string& output)
{
    const std::string marker = "stopped; ";
    const size_t at = output.find(marker);
    return at == std::string::npos ? -1 : std::stoll(output.substr(at + marker.size()));
}

// "offline" is the bridge's last word; checking only the newest message keeps the wait cheap.
bool EndsOffline(const std::vector<ReceivedMessage>& messages)
{
    return !messages.empty() && messages.back().payload == "offline" &&
           CountTopicsEndingWith({messages.back()}, "/status") == 1;
}

// Events only: channel states and status come between them, more of them on a busy machine.
bool UnderWay(const std::vector<ReceivedMessage>& messages)
{
    return messages.size() >= kUnderWay && CountTopicsEndingWith(messages, "/event") >= kUnderWay;
}

using FullSpeedTest = BridgeFixture;

TEST_F(FullSpeedTest, SigtermEndsTheBridgeInBoundedTimeAndEveryEventIsPublishedOrCounted)
{
    const std::string dump = WriteRepeatedDemo(dir);
    MqttSubscriber subscriber(broker->Port(), "zaq16/fast/#");
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    auto bridge = StartBridge("fast", {"--play", dump, "--time-mode", "0", "--buffer", "100000"});
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(subscriber.WaitFor(UnderWay, 30000)) << bridge->Output();

    bridge->Interrupt();
    ASSERT_EQ(bridge->Wait(30000), 0) << bridge->Output();
    const std::string output = bridge->Output();
    const long long taken = TakenFromLink(output);
    ASSERT_GE(taken, static_cast<long long>(kUnderWay)) << output;
    ASSERT_TRUE(subscriber.WaitFor(EndsOffline, 15000)) << output;

    // Events leave in the link's order: what arrived is 1..n, and the rest is reported.
    const std::vector<PublishedEvent> events = EventsOf(subscriber.Messages());
    const std::set<long long> sequences = SequencesOf(events);
    const long long unpublished = NumberBefore(output, " event(s) not published");
    ASSERT_FALSE(sequences.empty());
    EXPECT_EQ(*sequences.begin(), 1);
    EXPECT_EQ(static_cast<long long>(sequences.size()), *sequences.rbegin()) << "a gap in the sequence";
    // A broker slower than the bounded waits leaves messages unacknowledged: those are named too.
    const long long unacknowledged = NumberBefore(output, " message(s) sent but not acknowledged");
    EXPECT_LE(static_cast<long long>(sequences.size()) + unpublished, taken) << output;
    EXPECT_GE(static_cast<long long>(sequences.size()) + unpublished + unacknowledged, taken) << output;
    EXPECT_TRUE(InOrderPerChannel(events));
}

TEST_F(FullSpeedTest, ABrokerGoneMidStreamLeavesTheBridgeStoppableInBoundedTime)
{
    const std::string dump = WriteRepeatedDemo(dir);
    MqttSubscriber subscriber(broker->Port(), "zaq16/gone/#");
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    auto bridge = StartBridge("gone", {"--play", dump, "--time-mode", "0", "--buffer", "5000"});
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(subscriber.WaitFor(UnderWay, 30000)) << bridge->Output();

    broker->Stop();
    ASSERT_TRUE(bridge->WaitForOutput("connection to the broker lost", 10000)) << bridge->Output();
    bridge->Interrupt();
    // Buffered events wait their bounded time for the broker, then are reported.
    ASSERT_EQ(bridge->Wait(30000), 0) << bridge->Output();
    const std::string output = bridge->Output();
    EXPECT_GT(NumberBefore(output, " event(s) not published"), 0) << output;
    // Those handed to libmosquitto and never acknowledged are named too (at least "offline").
    EXPECT_GT(NumberBefore(output, " message(s) sent but not acknowledged"), 0) << output;
    EXPECT_GT(TakenFromLink(output), static_cast<long long>(kUnderWay)) << output;
    EXPECT_TRUE(InOrderPerChannel(EventsOf(subscriber.Messages())));
}

TEST_F(FullSpeedTest, ABrokerRestartMidStreamLosesNothingWithinTheBuffer)
{
    const std::string dump = WriteRepeatedDemo(dir);
    // A lasting session: the broker keeps for the subscriber what came while it reconnected.
    MqttSubscriber subscriber(broker->Port(), "zaq16/back/#", "full-speed-subscriber", true);
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    auto bridge =
        StartBridge("back", {"--play", dump, "--time-mode", "0", "--buffer", "100000", "--reconnect-min", "1"});
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(subscriber.WaitFor(UnderWay, 30000)) << bridge->Output();

    broker->Stop();
    ASSERT_TRUE(bridge->WaitForOutput("connection to the broker lost", 10000)) << bridge->Output();
    ASSERT_TRUE(broker->Restart()) << broker->Output();
    // The play ends, the buffer drains to the broker, and the bridge ends by itself.
    const int code = bridge->Wait(90000);
    const std::string output = bridge->Output();
    ASSERT_EQ(code, 0) << output;
    const long long taken = TakenFromLink(output);
    ASSERT_GT(taken, static_cast<long long>(kUnderWay)) << output;
    ASSERT_TRUE(subscriber.WaitFor(EndsOffline, 30000)) << output;

    const std::vector<PublishedEvent> events = EventsOf(subscriber.Messages());
    const std::set<long long> sequences = SequencesOf(events);
    EXPECT_EQ(static_cast<long long>(sequences.size()), taken) << output;
    EXPECT_TRUE(InOrderPerChannel(events));
    EXPECT_EQ(output.find("dropped"), std::string::npos) << output;
}

}  // namespace
