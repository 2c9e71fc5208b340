#include "support/TimedSerialDevice.h"

void TimedSerialDevice::Line::Arrive(uint32_t at, std::string_view bytes)
{
    if (!pending.empty() && static_cast<int32_t>(at - pending.back().at) < 0) {
        at = pending.back().at;
    }
    for (char byte : bytes) {
        pending.push_back({at, static_cast<uint8_t>(byte)});
    }
}

int64_t TimedSerialDevice::TotalMs(size_t size, int64_t capMs) const
{
    const int64_t total = static_cast<int64_t>(timeouts_.readTotalMultiplier) * static_cast<int64_t>(size) +
                          timeouts_.readTotalConstant;
    return capMs >= 0 && capMs < total ? capMs : total;
}

platform::IoResult TimedSerialDevice::ReadArrived(void* buffer, size_t size, int64_t capMs)
{
    const uint32_t deadline = clock_.Now() + static_cast<uint32_t>(TotalMs(1, capMs));
    auto* out = static_cast<uint8_t*>(buffer);
    platform::IoResult result;
    if (size == 0) {
        return result;
    }
    if (!line_->pending.empty() && !Arrived(line_->pending.front().at)) {
        if (static_cast<int32_t>(line_->pending.front().at - deadline) > 0) {
            clock_.Set(deadline);
            return result;
        }
        clock_.Set(line_->pending.front().at);
    } else if (line_->pending.empty()) {
        clock_.Set(deadline);
        return result;
    }
    while (result.bytes < size && !line_->pending.empty() && Arrived(line_->pending.front().at)) {
        out[result.bytes++] = line_->pending.front().byte;
        line_->pending.pop_front();
    }
    return result;
}

platform::IoResult TimedSerialDevice::Read(void* buffer, size_t size, int64_t capMs)
{
    const uint32_t deadline = clock_.Now() + static_cast<uint32_t>(TotalMs(size, capMs));
    auto* out = static_cast<uint8_t*>(buffer);
    platform::IoResult result;
    uint32_t lastByteAt = 0;
    for (;;) {
        while (result.bytes < size && !line_->pending.empty() && Arrived(line_->pending.front().at)) {
            out[result.bytes++] = line_->pending.front().byte;
            line_->pending.pop_front();
            lastByteAt = clock_.Now();
        }
        if (result.bytes == size) {
            return result;
        }
        uint32_t limit = deadline;
        if (result.bytes > 0 && timeouts_.readInterval > 0 &&
            static_cast<int32_t>(lastByteAt + timeouts_.readInterval - limit) < 0) {
            limit = lastByteAt + timeouts_.readInterval;
        }
        if (line_->pending.empty() || static_cast<int32_t>(line_->pending.front().at - limit) > 0) {
            if (static_cast<int32_t>(limit - clock_.Now()) > 0) {
                clock_.Set(limit);
            }
            return result;
        }
        clock_.Set(line_->pending.front().at);
    }
}

platform::IoResult TimedSerialDevice::Write(const void* buffer, size_t size)
{
    line_->written.append(static_cast<const char*>(buffer), size);
    platform::IoResult result;
    result.bytes = size;
    return result;
}

bool TimedSerialDevice::Purge(bool receive, bool)
{
    while (receive && !line_->pending.empty() && Arrived(line_->pending.front().at)) {
        line_->pending.pop_front();
    }
    return true;
}
