#include "ChannelSelection.h"

ChannelSelection::ChannelSelection()
{
    SelectAll();
}

bool ChannelSelection::IsListed(uint32_t channel) const
{
    return !HasFlag(channel) || selected_[channel - 1].load(std::memory_order_relaxed);
}

bool ChannelSelection::IsSelected(uint32_t channel) const
{
    return HasFlag(channel) && selected_[channel - 1].load(std::memory_order_relaxed);
}

void ChannelSelection::Select(uint32_t channel, bool selected)
{
    if (HasFlag(channel)) {
        selected_[channel - 1].store(selected, std::memory_order_relaxed);
    }
}

void ChannelSelection::SelectAll()
{
    for (auto& flag : selected_) {
        flag.store(true, std::memory_order_relaxed);
    }
}
