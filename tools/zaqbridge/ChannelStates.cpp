#include "ChannelStates.h"

#include <cstring>

#include "common/EventNames.h"

namespace {

// A lamp event's lamp and state from its name: "QXEVT_LIGHT_FLASHING" is the
// numbered lamp of `param` ("7", plus its colour), "QXEVT_LINE_LIGHT_ON" the
// named lamp "LINE <param>".
bool LampOf(const ZAQ16_EVENT& event, std::string& lamp, std::string& state)
{
    const char* name = EventName(event.eventCode);
    if (name == nullptr) {
        return false;
    }
    const std::string text = name + std::strlen("QXEVT_");
    const size_t light = text.find("LIGHT_");
    if (light == std::string::npos) {
        return false;
    }
    state = text.substr(light + std::strlen("LIGHT_"));
    if (light == 0) {
        lamp = std::to_string(event.param & QXEVT_LAMP_NUMBER_MASK);
        if ((event.param & QXEVT_LAMP_GREEN) != 0) {
            state += " GREEN";
        } else if ((event.param & QXEVT_LAMP_RED) != 0) {
            state += " RED";
        }
    } else {
        lamp = text.substr(0, light - 1) + " " + std::to_string(event.param);
    }
    return true;
}

std::string JsonOrNull(const std::string& text)
{
    return text.empty() ? "null" : JsonString(text);
}

}  // namespace

bool ChannelStates::Apply(const BridgeEvent& item)
{
    const ZAQ16_EVENT& event = item.event;
    if (event.channel == 0) {
        return false;
    }
    const auto [entry, added] = states_.try_emplace({event.board, event.channel});
    ChannelState& state = entry->second;
    state.board = event.board;
    state.channel = event.channel;
    std::string lamp, lampState;
    bool changed = true;
    switch (event.eventCode) {
    case QXEVT_ONHOOK:
        state.hook = "ONHOOK";
        break;
    case QXEVT_OFFHOOK:
        state.hook = "OFFHOOK";
        break;
    case QXEVT_RING_ON:
        state.ring = "ON";
        break;
    case QXEVT_RING_OFF:
        state.ring = "OFF";
        break;
    case QXEVT_MESSAGE_CHANGE:
        changed = item.display.has_value();
        if (changed) {
            state.display = item.display;
        }
        break;
    case QXEVT_DISPLAY_CLEAR:
        state.display = std::string();
        break;
    default:
        if (item.hasCall) {
            state.hasCall = true;
            state.call = item.call;
        } else if (LampOf(event, lamp, lampState)) {
            state.lamps[lamp] = lampState;
        } else {
            changed = false;
        }
    }
    if (changed) {
        state.timeStamp = event.timeStamp;
    }
    // A channel's first event makes it known, with whatever state it has.
    return changed || added;
}

const ChannelState* ChannelStates::Find(Key key) const
{
    const auto found = states_.find(key);
    return found == states_.end() ? nullptr : &found->second;
}

std::string ChannelStateJson(const std::string& site, const ChannelState& state)
{
    std::string json = "{\"site\":" + JsonString(site) + ",\"board\":" + std::to_string(state.board) +
                       ",\"channel\":" + std::to_string(state.channel) + ",\"hook\":" + JsonOrNull(state.hook) +
                       ",\"ring\":" + JsonOrNull(state.ring) + ",\"lamps\":{";
    const char* separator = "";
    for (const auto& [lamp, lampState] : state.lamps) {
        json += separator + JsonString(lamp) + ":" + JsonString(lampState);
        separator = ",";
    }
    json += "},\"display\":" + (state.display ? JsonString(*state.display) : std::string("null"));
    json += ",\"call\":" + (state.hasCall ? "{" + CallJsonFields(state.call) + "}" : std::string("null"));
    return json + ",\"timeStamp\":" + std::to_string(state.timeStamp) + "}";
}
