#include "support/MemoryByteSource.h"

#include <chrono>

size_t MemoryByteSource::Read(void* buffer, size_t size, int64_t capMs)
{
    std::unique_lock<std::mutex> guard(mutex_);
    const auto wait = std::chrono::milliseconds(capMs >= 0 ? capMs : idleWaitMs);
    changed_.wait_for(guard, wait, [this] { return !input_.empty() || interrupted_ || vanished_ || !open_; });
    interrupted_ = false;
    lastReadFailed_ = vanished_;
    if (vanished_ || !open_) {
        return 0;
    }
    size_t count = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (count < size && !input_.empty()) {
        bytes[count++] = input_.front();
        input_.pop_front();
    }
    return count;
}

size_t MemoryByteSource::Write(const void* bytes, size_t size)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (!open_ || vanished_) {
        return 0;
    }
    const std::string piece(static_cast<const char*>(bytes), size);
    written_ += piece;
    if (responder_) {
        const std::string answer = responder_(piece);
        input_.insert(input_.end(), answer.begin(), answer.end());
        changed_.notify_all();
    }
    return size;
}

uint32_t MemoryByteSource::Close()
{
    std::lock_guard<std::mutex> guard(mutex_);
    const bool wasOpen = open_;
    open_ = false;
    changed_.notify_all();
    return wasOpen ? 1 : 0;
}

bool MemoryByteSource::IsOpen() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return open_;
}

bool MemoryByteSource::LastReadFailed() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return lastReadFailed_;
}

void MemoryByteSource::InterruptRead()
{
    std::lock_guard<std::mutex> guard(mutex_);
    interrupted_ = true;
    changed_.notify_all();
}

void MemoryByteSource::PurgeInput()
{
    std::lock_guard<std::mutex> guard(mutex_);
    input_.clear();
}

void MemoryByteSource::Feed(const std::string& bytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    changed_.notify_all();
}

std::string MemoryByteSource::Written()
{
    std::lock_guard<std::mutex> guard(mutex_);
    return written_;
}

void MemoryByteSource::Vanish()
{
    std::lock_guard<std::mutex> guard(mutex_);
    vanished_ = true;
    changed_.notify_all();
}

void MemoryByteSource::Respond(std::function<std::string(const std::string&)> responder)
{
    std::lock_guard<std::mutex> guard(mutex_);
    responder_ = std::move(responder);
}
