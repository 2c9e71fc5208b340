// Inter-Tel messages cut off at the end of a packet: each channel stows the
// rest of its run and completes it with the next packet's messages. A stow
// holds at most 298 message bytes (300 with the run's marker and count); one
// that would pass that is dropped whole, so a channel never stays stuck on a
// run that cannot complete. Only the reader thread stows and takes.
#pragma once

#include <array>
#include <cstdint>

class InterTelStow {
public:
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kSize = 300;
    static constexpr uint32_t kRunHead = 2;  // the run's marker and count
    static constexpr uint32_t kRoom = kSize - kRunHead;

    bool Pending(uint8_t channel) const { return stows_[channel].pending; }
    // Appends `count` message bytes (nothing for none). False when they would
    // pass kRoom: the channel's stow is dropped whole then.
    bool Append(uint8_t channel, const uint8_t* bytes, uint32_t count);
    // Copies the stowed messages to `out` and empties the stow; returns their count.
    uint32_t Take(uint8_t channel, std::array<uint8_t, kRoom>& out);

private:
    struct Stow {
        std::array<uint8_t, kRoom> bytes{};
        uint32_t length = 0;
        bool pending = false;
    };
    std::array<Stow, kChannels> stows_{};
};
