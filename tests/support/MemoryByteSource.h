// A byte source in memory for a unit port: tests queue what "the unit sends",
// read back what the port wrote, and make the line vanish. A read waits for
// input up to its cap (or `idleWaitMs` without one), so a reader thread can
// run on it as on a real line; a source without input reads as an idle line.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "unit/ByteSource.h"

class MemoryByteSource final : public ByteSource {
public:
    size_t Read(void* buffer, size_t size, int64_t capMs) override;
    size_t Write(const void* bytes, size_t size) override;
    uint32_t Close() override;
    bool IsOpen() const override;
    bool LastReadFailed() const override;
    void InterruptRead() override;
    void PurgeInput() override;

    // Appends to what the unit sends and wakes a waiting read.
    void Feed(const std::string& bytes);
    std::string Written();
    // Every later read fails, as on a device that has been unplugged.
    void Vanish();
    // Called with each piece the port writes; what it returns is fed back.
    void Respond(std::function<std::string(const std::string&)> responder);

    uint32_t idleWaitMs = 50;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<uint8_t> input_;
    std::string written_;
    std::function<std::string(const std::string&)> responder_;
    bool open_ = true;
    bool vanished_ = false;
    bool lastReadFailed_ = false;
    bool interrupted_ = false;
};
