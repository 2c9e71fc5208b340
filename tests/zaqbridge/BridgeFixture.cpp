#include "BridgeFixture.h"

#include "RegistryWriter.h"
#include "platform/ProcessEnvironment.h"

void BridgeFixture::SetUp()
{
    if (MosquittoBroker::ProgramPath().empty()) {
        GTEST_SKIP() << "mosquitto is not installed (scripts/setup.sh installs it)";
    }
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", dir.File("com"));
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", dir.File("qxzaq16.reg"));
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", dir.path().string());
    broker = std::make_unique<MosquittoBroker>(dir.path().string(), true);
    ASSERT_TRUE(broker->Start()) << broker->Output();
}

void BridgeFixture::TearDown()
{
    sim.reset();
    broker.reset();
}

void BridgeFixture::StartUnits(const std::vector<std::string>& pbxNames)
{
    zaqsim::SimulatorSettings settings;
    settings.comDirectory = dir.File("com");
    settings.speed = 0;
    sim = std::make_unique<zaqsim::Simulator>(settings);
    std::vector<std::string> ports;
    for (const std::string& name : pbxNames) {
        zaqsim::UnitConfig config;
        config.pbxName = name;
        ports.push_back(sim->LinkName(sim->AddUnit(config)));
    }
    std::string error;
    ASSERT_TRUE(sim->Start(error)) << error;
    ASSERT_EQ(zaqsim::WriteUnitRegistry(ports, dir.path().string()), 0u);
}

std::unique_ptr<platform::Program> BridgeFixture::StartBridge(const std::string& site, std::vector<std::string> arguments)
{
    const std::string config = dir.File("zaqbridge-" + site + ".conf");
    WriteWholeFile(config, "# written by the test\nsite = " + site + "\nport = " + std::to_string(broker->Port()) +
                               "\nhost = 127.0.0.1\nreconnect-max = 1\n");
    arguments.insert(arguments.begin(), {std::string(ZAQ_BINARY_DIR) + "/tools/zaqbridge/zaqbridge", "--config", config});
    return platform::Program::Start(arguments);
}

std::pair<int, std::string> BridgeFixture::RunBridge(const std::string& site, std::vector<std::string> arguments)
{
    auto bridge = StartBridge(site, std::move(arguments));
    if (!bridge) {
        return {-1, "zaqbridge did not start"};
    }
    const int code = bridge->Wait(60000);
    return {code, bridge->Output()};
}

std::string BridgeFixture::WithoutTimeStamp(const std::string& json)
{
    const std::string key = ",\"timeStamp\":";
    const size_t at = json.find(key);
    if (at == std::string::npos) {
        return json;
    }
    const size_t end = json.find_first_not_of("0123456789", at + key.size());
    return json.substr(0, at) + (end == std::string::npos ? "" : json.substr(end));
}

std::vector<PublishedEvent> BridgeFixture::EventsOf(const std::vector<ReceivedMessage>& messages)
{
    // The bridge's object starts {"site":"<site>","seq":<n>, and zaqmon's follows.
    const std::string siteKey = "{\"site\":\"", seqKey = "\",\"seq\":";
    std::vector<PublishedEvent> events;
    for (const ReceivedMessage& message : messages) {
        const std::string& payload = message.payload;
        const size_t seqAt = payload.find(seqKey);
        const size_t restAt = seqAt == std::string::npos ? seqAt : payload.find(',', seqAt + seqKey.size());
        if (CountTopicsEndingWith({message}, "/event") == 0 || payload.rfind(siteKey, 0) != 0 ||
            restAt == std::string::npos) {
            continue;
        }
        PublishedEvent event;
        event.site = payload.substr(siteKey.size(), seqAt - siteKey.size());
        event.sequence = std::stoll(payload.substr(seqAt + seqKey.size()));
        event.topic = message.topic;
        event.json = WithoutTimeStamp("{" + payload.substr(restAt + 1));
        event.channel = JsonNumber(event.json, "channel");
        events.push_back(std::move(event));
    }
    return events;
}

std::set<long long> SequencesOf(const std::vector<PublishedEvent>& events)
{
    std::set<long long> sequences;
    for (const PublishedEvent& event : events) {
        sequences.insert(event.sequence);
    }
    return sequences;
}

bool InOrderPerChannel(const std::vector<PublishedEvent>& events)
{
    std::map<long long, long long> last;
    std::set<long long> seen;
    for (const PublishedEvent& event : events) {
        if (!seen.insert(event.sequence).second) {
            continue;
        }
        long long& previous = last[event.channel];
        if (event.sequence <= previous) {
            return false;
        }
        previous = event.sequence;
    }
    return true;
}
