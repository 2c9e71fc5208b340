// Each channel's current state as its events tell it: hook, ring, lamps,
// display text and, for ISDN lines, the call with its numbers. Published as
// a retained message, so that a dashboard connecting late sees every phone.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "BridgeEvent.h"

struct ChannelState {
    uint32_t board = 0;
    uint32_t channel = 0;
    std::string hook;                         // "ONHOOK", "OFFHOOK"; empty: not seen
    std::string ring;                         // "ON", "OFF"; empty: not seen
    std::map<std::string, std::string> lamps; // "7" or "LINE 3" -> "ON", "FLASHING GREEN" ...
    std::optional<std::string> display;
    bool hasCall = false;
    ZAQ16_CALL_STATUS call{};
    uint32_t timeStamp = 0;                   // of the last event that changed the state
};

class ChannelStates {
public:
    using Key = std::pair<uint32_t, uint32_t>;  // board, channel

    // Takes the event into its channel's state; false when the event neither
    // touches a state (a button, a digit) nor is its channel's first, and for
    // board-wide events (channel 0).
    bool Apply(const BridgeEvent& event);

    const std::map<Key, ChannelState>& All() const { return states_; }
    const ChannelState* Find(Key key) const;

private:
    std::map<Key, ChannelState> states_;
};

// The state as one JSON object: site, board, channel, hook, ring, lamps,
// display, call (null for what was not seen), timeStamp.
std::string ChannelStateJson(const std::string& site, const ChannelState& state);
