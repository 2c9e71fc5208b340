// The deferred display event: display text arrives in pieces, so instead of
// posting a change for every piece a decoder (re)arms a one-shot timer per
// channel and posts once the display has been quiet for its PBX's delay. The
// timers live on the port's timer queue, whose routines run on the reader
// thread between bytes and packets, never alongside decoding.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/TimerQueue.h"

class DisplayTimers {
public:
    static constexpr uint32_t kChannels = 16;

    // How a decoder numbers the channel in its timer trace lines.
    enum class Numbering : uint8_t { Local, LocalPlusOne, Absolute };

    struct Settings {
        uint32_t delayMs;
        Numbering setNumbering;    // in "TIMER SET ..."
        Numbering firedNumbering;  // in "TIMER FIRED ..."
        int32_t firedLevel;        // trace level of "TIMER FIRED ..."
        const char* completionName;  // function text of "TIMER FIRED ..."
    };

    // `fired` runs on the reader thread for a local channel whose timer expired
    // (the timer is already closed then).
    DisplayTimers(platform::TimerQueue& queue, uint32_t startChannel, const Settings& settings,
                  std::function<void(uint8_t channel)> fired);
    ~DisplayTimers();
    DisplayTimers(const DisplayTimers&) = delete;
    DisplayTimers& operator=(const DisplayTimers&) = delete;

    // Starts the channel's delay, or starts it again.
    void Arm(uint8_t channel);
    // Stops the channel's timer and lets it go; nothing when none is armed.
    void Cancel(uint8_t channel);
    bool Armed(uint8_t channel) const;

private:
    // What the queue hands back to the completion routine.
    struct TimerContext {
        DisplayTimers* timers;
        uint8_t channel;
    };
    static void Completion(void* context);
    int ChannelNumber(uint8_t channel, Numbering numbering) const;

    platform::TimerQueue& queue_;
    uint32_t startChannel_;
    Settings settings_;
    std::function<void(uint8_t)> fired_;
    std::array<platform::TimerQueue::TimerId, kChannels> timer_;
    std::array<TimerContext, kChannels> context_;
};
