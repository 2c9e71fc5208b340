// The posting rule shared by every decoder: a state (lamp, hook, ring, audio,
// display mode, feature indication) is posted when it changed, and a repeat of
// the stored state only while the application wants every update; events
// without a state (keys, digits) are always posted.
#pragma once

#include <cstdint>

enum class EventState : uint8_t {
    None,       // the message set no event
    Stateless,  // a key or a digit
    Changed,    // a state that differs from the stored one
    Repeated,   // the stored state again
};

struct DecodedEvent {
    uint32_t code = 0;
    uint32_t param = 0;
    EventState state = EventState::None;
};

inline bool ShouldPost(EventState state, uint8_t eventUpdateFlag)
{
    switch (state) {
    case EventState::Stateless:
    case EventState::Changed:
        return true;
    case EventState::Repeated:
        return eventUpdateFlag != 0;
    case EventState::None:
        break;
    }
    return false;
}

inline EventState StateOf(bool changed)
{
    return changed ? EventState::Changed : EventState::Repeated;
}
