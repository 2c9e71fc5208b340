// The reader thread of a port: start, stop request and the wait for its end.
#include "unit/Live.h"

#include <chrono>

#include "base/Guarded.h"
#include "base/Trace.h"

CLive::CLive()
{
    Trace(TRACE_INFO, "CLive", "CREATING port");
    liveState = kCreated;
    Trace(TRACE_INFO, "CLive", "leaving CREATING port");
}

CLive::~CLive()
{
    std::lock_guard<std::mutex> guard(endMutex);
    if (!thread.joinable()) {
        return;
    }
    // The thread holds a reference until its very end: on the thread itself
    // this is that end; elsewhere the thread has already finished its work.
    if (OnOwnThreadLocked()) {
        thread.detach();
    } else {
        thread.join();
    }
}

bool CLive::StartThread(int priority)
{
    std::shared_ptr<CLive> self = weak_from_this().lock();
    std::lock_guard<std::mutex> guard(endMutex);
    if (!self || threadStarted) {
        return false;
    }
    liveState = kRunning;
    try {
        thread = std::thread([self]() {
            RunGuarded("CLive", [&self] { self->Main(); });
            {
                std::lock_guard<std::mutex> ending(self->endMutex);
                self->threadEnded = true;
            }
            self->ended.notify_all();
        });
    } catch (const std::system_error&) {
        liveState = kCreated;
        return false;
    }
    threadStarted = true;
    threadEnded = false;
    return true;
}

bool CLive::ThreadRunning() const
{
    std::lock_guard<std::mutex> guard(endMutex);
    return threadStarted && !threadEnded;
}

bool CLive::OnOwnThread() const
{
    std::lock_guard<std::mutex> guard(endMutex);
    return OnOwnThreadLocked();
}

bool CLive::OnOwnThreadLocked() const
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
    std::unique_lock<std::mutex> lock(endMutex);
    if (!threadStarted || OnOwnThreadLocked()) {
        return true;
    }
    if (!ended.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return threadEnded; })) {
        Trace(TRACE_WARNING, "CLive", "Thread did not end within %u ms; it ends on its own\n", waitMs);
        // Later waiters still see its end through the flag.
        if (thread.joinable()) {
            thread.detach();
        }
        return false;
    }
    // The thread has ended its work and takes the lock no more: joining here is brief.
    if (thread.joinable()) {
        thread.join();
    }
    return true;
}
