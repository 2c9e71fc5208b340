// The publisher: hands every event to the broker connection in the order the
// link delivered it, and keeps each channel's retained state. While the
// connection is up and has room, the library's callback publishes its event
// at once (libmosquitto only queues it for its network thread, so the
// callback never waits on the network); otherwise the event waits in the
// bounded buffer and the publisher's thread sends it when there is room.
// The thread also publishes the states that changed (at most one message per
// channel every few milliseconds, the latest state) and, on every
// (re)connection, "online", the state of every channel known and the count
// of dropped events.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
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
    // Takes an event from the library's callback: published at once when it
    // can be, else kept in the buffer; false when the buffer was full and the
    // event is dropped.
    bool Deliver(BridgeEvent&& event);
    // Publishes what is still buffered and waits for the broker's
    // acknowledgements, at most `timeoutMs`, then ends the thread. Returns
    // the number of events left unpublished.
    size_t Finish(uint32_t timeoutMs);
    // Everything delivered so far is published (states too) and acknowledged.
    bool Drained() const;

private:
    void Run();
    void AwaitResentMessages();
    void PublishOnConnection();
    void PublishBufferedEvents();
    void PublishEvent(const BridgeEvent& event);
    void PublishChangedStates();
    void ReportDropped();
    // The connection has room for another event (publishLock_ held).
    bool HasRoom() const;

    const std::string site_;
    EventBuffer& buffer_;
    MqttSession& session_;

    // Held while an event is published or buffered and while the state
    // changes: the callback and the thread publish in the link's order.
    mutable std::mutex publishLock_;
    ChannelStates states_;
    std::set<ChannelStates::Key> changedStates_;
    // The connection whose "online" and states went out: until then events wait in the buffer.
    uint64_t connectionReady_ = 0;

    std::vector<BridgeEvent> batch_;
    std::chrono::steady_clock::time_point lastStatesPublished_{};
    std::atomic<bool> stop_{false};
    std::atomic<bool> idle_{false};
    uint64_t reportedDropped_ = 0;
    std::thread thread_;
};
