// The channels whose events are listed: all, or a list such as "1-4,17".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ChannelFilter {
public:
    // Every channel.
    ChannelFilter() = default;
    // None for a malformed list.
    static std::optional<ChannelFilter> Parse(const std::string& list);

    // Events of no channel (board-wide ones, channel 0) always pass.
    bool Selected(uint32_t channel) const;

private:
    struct Range {
        uint32_t first;
        uint32_t last;
    };
    std::vector<Range> ranges_;  // empty: every channel
};
