#include "BridgeMessages.h"

namespace {

std::string ChannelTopic(const std::string& site, uint32_t board, uint32_t channel)
{
    return "zaq16/" + site + "/" + std::to_string(board) + "/" + std::to_string(channel);
}

}  // namespace

std::string EventTopic(const std::string& site, uint32_t board, uint32_t channel)
{
    return ChannelTopic(site, board, channel) + "/event";
}

std::string StateTopic(const std::string& site, uint32_t board, uint32_t channel)
{
    return ChannelTopic(site, board, channel) + "/state";
}

std::string StatusTopic(const std::string& site)
{
    return "zaq16/" + site + "/status";
}

std::string DroppedTopic(const std::string& site)
{
    return "zaq16/" + site + "/dropped";
}

std::string BridgeEventJson(const std::string& site, const BridgeEvent& event)
{
    const std::string json = EventJson(event.event, event.Details());
    return "{\"site\":" + JsonString(site) + ",\"seq\":" + std::to_string(event.sequence) + "," + json.substr(1);
}
