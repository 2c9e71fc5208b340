// A serial line on a fake clock: the test says at which millisecond each byte
// of the unit arrives, and a read waits (by moving the clock) under the COM
// port's time-out rules: it returns once the bytes asked for are there, when
// the read interval passes after a byte, or when its total time (cut to the
// caller's cap) is over. Deterministic; for a port driven step by step on the
// test's own thread.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "platform/SerialDevice.h"
#include "support/FakeClock.h"

class TimedSerialDevice final : public platform::SerialDevice {
public:
    struct Line {
        struct Arrival {
            uint32_t at;
            uint8_t byte;
        };
        std::deque<Arrival> pending;
        std::string written;
        // `bytes` arrive back to back at fake time `at` (not before bytes queued earlier).
        void Arrive(uint32_t at, std::string_view bytes);
        bool Empty() const { return pending.empty(); }
    };

    TimedSerialDevice(std::shared_ptr<Line> line, FakeClock& clock) : line_(std::move(line)), clock_(clock) {}

    bool Configure(const platform::LineSettings&) override { return true; }
    platform::SerialTimeouts GetTimeouts() const override { return timeouts_; }
    void SetTimeouts(const platform::SerialTimeouts& timeouts) override { timeouts_ = timeouts; }
    platform::IoResult Read(void* buffer, size_t size, int64_t capMs) override;
    // Waits (moving the clock) for the first byte as a read of one byte does,
    // then hands over the bytes that have arrived by then.
    platform::IoResult ReadArrived(void* buffer, size_t size, int64_t capMs) override;
    platform::IoResult Write(const void* buffer, size_t size) override;
    bool Purge(bool receive, bool transmit) override;
    bool ClearError() override { return true; }
    void Interrupt() override {}

private:
    // The total time-out of a read of `size` bytes, cut to `capMs` (when >= 0).
    int64_t TotalMs(size_t size, int64_t capMs) const;
    bool Arrived(uint32_t at) const { return static_cast<int32_t>(clock_.Now() - at) >= 0; }

    std::shared_ptr<Line> line_;
    FakeClock& clock_;
    // The port's own time-outs (a device handed in is not configured by the port).
    platform::SerialTimeouts timeouts_{100, 50, 250, 50, 0};
};
