// CLive: owns a port's reader thread. The thread holds a reference to its
// object, so the object outlives every step of the thread; the owner asks the
// thread to stop and waits for it before letting go of its own reference.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class CLive : public std::enable_shared_from_this<CLive> {
public:
    enum State : uint32_t { kCreated = 0, kRunning = 1, kStopRequested = 2 };

    CLive();
    virtual ~CLive();
    CLive(const CLive&) = delete;
    CLive& operator=(const CLive&) = delete;

    virtual void Main() = 0;
    // Starts Main on a new thread (the object must be owned by a shared_ptr).
    // False when the thread could not be created; then nothing else changes.
    bool StartThread(int priority);

    // Requests the stop and waits up to `waitMs` for the thread to end. A
    // thread that does not end in time is left to finish on its own (it keeps
    // the object alive until then); returns false in that case. Called from the
    // thread itself, it only requests the stop.
    bool StopThread(uint32_t waitMs);
    // Only requests the stop and wakes the thread.
    void RequestStop();
    // Waits up to `waitMs` for the thread to end on its own (true when it has,
    // or when there is none). A thread that does not end in time is left to
    // finish on its own. Called from the thread itself, it returns true at once.
    // Any number of threads may wait at once: the first to see the end joins
    // the thread, the others only see it ended.
    bool WaitForEnd(uint32_t waitMs);

    bool StopRequested() const { return liveState.load() == kStopRequested; }
    bool ThreadRunning() const;
    bool OnOwnThread() const;

protected:
    // Wakes whatever the thread is blocked on, so that it sees the stop request.
    virtual void WakeForStop() {}

    std::thread thread;  // under endMutex
    std::atomic<uint32_t> liveState{kCreated};

private:
    bool OnOwnThreadLocked() const;

    // Guards `thread` (started, joined, detached) and the end flags.
    mutable std::mutex endMutex;
    std::condition_variable ended;
    bool threadStarted = false;
    bool threadEnded = false;
};
