// The bridge's topics and the payloads it publishes on them.
#pragma once

#include <cstdint>
#include <string>

#include "BridgeEvent.h"

// "zaq16/<site>/<board>/<channel>/event" and ".../state".
std::string EventTopic(const std::string& site, uint32_t board, uint32_t channel);
std::string StateTopic(const std::string& site, uint32_t board, uint32_t channel);
// "zaq16/<site>/status": "online" / "offline".
std::string StatusTopic(const std::string& site);
// "zaq16/<site>/dropped": the number of events lost while the buffer was full.
std::string DroppedTopic(const std::string& site);

// zaqmon's JSON object of the event, with the site name and the event's
// sequence number in front (a gap in the numbers shows dropped events).
std::string BridgeEventJson(const std::string& site, const BridgeEvent& event);
