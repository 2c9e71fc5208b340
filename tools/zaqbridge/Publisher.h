// The publisher thread: takes the buffered events while the broker is
// connected and publishes each one, then the state of every channel it
// touched (retained). On every (re)connection it publishes "online", the
// state of every channel known and the count of dropped events.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "ChannelStates.h"
#include "EventBuffer.h"
#include "MqttSession.h"

class Publisher {
public:
    Publisher(std::string site, EventBuffer& buffer, MqttSession& session);
    ~Publisher();
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    void Start();
    // Publishes what is still buffered and waits for the broker's
    // acknowledgements, at most `timeoutMs`, then ends the thread. Returns
    // the number of events left unpublished.
    size_t Finish(uint32_t timeoutMs);
    // Everything buffered so far is published and acknowledged.
    bool Drained() const;

private:
    void Run();
    void AwaitResentMessages();
    void PublishOnConnection();
    void PublishBatch();
    void ReportDropped();

    const std::string site_;
    EventBuffer& buffer_;
    MqttSession& session_;
    ChannelStates states_;
    std::vector<BridgeEvent> batch_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> idle_{false};
    uint64_t reportedDropped_ = 0;
    std::thread thread_;
};
