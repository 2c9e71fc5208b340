// Which channels' events the viewer lists: one flag for each of channels 1 to
// 128 (eight boards). Read by the library's threads, written by the window.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class ChannelSelection {
public:
    static constexpr uint32_t kChannels = 128;

    ChannelSelection();

    // Channels outside 1 to 128 have no flag: they are always listed.
    bool IsListed(uint32_t channel) const;
    bool IsSelected(uint32_t channel) const;
    void Select(uint32_t channel, bool selected);
    void SelectAll();

private:
    static bool HasFlag(uint32_t channel) { return channel >= 1 && channel <= kChannels; }

    std::array<std::atomic<bool>, kChannels> selected_;
};
