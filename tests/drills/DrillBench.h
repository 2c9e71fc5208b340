// The bench of the fault drills: the link fixture plus an event sink behind
// the library's callback, counting per board, and bounded waits.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "LinkFixture.h"
#include "qxzaqlnk.h"

class DrillBench : public LinkFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Polls `done` every few milliseconds for at most `ms`.
    static bool WaitUntil(const std::function<bool()>& done, int ms);

    std::vector<ZAQ16_EVENT> Events() const;
    std::vector<ZAQ16_EVENT> EventsOfBoard(uint32_t board) const;
    size_t CountOf(uint32_t board) const { return perBoard[board].load(); }
    size_t FinishedPlays() const { return finishedPlays.load(); }
    void ClearEvents();

    static uint32_t QXZAQ_CALL Deliver(ZAQ16_EVENT* event);

    // Runs inside the callback before each event is kept (empty: nothing).
    void OnEvent(std::function<void(const ZAQ16_EVENT&)> action);

private:
    mutable std::mutex lock;
    std::function<void(const ZAQ16_EVENT&)> onEvent;  // guarded by lock
    std::vector<ZAQ16_EVENT> events;
    std::atomic<size_t> perBoard[ZAQ16_MAX_BOARDS + 1] = {};
    std::atomic<size_t> finishedPlays{0};
};
