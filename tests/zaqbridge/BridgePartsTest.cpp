// The bridge's parts without a broker: its settings, the bounded buffer between
// the library's callback and the publisher, the channel states and the event
// object (zaqmon's, plus site and sequence number).
#include <cstring>
#include <thread>

#include "BridgeMessages.h"
#include "BridgeOptions.h"
#include "ChannelStates.h"
#include "EventBuffer.h"

namespace {

BridgeEvent Event(uint32_t code, uint32_t param, uint32_t channel, uint64_t sequence = 1)
{
    BridgeEvent event;
    event.sequence = sequence;
    event.event.eventCode = code;
    event.event.param = param;
    event.event.channel = channel;
    event.event.board = channel == 0 ? 0 : (channel - 1) / 16;
    event.event.timeStamp = 1000 + static_cast<uint32_t>(sequence);
    return event;
}

TEST(BridgeOptions, TheCommandLineWinsOverTheFileAndBadLinesAreNamed)
{
    BridgeOptions options;
    std::string error;
    ASSERT_TRUE(ApplyConfigText("# site of the first floor\n\nsite = floor1\nport=1884\n  host = broker.lan  \n"
                                "tls-insecure = yes\nbuffer = 500\n",
                                options, error))
        << error;
    ASSERT_TRUE(ApplyCommandLine({"--config", "x.conf", "--port", "8883", "--no-dchannel"}, options, error)) << error;
    ASSERT_TRUE(CheckBridgeOptions(options, error)) << error;
    EXPECT_EQ(options.site, "floor1");
    EXPECT_EQ(options.host, "broker.lan");
    EXPECT_EQ(options.port, 8883u);
    EXPECT_EQ(options.bufferEvents, 500u);
    EXPECT_TRUE(options.tlsInsecure);
    EXPECT_FALSE(options.dchannel);
    EXPECT_EQ(options.clientId, "zaqbridge-floor1");

    const struct {
        const char* text;
        const char* error;
    } badFiles[] = {
        {"site = a\ncolour = blue\n", "line 2: not a setting: colour = blue"},
        {"port = 0\n", "line 1: bad value for port: 0"},
        {"port = 70000\n", "line 1: bad value for port"},
        {"buffer = many\n", "line 1: bad value for buffer"},
        {"just words\n", "line 1: not a setting"},
    };
    for (const auto& bad : badFiles) {
        BridgeOptions spoilt;
        std::string message;
        EXPECT_FALSE(ApplyConfigText(bad.text, spoilt, message)) << bad.text;
        EXPECT_NE(message.find(bad.error), std::string::npos) << message;
    }
}

TEST(BridgeOptions, RefusesWhatCannotWork)
{
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } cases[] = {
        {{"--site", "a/b"}, "site name"},
        {{"--site", "#"}, "site name"},
        {{"--site", ""}, "site name"},
        {{"--site", "a", "--certfile", "c.pem"}, "certfile and keyfile together"},
        {{"--site", "a", "--certfile", "c.pem", "--keyfile", "k.pem"}, "need cafile or capath"},
        {{"--site", "a", "--port"}, "--port needs a value"},
        {{"--site", "a", "--colour", "red"}, "unknown option: --colour"},
        {{"--site", "a", "--time-mode", "-2"}, "--time-mode: bad value"},
        {{"--site", "a", "--trace-level", "6"}, "--trace-level: bad value"},
    };
    for (const auto& bad : cases) {
        BridgeOptions options;
        std::string error;
        const bool ok = ApplyCommandLine(bad.arguments, options, error) && CheckBridgeOptions(options, error);
        EXPECT_FALSE(ok) << bad.arguments.back();
        EXPECT_NE(error.find(bad.error), std::string::npos) << error;
    }
    bool given = false;
    EXPECT_EQ(ConfigFileOf({"--site", "a"}, given), "/etc/qxzaq16/zaqbridge.conf");
    EXPECT_FALSE(given);
    EXPECT_EQ(ConfigFileOf({"--config", "/tmp/b.conf"}, given), "/tmp/b.conf");
    EXPECT_TRUE(given);
}

TEST(EventBuffer, KeepsOrderUpToItsSizeAndCountsWhatItDrops)
{
    EventBuffer buffer(3);
    for (uint64_t sequence = 1; sequence <= 5; ++sequence) {
        EXPECT_EQ(buffer.Push(Event(QXEVT_OFFHOOK, 0, 1, sequence)), sequence <= 3);
    }
    EXPECT_EQ(buffer.Dropped(), 2u);
    std::vector<BridgeEvent> batch;
    buffer.TakeBatch(batch, 2, 0);
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0].sequence, 1u);
    EXPECT_EQ(batch[1].sequence, 2u);
    // Room again: the next event is kept.
    EXPECT_TRUE(buffer.Push(Event(QXEVT_OFFHOOK, 0, 1, 6)));
    buffer.TakeBatch(batch, 10, 0);
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0].sequence, 3u);
    EXPECT_EQ(batch[1].sequence, 6u);
    EXPECT_EQ(buffer.Dropped(), 2u);
}

