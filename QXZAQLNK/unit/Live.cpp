#include "unit/Live.h"

#include <chrono>

#include "core/Trace.h"

CLive::CLive(const char* portName)
{
    Trace(TRACE_INFO, "CLive", "CREATING port");
    liveState = kCreated;
    hasPort = portName != nullptr ? 1 : 0;
    Trace(TRACE_INFO, "CLive", "leaving CREATING port");
}

CLive::~CLive()
{
    if (!thread.joinable()) {
        return;
    }
    // The thread holds a reference until its very end: on the thread itself
    // this is that end; elsewhere the thread has already finished its work.
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();
    } else {
        thread.join();
    }
}

bool CLive::StartThread(int priority)
{
    std::shared_ptr<CLive> self = weak_from_this().lock();
    if (!self || thread.joinable()) {
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(endMutex_);
        threadEnded_ = false;
    }
    liveState = kRunning;
    try {
        thread = std::thread([self]() {
            self->Main();
            {
                std::lock_guard<std::mutex> guard(self->endMutex_);
                self->threadEnded_ = true;
            }
            self->ended_.notify_all();
        });
    } catch (const std::system_error&) {
        liveState = kCreated;
        return false;
    }
    return true;
}

bool CLive::ThreadRunning() const
{
    std::lock_guard<std::mutex> guard(endMutex_);
    return thread.joinable() && !threadEnded_;
}

bool CLive::OnOwnThread() const
{
    return thread.joinable() && thread.get_id() == std::this_thread::get_id();
}

void CLive::RequestStop()
{
    liveState = kStopRequested;
    WakeForStop();
}

bool CLive::StopThread(uint32_t waitMs)
{
    RequestStop();
    return WaitForEnd(waitMs);
}

bool CLive::WaitForEnd(uint32_t waitMs)
{
    if (!thread.joinable() || OnOwnThread()) {
        return true;
    }
    std::unique_lock<std::mutex> lock(endMutex_);
    if (!ended_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return threadEnded_; })) {
        lock.unlock();
        Trace(TRACE_WARNING, "CLive", "Thread did not end within %u ms; it ends on its own\n", waitMs);
        thread.detach();
        return false;
    }
    lock.unlock();
    thread.join();
    return true;
}
