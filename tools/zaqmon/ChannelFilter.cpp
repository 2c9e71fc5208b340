#include "ChannelFilter.h"

#include <charconv>

namespace {

bool ParseChannel(const std::string& text, uint32_t& channel)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), channel);
    return error == std::errc() && end == text.data() + text.size() && channel >= 1;
}

}  // namespace

std::optional<ChannelFilter> ChannelFilter::Parse(const std::string& list)
{
    ChannelFilter filter;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) {
            comma = list.size();
        }
        const std::string item = list.substr(start, comma - start);
        const size_t dash = item.find('-');
        Range range{};
        if (dash == std::string::npos) {
            if (!ParseChannel(item, range.first)) {
                return std::nullopt;
            }
            range.last = range.first;
        } else if (!ParseChannel(item.substr(0, dash), range.first) ||
                   !ParseChannel(item.substr(dash + 1), range.last) || range.last < range.first) {
            return std::nullopt;
        }
        filter.ranges_.push_back(range);
        start = comma + 1;
    }
    return filter;
}

bool ChannelFilter::Selected(uint32_t channel) const
{
    if (ranges_.empty() || channel == 0) {
        return true;
    }
    for (const Range& range : ranges_) {
        if (channel >= range.first && channel <= range.last) {
            return true;
        }
    }
    return false;
}
