// zaqbridge as a program against a mosquitto broker of the test's own, with
// simulated units on pseudo-terminals and the registry naming them.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MosquittoBroker.h"
#include "MqttSubscriber.h"
#include "Simulator.h"
#include "platform/Program.h"
#include "support/TempDir.h"

// An event message as the subscriber got it.
struct PublishedEvent {
    std::string site;
    long long sequence = 0;
    long long channel = 0;
    std::string topic;
    std::string json;  // without site, seq and timeStamp: zaqmon's object
};

class BridgeFixture : public testing::Test {
public:
    static std::vector<PublishedEvent> EventsOf(const std::vector<ReceivedMessage>& messages);
    // zaqmon's JSON object without its time stamp (two runs differ only there).
    static std::string WithoutTimeStamp(const std::string& json);

protected:
    void SetUp() override;
    void TearDown() override;

    // Starts units with these PBX names (COM1..) and names them in the registry.
    void StartUnits(const std::vector<std::string>& pbxNames);
    // zaqbridge with a configuration file naming the site and the broker's port.
    std::unique_ptr<platform::Program> StartBridge(const std::string& site, std::vector<std::string> arguments = {});
    std::pair<int, std::string> RunBridge(const std::string& site, std::vector<std::string> arguments);

    TempDir dir;
    std::unique_ptr<MosquittoBroker> broker;
    std::unique_ptr<zaqsim::Simulator> sim;
};

// The sequence numbers received, each once.
std::set<long long> SequencesOf(const std::vector<PublishedEvent>& events);
// True when every channel's events came in increasing sequence order
// (a message sent again after a reconnection may repeat an earlier one).
bool InOrderPerChannel(const std::vector<PublishedEvent>& events);
