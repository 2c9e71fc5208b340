#include "DrillBench.h"

#include <thread>

namespace {

DrillBench* current = nullptr;

}  // namespace

void DrillBench::SetUp()
{
    LinkFixture::SetUp();
    current = this;
}

void DrillBench::TearDown()
{
    LinkFixture::TearDown();
    current = nullptr;
}

bool DrillBench::WaitUntil(const std::function<bool()>& done, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<ZAQ16_EVENT> DrillBench::Events() const
{
    std::lock_guard<std::mutex> guard(lock);
    return events;
}

std::vector<ZAQ16_EVENT> DrillBench::EventsOfBoard(uint32_t board) const
{
    std::vector<ZAQ16_EVENT> mine;
    for (const ZAQ16_EVENT& event : Events()) {
        if (event.board == board) {
            mine.push_back(event);
        }
    }
    return mine;
}

void DrillBench::OnEvent(std::function<void(const ZAQ16_EVENT&)> action)
{
    std::lock_guard<std::mutex> guard(lock);
    onEvent = std::move(action);
}

void DrillBench::ClearEvents()
{
    std::lock_guard<std::mutex> guard(lock);
    events.clear();
}

uint32_t QXZAQ_CALL DrillBench::Deliver(ZAQ16_EVENT* event)
{
    DrillBench* bench = current;
    if (bench == nullptr) {
        return 0;
    }
    std::function<void(const ZAQ16_EVENT&)> action;
    {
        std::lock_guard<std::mutex> guard(bench->lock);
        action = bench->onEvent;
    }
    if (action) {
        action(*event);
    }
    if (event->eventCode == QXEVT_FINISHED_PLAY) {
        ++bench->finishedPlays;
    }
    {
        std::lock_guard<std::mutex> guard(bench->lock);
        bench->events.push_back(*event);
    }
    ++bench->perBoard[std::min<uint32_t>(event->board, ZAQ16_MAX_BOARDS)];
    return 0;
}
