#include "EventSource.h"

#include <atomic>

#include "EventRoutine.h"

namespace {

// The library's callback carries no context: the routine of the one source
// that runs in callback mode.
std::atomic<EventRoutine*> callbackRoutine{nullptr};

}  // namespace

EventSource::EventSource(EventRoutine& routine) : routine_(routine) {}

EventSource::~EventSource()
{
    Stop();
}

uint32_t EventSource::Start(bool polling)
{
    Stop();
    if (polling) {
        const uint32_t result = QXZAQStartLink(nullptr);
        polling_.store(true);
        pollThread_ = std::thread(&EventSource::PollLoop, this);
        return result;
    }
    callbackRoutine.store(&routine_);
    return QXZAQStartLink(&EventSource::Callback);
}

void EventSource::Stop()
{
    QXZAQStopLink();
    // The stopped link calls back no more.
    EventRoutine* mine = &routine_;
    callbackRoutine.compare_exchange_strong(mine, nullptr);
    polling_.store(false);
    if (pollThread_.joinable()) {
        pollThread_.join();
    }
}

uint32_t QXZAQ_CALL EventSource::Callback(ZAQ16_EVENT* event)
{
    EventRoutine* routine = callbackRoutine.load();
    if (routine == nullptr || event == nullptr) {
        return 0;
    }
    return routine->ShowEvent(*event);
}

void EventSource::PollLoop()
{
    while (polling_.load()) {
        // Every event waiting, then a pause: a backlog never outgrows the poller.
        ZAQ16_EVENT event{};
        while (polling_.load() && QXZAQGetEvent(&event.reserved0, &event.timeStamp, &event.eventCode, &event.param,
                                                &event.board, &event.channel) == ZAQ16_RET_SUCCESS) {
            event.callRecord = nullptr;
            routine_.ShowEvent(event);
        }
        std::this_thread::sleep_for(kPollPause);
    }
}
