#include "BridgeFixture.h"

#include <regex>

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
    static const std::regex stamp(",\"timeStamp\":[0-9]+");
    return std::regex_replace(json, stamp, "");
}

std::vector<PublishedEvent> BridgeFixture::EventsOf(const std::vector<ReceivedMessage>& messages)
{
    static const std::regex head("^\\{\"site\":\"([^\"]*)\",\"seq\":([0-9]+),");
    std::vector<PublishedEvent> events;
    for (const ReceivedMessage& message : messages) {
        std::smatch match;
        if (CountTopicsEndingWith({message}, "/event") == 0 || !std::regex_search(message.payload, match, head)) {
            continue;
        }
        PublishedEvent event;
        event.site = match[1];
        event.sequence = std::stoll(match[2]);
        event.topic = message.topic;
        event.json = WithoutTimeStamp("{" + message.payload.substr(match.length(0)));
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
