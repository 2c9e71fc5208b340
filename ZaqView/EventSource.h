// Where the viewer's events come from: the library's callback, or a polling
// thread that empties the library's queue. Exactly one of the two feeds the
// event routine at any time: Start stops whatever ran before.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "qxzaqlnk.h"

class EventRoutine;

class EventSource {
public:
    explicit EventSource(EventRoutine& routine);
    ~EventSource();
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    // Stops the link and any polling, then starts the link in the given mode;
    // returns QXZAQStartLink's result.
    uint32_t Start(bool polling);
    // QXZAQStopLink, then the polling thread ends. Safe to call twice.
    void Stop();

    bool Polling() const { return polling_.load(); }

    // Between two rounds of the polling thread (each round takes every event waiting).
    static constexpr std::chrono::milliseconds kPollPause{10};

private:
    static uint32_t QXZAQ_CALL Callback(ZAQ16_EVENT* event);
    void PollLoop();

    EventRoutine& routine_;
    std::atomic<bool> polling_{false};
    std::thread pollThread_;
};
