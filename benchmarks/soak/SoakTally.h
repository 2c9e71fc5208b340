// Every packet accounted for: what the simulator sent on each unit's channel
// (and which of those an unplug may have cost), the events the application
// took, and the records of the dump file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ChannelCounts {
    uint64_t sent = 0;
    uint64_t atRisk = 0;  // sent around an unplug: the link may have missed them
    uint64_t events = 0;
    uint64_t records = 0;

    // Nothing lost beyond what an unplug may cost, nothing made up, and the
    // dump holds exactly the packets that became events.
    bool Balanced() const { return events <= sent && sent - events <= atRisk && records == events; }
};

class SoakTally {
public:
    static constexpr size_t kChannels = 16;
    using Board = std::array<ChannelCounts, kChannels>;

    explicit SoakTally(size_t boards) : boards_(boards) {}

    // An event on a 1-based system channel; one outside these boards is stray.
    void CountEvent(uint32_t board, uint32_t channel);
    // zaqsim's --sent-counts file. False with `error` set when it cannot be read.
    bool ReadSentCounts(const std::string& path, std::string& error);
    // The recorded dump file: every record must be whole, of a known board and
    // channel, with a good checksum. False with `error` set otherwise.
    bool ReadDump(const std::string& path, std::string& error);

    uint64_t Total(uint64_t ChannelCounts::*field) const;
    // Channels out of balance, per board.
    std::vector<uint32_t> Mismatches() const;
    uint64_t StrayEvents() const { return strayEvents_; }
    const std::vector<Board>& Boards() const { return boards_; }

private:
    std::vector<Board> boards_;
    uint64_t strayEvents_ = 0;
    uint64_t straySent_ = 0;
};
