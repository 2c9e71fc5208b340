// zaqbridge against a real mosquitto broker: every event of the units reaches a
// subscriber in order, a late subscriber sees every channel's state, a broker
// restart loses nothing within the buffer and reports what went beyond it, and
// two sites on one broker stay apart.
#include <sstream>

#include "BridgeFixture.h"
#include "PlaySource.h"
#include "Scenario.h"

namespace {

const std::string kDemoDump = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.dmp";
const std::string kDemoScenario = ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.scn";

// zaqmon's JSON objects for the demo recording, per channel, without time stamps.
std::map<long long, std::vector<std::string>> ZaqmonDemoEvents()
{
    const auto [code, output] = platform::RunProgram(
        {std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon", "--json", "--play", kDemoDump, "--time-mode", "0"},
        {}, 60000);
    EXPECT_EQ(code, 0) << output;
    std::map<long long, std::vector<std::string>> events;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("{\"code\":", 0) == 0) {
            events[JsonNumber(line, "channel")].push_back(BridgeFixture::WithoutTimeStamp(line));
        }
    }
    return events;
}

std::map<long long, std::vector<std::string>> PerChannel(const std::vector<PublishedEvent>& events)
{
    std::map<long long, std::vector<std::string>> channels;
    for (const PublishedEvent& event : events) {
        channels[event.channel].push_back(event.json);
    }
    return channels;
}

// The last payload on a topic ending with `suffix`.
std::string LastPayload(const std::vector<ReceivedMessage>& messages, const std::string& suffix)
{
    std::string payload;
    for (const ReceivedMessage& message : messages) {
        if (CountTopicsEndingWith({message}, suffix) == 1) {
            payload = message.payload;
        }
    }
    return payload;
}

long long TakenFromLink(const std::string& output)
{
    const std::string marker = "stopped; ";
    const size_t at = output.find(marker);
    return at == std::string::npos ? -1 : std::stoll(output.substr(at + marker.size()));
}

using BrokerTest = BridgeFixture;

TEST_F(BrokerTest, ThePlayedDemoReachesTheSubscriberAsZaqmonShowsItAndLateSubscribersSeeEveryState)
{
    MqttSubscriber subscriber(broker->Port(), "zaq16/A/#");
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    const auto [code, output] = RunBridge("A", {"--play", kDemoDump, "--time-mode", "0"});
    ASSERT_EQ(code, 0) << output;
    const long long taken = TakenFromLink(output);
    ASSERT_GT(taken, 0) << output;
    ASSERT_TRUE(subscriber.WaitFor([&](const auto& all) { return LastPayload(all, "/status") == "offline"; }, 10000));

    const std::vector<PublishedEvent> events = EventsOf(subscriber.Messages());
    EXPECT_EQ(static_cast<long long>(SequencesOf(events).size()), taken);
    EXPECT_TRUE(InOrderPerChannel(events));
    // The boards play at once: only their end notices (channel 0) may come in another order.
    auto published = PerChannel(events);
    auto shown = ZaqmonDemoEvents();
    std::sort(published[0].begin(), published[0].end());
    std::sort(shown[0].begin(), shown[0].end());
    EXPECT_EQ(published, shown);
    for (const PublishedEvent& event : events) {
        EXPECT_EQ(event.topic, "zaq16/A/" + std::to_string(JsonNumber(event.json, "board")) + "/" +
                                   std::to_string(event.channel) + "/event");
    }

    // A dashboard that connects now gets one retained state per channel at once.
    MqttSubscriber late(broker->Port(), "zaq16/A/+/+/state");
    std::set<long long> channelsWithEvents;
    for (const PublishedEvent& event : events) {
        if (event.channel != 0) {
            channelsWithEvents.insert(event.channel);
        }
    }
    ASSERT_TRUE(late.WaitFor([&](const auto& all) { return all.size() >= channelsWithEvents.size(); }, 10000));
    std::map<long long, std::string> states;
    for (const ReceivedMessage& message : late.Messages()) {
        EXPECT_TRUE(message.retained) << message.topic;
        states[JsonNumber(message.payload, "channel")] = message.payload;
    }
    EXPECT_EQ(states.size(), channelsWithEvents.size());
    // The Definity sets hung up with their lamps off; the ISDN calls keep their numbers.
    EXPECT_NE(states[1].find("\"hook\":\"ONHOOK\""), std::string::npos) << states[1];
    EXPECT_NE(states[1].find("\"display\":\"Ann 4711"), std::string::npos) << states[1];
    EXPECT_NE(states[33].find("\"callingNumber\":\"5550123\""), std::string::npos) << states[33];
    EXPECT_NE(states[34].find("\"calledNumber\":\"5554321\""), std::string::npos) << states[34];

    MqttSubscriber status(broker->Port(), "zaq16/A/status");
    ASSERT_TRUE(status.WaitFor([](const auto& all) { return !all.empty(); }, 10000));
    EXPECT_EQ(status.Messages().front().payload, "offline");
}

