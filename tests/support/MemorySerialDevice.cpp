#include "support/MemorySerialDevice.h"

#include <cerrno>
#include <chrono>

platform::IoResult MemorySerialDevice::Read(void* buffer, size_t size, int64_t capMs)
{
    return Take(buffer, size, size, capMs);
}

platform::IoResult MemorySerialDevice::ReadArrived(void* buffer, size_t size, int64_t capMs)
{
    return Take(buffer, size, 1, capMs);
}

platform::IoResult MemorySerialDevice::Take(void* buffer, size_t size, size_t timedBytes, int64_t capMs)
{
    std::unique_lock<std::mutex> lock(wire_->mutex);
    ++wire_->readCalls;
    if (wire_->waitForInput && wire_->input.empty()) {
        int64_t total = static_cast<int64_t>(timeouts_.readTotalMultiplier) * static_cast<int64_t>(timedBytes) +
                        timeouts_.readTotalConstant;
        if (capMs >= 0 && capMs < total) {
            total = capMs;
        }
        wire_->changed.wait_for(lock, std::chrono::milliseconds(total), [this] {
            return !wire_->input.empty() || wire_->interrupted || wire_->vanished;
        });
        wire_->interrupted = false;
    }
    platform::IoResult result;
    if (wire_->vanished) {
        result.error = EIO;
        return result;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (result.bytes < size && !wire_->input.empty()) {
        out[result.bytes++] = wire_->input.front();
        wire_->input.pop_front();
    }
    return result;
}

platform::IoResult MemorySerialDevice::Write(const void* buffer, size_t size)
{
    platform::IoResult result;
    std::function<std::string(const std::string&)> responder;
    {
        std::lock_guard<std::mutex> guard(wire_->mutex);
        if (wire_->vanished) {
            result.error = EIO;
            return result;
        }
        wire_->written.append(static_cast<const char*>(buffer), size);
        responder = wire_->responder;
    }
    result.bytes = size;
    if (responder) {
        Feed(*wire_, responder(std::string(static_cast<const char*>(buffer), size)));
    }
    return result;
}

bool MemorySerialDevice::Purge(bool receive, bool)
{
    std::lock_guard<std::mutex> guard(wire_->mutex);
    if (receive) {
        wire_->input.clear();
    }
    return true;
}

void MemorySerialDevice::Interrupt()
{
    {
        std::lock_guard<std::mutex> guard(wire_->mutex);
        wire_->interrupted = true;
        const std::function<void()> hook = std::move(wire_->onInterrupt);
        wire_->onInterrupt = nullptr;
        if (hook) {
            hook();
        }
    }
    wire_->changed.notify_all();
}

bool MemorySerialDevice::ClearError()
{
    std::lock_guard<std::mutex> guard(wire_->mutex);
    return !wire_->vanished;
}

void Feed(Wire& wire, const std::vector<uint8_t>& bytes)
{
    {
        std::lock_guard<std::mutex> guard(wire.mutex);
        wire.input.insert(wire.input.end(), bytes.begin(), bytes.end());
    }
    wire.changed.notify_all();
}

std::string Written(Wire& wire)
{
    std::lock_guard<std::mutex> guard(wire.mutex);
    return wire.written;
}

void Feed(Wire& wire, const std::string& text)
{
    Feed(wire, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> UnitPacket(uint8_t channel, uint8_t type, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes = {0x01, channel, type, static_cast<uint8_t>(payload.size())};
    uint8_t sum = 0;
    for (uint8_t byte : payload) {
        bytes.push_back(byte);
        sum = static_cast<uint8_t>(sum + byte);
    }
    bytes.push_back(static_cast<uint8_t>(0x100 - sum));
    return bytes;
}
