// A serial device in memory: tests queue the bytes "the unit sends" and read
// back what the port wrote. By default reads never wait: an empty input reads
// as an idle line at once, so a port can be driven step by step without a
// thread. With `waitForInput` a read waits (bounded by the port's time-outs)
// for input, as a real line does, so a reader thread can run on it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

class MemorySerialDevice final : public platform::SerialDevice {
public:
    // The state lives in a shared object, so the test keeps reaching it after
    // the port has taken the device.
    struct Wire {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<uint8_t> input;
        bool waitForInput = false;
        bool interrupted = false;
        std::string written;
        bool vanished = false;
        uint32_t readCalls = 0;
        // Called with each chunk the port writes; what it returns is fed back
        // as the unit's answer (a stand-in for the unit in command tests).
        std::function<std::string(const std::string&)> responder;
        // Run once, under `mutex`, by the next Interrupt (bytes that arrive
        // just as the port wakes its reader).
        std::function<void()> onInterrupt;
    };

    explicit MemorySerialDevice(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}

    bool Configure(const platform::LineSettings&) override { return true; }
    platform::SerialTimeouts GetTimeouts() const override { return timeouts_; }
    void SetTimeouts(const platform::SerialTimeouts& timeouts) override { timeouts_ = timeouts; }
    platform::IoResult Read(void* buffer, size_t size, int64_t capMs) override;
    // Everything queued is "there": both reads hand over what is queued.
    platform::IoResult ReadArrived(void* buffer, size_t size, int64_t capMs) override;
    platform::IoResult Write(const void* buffer, size_t size) override;
    bool Purge(bool receive, bool transmit) override;
    bool ClearError() override;
    void Interrupt() override;

private:
    // Reads up to `size` bytes; an empty input is waited for (when the wire
    // says so) as long as a read of `timedBytes` may take.
    platform::IoResult Take(void* buffer, size_t size, size_t timedBytes, int64_t capMs);

    std::shared_ptr<MemorySerialDevice::Wire> wire_;
    platform::SerialTimeouts timeouts_;
};

using Wire = MemorySerialDevice::Wire;

// Appends bytes to what the unit sends (and wakes a waiting read).
void Feed(Wire& wire, const std::vector<uint8_t>& bytes);
void Feed(Wire& wire, const std::string& text);
// What the port has written so far.
std::string Written(Wire& wire);
// A packet as the unit frames it: 0x01, channel, type, length, payload, checksum.
// Framed here on its own, not with common/PacketFrame: a test must not share the code it checks.
std::vector<uint8_t> UnitPacket(uint8_t channel, uint8_t type, const std::vector<uint8_t>& payload);
