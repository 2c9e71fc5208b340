// Counts the packets a unit has put on the line, per channel, and which of
// them a reader may have missed: those still unread in the pseudo-terminal
// when it was unplugged, and those sent after it was plugged back in until
// the unit settles (a command received, raw output off, nothing left to send).
// The bytes go out in pieces: a packet counts once its last byte is written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

namespace zaqsim {

class SentCounter {
public:
    static constexpr size_t kChannels = 256;  // the packet's channel byte
    struct Counts {
        std::array<uint64_t, kChannels> sent{};
        std::array<uint64_t, kChannels> atRisk{};
    };

    // Items about to be written, in order: `bytes` is their concatenation.
    void Queue(std::string_view bytes, const std::vector<size_t>& itemSizes);
    // The next `count` queued bytes were written.
    void Written(size_t count);
    // The pair closes with `unread` written bytes not yet read: the packets
    // among them are at risk; queued items never written are forgotten.
    void Unplugged(size_t unread);
    // While settling, every packet written is at risk too.
    void SetSettling(bool settling) { settling_ = settling; }

    const Counts& counts() const { return counts_; }

private:
    struct Item {
        size_t size = 0;
        int channel = -1;  // -1: not a packet (an answer line, loose bytes)
    };
    static int PacketChannel(std::string_view item);

    Counts counts_;
    std::deque<Item> queued_;
    size_t writtenOfFront_ = 0;
    std::deque<Item> recent_;  // written items, newest last, about the last kRecentBytes
    size_t recentBytes_ = 0;
    bool settling_ = false;
};

}  // namespace zaqsim
