#include "SentCounter.h"

#include <algorithm>

#include "PacketFrame.h"

namespace zaqsim {

namespace {

// More than a pseudo-terminal ever holds unread (its line discipline and flip buffers).
constexpr size_t kRecentBytes = 128 * 1024;
// Start marker, channel, type, length; the checksum follows the payload.
constexpr size_t kPacketOverhead = 5;

}  // namespace

int SentCounter::PacketChannel(std::string_view item)
{
    if (item.size() < kPacketOverhead || static_cast<uint8_t>(item[0]) != kPacketStart ||
        item.size() != kPacketOverhead + static_cast<uint8_t>(item[3]))
        return -1;
    return static_cast<uint8_t>(item[1]);
}

void SentCounter::Queue(std::string_view bytes, const std::vector<size_t>& itemSizes)
{
    size_t at = 0;
    for (size_t size : itemSizes) {
        queued_.push_back(Item{size, PacketChannel(bytes.substr(at, size))});
        at += size;
    }
}

void SentCounter::Written(size_t count)
{
    while (count > 0 && !queued_.empty()) {
        const Item& front = queued_.front();
        const size_t take = std::min(count, front.size - writtenOfFront_);
        writtenOfFront_ += take;
        count -= take;
        if (writtenOfFront_ < front.size)
            return;
        if (front.channel >= 0) {
            ++counts_.sent[front.channel];
            if (settling_)
                ++counts_.atRisk[front.channel];
        }
        recent_.push_back(front);
        recentBytes_ += front.size;
        while (recentBytes_ > kRecentBytes) {
            recentBytes_ -= recent_.front().size;
            recent_.pop_front();
        }
        queued_.pop_front();
        writtenOfFront_ = 0;
    }
}

void SentCounter::Unplugged(size_t unread)
{
    // The unread bytes are the newest written: a piece of a packet cut short first, then whole items.
    size_t covered = writtenOfFront_;
    for (auto item = recent_.rbegin(); item != recent_.rend() && covered < unread; ++item) {
        if (item->channel >= 0)
            ++counts_.atRisk[item->channel];
        covered += item->size;
    }
    queued_.clear();
    writtenOfFront_ = 0;
    recent_.clear();
    recentBytes_ = 0;
}

}  // namespace zaqsim