TEST(EventBuffer, AWaitingTakeEndsOnAnEventOrOnWake)
{
    EventBuffer buffer(10);
    std::vector<BridgeEvent> batch;
    std::thread producer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        buffer.Push(Event(QXEVT_ONHOOK, 0, 2));
    });
    buffer.TakeBatch(batch, 10, 30000);
    producer.join();
    EXPECT_EQ(batch.size(), 1u);

    const auto start = std::chrono::steady_clock::now();
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        buffer.Wake();
    });
    buffer.TakeBatch(batch, 10, 30000);
    waker.join();
    EXPECT_TRUE(batch.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(ChannelStates, FollowHookRingLampsDisplayAndCall)
{
    ChannelStates states;
    BridgeEvent display = Event(QXEVT_MESSAGE_CHANGE, 5, 3);
    display.display = "Ann \"4711\"";
    BridgeEvent call = Event(QXEVT_CALL_CONNECTED, sizeof(ZAQ16_CALL_STATUS), 3);
    call.hasCall = true;
    call.call.callRef = 7;
    call.call.direction = 1;
    call.call.callingNumber.digitCount = 7;
    std::memcpy(call.call.callingNumber.digits, "5550123", 7);
    for (const BridgeEvent& event : {Event(QXEVT_OFFHOOK, 0, 3), Event(QXEVT_RING_ON, 1, 3),
                                     Event(QXEVT_LIGHT_FLASHING, 5 | QXEVT_LAMP_GREEN, 3),
                                     Event(QXEVT_LINE_LIGHT_ON, 2, 3), Event(QXEVT_LIGHT_ON, 9, 3), display, call}) {
        EXPECT_TRUE(states.Apply(event)) << event.event.eventCode;
    }
    // A digit changes no state of a known channel; a board-wide event has none.
    EXPECT_FALSE(states.Apply(Event(QXEVT_DIGIT_PRESSED, '5', 3)));
    EXPECT_FALSE(states.Apply(Event(QXEVT_FINISHED_PLAY, 0, 0)));
    // The first event of a channel makes it known, whatever it is.
    EXPECT_TRUE(states.Apply(Event(QXEVT_DIGIT_PRESSED, '1', 20)));

    const ChannelState* state = states.Find({0, 3});
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(ChannelStateJson("hq", *state),
              "{\"site\":\"hq\",\"board\":0,\"channel\":3,\"hook\":\"OFFHOOK\",\"ring\":\"ON\","
              "\"lamps\":{\"5\":\"FLASHING GREEN\",\"9\":\"ON\",\"LINE 2\":\"ON\"},\"display\":\"Ann \\\"4711\\\"\","
              "\"call\":{\"callRef\":7,\"direction\":1,\"state\":0,\"cause\":0,\"bChannel\":0,\"calledNumber\":\"\","
              "\"callingNumber\":\"5550123\",\"connectedNumber\":\"\"},\"timeStamp\":1001}");
    EXPECT_EQ(ChannelStateJson("hq", *states.Find({1, 20})),
              "{\"site\":\"hq\",\"board\":1,\"channel\":20,\"hook\":null,\"ring\":null,\"lamps\":{},"
              "\"display\":null,\"call\":null,\"timeStamp\":0}");

    // Later states replace earlier ones; a cleared display is an empty text.
    for (const BridgeEvent& event : {Event(QXEVT_ONHOOK, 0, 3), Event(QXEVT_RING_OFF, 1, 3),
                                     Event(QXEVT_LIGHT_OFF, 5, 3), Event(QXEVT_DISPLAY_CLEAR, 0, 3)}) {
        states.Apply(event);
    }
    const std::string json = ChannelStateJson("hq", *states.Find({0, 3}));
    EXPECT_NE(json.find("\"hook\":\"ONHOOK\",\"ring\":\"OFF\",\"lamps\":{\"5\":\"OFF\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"display\":\"\""), std::string::npos) << json;
}

TEST(BridgeMessages, TheEventObjectIsZaqmonsWithSiteAndSequenceInFront)
{
    BridgeEvent event = Event(QXEVT_MESSAGE_CHANGE, 4, 17, 42);
    event.display = "Bob\n";
    const std::string zaqmon = EventJson(event.event, event.Details());
    EXPECT_EQ(BridgeEventJson("floor 2", event), "{\"site\":\"floor 2\",\"seq\":42," + zaqmon.substr(1));
    EXPECT_NE(zaqmon.find("\"text\":\"Bob\\n\""), std::string::npos);
    EXPECT_EQ(EventTopic("floor 2", 1, 17), "zaq16/floor 2/1/17/event");
    EXPECT_EQ(StateTopic("s", 0, 3), "zaq16/s/0/3/state");
    EXPECT_EQ(StatusTopic("s"), "zaq16/s/status");
    EXPECT_EQ(DroppedTopic("s"), "zaq16/s/dropped");
}

}  // namespace