TEST_F(BrokerTest, LiveUnitsPlayingTheDemoReachTheSubscriberInOrderPerChannel)
{
    StartUnits({"Definity2D", "MeridianD", "ISDN4WD"});
    // The demo's first three units; the scenario holds more, of other PBX families.
    const zaqsim::PlaySource demo = zaqsim::LoadScenarioFile(kDemoScenario, zaqsim::kMaxUnits, 0.05);
    ASSERT_TRUE(demo.error.empty()) << demo.error;
    MqttSubscriber subscriber(broker->Port(), "zaq16/live/#");
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    auto bridge = StartBridge("live");
    ASSERT_TRUE(bridge);
    for (size_t unit = 0; unit < 3; ++unit) {
        ASSERT_TRUE(sim->WaitForCommand(unit, "ENRAW", 15000)) << bridge->Output();
        sim->Play(unit, demo.units[unit]);
    }
    for (size_t unit = 0; unit < 3; ++unit) {
        ASSERT_TRUE(sim->WaitUntilSent(unit, 60000));
    }
    // Display texts follow their packets after a short quiet time.
    ASSERT_TRUE(subscriber.WaitFor([](const auto& all) { return CountTopicsEndingWith(all, "/34/event") > 0; }, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    bridge->Interrupt();
    ASSERT_EQ(bridge->Wait(20000), 0) << bridge->Output();
    const long long taken = TakenFromLink(bridge->Output());
    ASSERT_GT(taken, 0) << bridge->Output();
    ASSERT_TRUE(subscriber.WaitFor([&](const auto& all) { return LastPayload(all, "/status") == "offline"; }, 10000));

    const std::vector<PublishedEvent> events = EventsOf(subscriber.Messages());
    const std::set<long long> sequences = SequencesOf(events);
    ASSERT_EQ(static_cast<long long>(sequences.size()), taken);
    EXPECT_EQ(*sequences.begin(), 1);
    EXPECT_EQ(*sequences.rbegin(), taken);
    EXPECT_TRUE(InOrderPerChannel(events));
    const auto channels = PerChannel(events);
    for (const long long channel : {1, 2, 17, 18, 33, 34}) {
        EXPECT_TRUE(channels.count(channel)) << "no event of channel " << channel;
    }
    EXPECT_EQ(LastPayload(subscriber.Messages(), "/dropped"), "0");
    // The link was stopped: the units' raw output is off again.
    EXPECT_FALSE(sim->RawOutput(0));
}

TEST_F(BrokerTest, ABrokerRestartLosesNothingWithinTheBufferAndReportsTheRest)
{
    StartUnits({"Definity2D"});
    MqttSubscriber subscriber(broker->Port(), "zaq16/R/#", "restart-test-subscriber", true);
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    auto bridge = StartBridge("R", {"--buffer", "20", "--reconnect-min", "1"});
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(sim->WaitForCommand(0, "ENRAW", 15000)) << bridge->Output();
    ASSERT_TRUE(bridge->WaitForOutput("connected to", 10000)) << bridge->Output();
    constexpr int kBefore = 10, kWhileAway = 50, kBuffered = 20;
    for (int i = 0; i < kBefore; ++i) {
        sim->SendNotice(0, 1 + i % 16, i % 2 == 0);
    }
    ASSERT_TRUE(subscriber.WaitFor([&](const auto& all) { return EventsOf(all).size() >= kBefore; }, 10000));

    broker->Stop();
    ASSERT_TRUE(bridge->WaitForOutput("connection to the broker lost", 10000)) << bridge->Output();
    for (int i = 0; i < kWhileAway; ++i) {
        sim->SendNotice(0, 1 + i % 16, i % 2 == 1);
    }
    ASSERT_TRUE(bridge->WaitForOutput("the buffer is full", 10000)) << bridge->Output();
    // Let the rest of the notices reach the bridge while the broker is still away.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ASSERT_TRUE(broker->Restart()) << broker->Output();

    constexpr long long kTotal = kBefore + kWhileAway;
    auto accounted = [&](const std::vector<ReceivedMessage>& all) {
        const std::string dropped = LastPayload(all, "/dropped");
        return !dropped.empty() &&
               static_cast<long long>(SequencesOf(EventsOf(all)).size()) + std::stoll(dropped) == kTotal;
    };
    const bool allAccounted = subscriber.WaitFor(accounted, 20000);
    const std::vector<ReceivedMessage> messages = subscriber.Messages();
    if (!allAccounted) {
        bridge->Interrupt();
        bridge->Wait(20000);
    }
    ASSERT_TRUE(allAccounted) << bridge->Output() << "dropped: " << LastPayload(messages, "/dropped")
                              << "\nreceived: " << ::testing::PrintToString(SequencesOf(EventsOf(messages)))
                              << "\nbroker:\n" << broker->Output();
    const std::vector<PublishedEvent> events = EventsOf(messages);
    const std::set<long long> sequences = SequencesOf(events);
    // Everything up to the buffer's size arrived; only what came beyond it is missing.
    for (long long sequence = 1; sequence <= kBefore + kBuffered; ++sequence) {
        EXPECT_TRUE(sequences.count(sequence)) << "event " << sequence << " lost";
    }
    EXPECT_GE(std::stoll(LastPayload(messages, "/dropped")), 1);
    EXPECT_TRUE(InOrderPerChannel(events));
    EXPECT_NE(bridge->Output().find("event(s) dropped in all"), std::string::npos) << bridge->Output();

    bridge->Interrupt();
    EXPECT_EQ(bridge->Wait(20000), 0) << bridge->Output();
    EXPECT_EQ(TakenFromLink(bridge->Output()), kTotal);
}

TEST_F(BrokerTest, TwoBridgesWithOtherSiteNamesDoNotMix)
{
    MqttSubscriber subscriber(broker->Port(), "zaq16/#");
    ASSERT_TRUE(subscriber.WaitSubscribed(10000));
    auto north = StartBridge("north", {"--play", kDemoDump, "--time-mode", "0"});
    auto south = StartBridge("south", {"--play", kDemoDump, "--time-mode", "0"});
    ASSERT_TRUE(north && south);
    ASSERT_EQ(north->Wait(60000), 0) << north->Output();
    ASSERT_EQ(south->Wait(60000), 0) << south->Output();
    const long long taken = TakenFromLink(north->Output());
    ASSERT_GT(taken, 0);
    ASSERT_EQ(TakenFromLink(south->Output()), taken);
    ASSERT_TRUE(subscriber.WaitFor(
        [&](const auto& all) { return static_cast<long long>(EventsOf(all).size()) >= 2 * taken; }, 10000));

    std::map<std::string, std::set<long long>> sequences;
    for (const PublishedEvent& event : EventsOf(subscriber.Messages())) {
        EXPECT_EQ(event.topic.rfind("zaq16/" + event.site + "/", 0), 0u) << event.topic << " " << event.site;
        sequences[event.site].insert(event.sequence);
    }
    EXPECT_EQ(sequences.size(), 2u);
    EXPECT_EQ(static_cast<long long>(sequences["north"].size()), taken);
    EXPECT_EQ(static_cast<long long>(sequences["south"].size()), taken);
    for (const ReceivedMessage& message : subscriber.Messages()) {
        if (CountTopicsEndingWith({message}, "/state") == 1) {
            const std::string site = message.topic.substr(6, message.topic.find('/', 6) - 6);
            EXPECT_NE(message.payload.find("{\"site\":\"" + site + "\""), std::string::npos) << message.topic;
        }
    }
}

}  // namespace

namespace {

TEST_F(BrokerTest, StopsCleanlyOnSigtermEvenWithTheBrokerAway)
{
    StartUnits({"Definity2D"});
    broker->Stop();
    auto bridge = StartBridge("away", {"--reconnect-min", "1"});
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(sim->WaitForCommand(0, "ENRAW", 15000)) << bridge->Output();
    sim->SendNotice(0, 4, true);
    ASSERT_TRUE(bridge->WaitForOutput("unit(s) started", 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bridge->Interrupt();
    // The buffered event waits for the broker a bounded time, then is reported.
    EXPECT_EQ(bridge->Wait(30000), 0) << bridge->Output();
    EXPECT_NE(bridge->Output().find("1 event(s) not published"), std::string::npos) << bridge->Output();
    EXPECT_FALSE(sim->RawOutput(0));
}

TEST_F(BrokerTest, RefusesABadConfigurationFile)
{
    const std::string config = dir.File("bad.conf");
    WriteWholeFile(config, "site = x\nport = many\n");
    const auto [code, output] = platform::RunProgram(
        {std::string(ZAQ_BINARY_DIR) + "/tools/zaqbridge/zaqbridge", "--config", config}, {}, 10000);
    EXPECT_EQ(code, 2);
    EXPECT_NE(output.find(config + ": line 2: bad value for port: many"), std::string::npos) << output;
    const auto [missingCode, missingOutput] = platform::RunProgram(
        {std::string(ZAQ_BINARY_DIR) + "/tools/zaqbridge/zaqbridge", "--config", dir.File("none.conf")}, {}, 10000);
    EXPECT_EQ(missingCode, 2);
    EXPECT_NE(missingOutput.find("none.conf: cannot be read"), std::string::npos) << missingOutput;
}

}  // namespace
