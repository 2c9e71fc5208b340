#include "isdn/monitor/IsdnSession.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace isdn {

namespace {

// A session's events wait this long for the sessions before them to finish
// posting: as long as the event delivery waits for the application's
// callback. A turn that takes longer is passed over, so nothing hangs on a
// stuck callback; only the order against that turn is lost.
constexpr auto kTurnWait = std::chrono::milliseconds(3000);

using EventBatch = std::deque<QueuedCallEvent>;

// The batch this thread is posting, if it is: the events of a session that
// an event's receiver runs on this thread (frames fed from inside a callback)
// join that batch instead of waiting for a turn behind the thread's own.
thread_local EventBatch* postingBatch = nullptr;

}  // namespace

// Ends a turn when its posting ends, however it ends.
class PostingTurn {
public:
    PostingTurn(IsdnMonitor& monitor, uint64_t number, EventBatch& batch) : monitor_(monitor), number_(number)
    {
        postingBatch = &batch;
    }
    ~PostingTurn()
    {
        postingBatch = nullptr;
        std::lock_guard<std::mutex> lock(monitor_.mutex_);
        if (number_ == monitor_.serving_) {
            ++monitor_.serving_;
            while (monitor_.doneAhead_.erase(monitor_.serving_) != 0) {
                ++monitor_.serving_;
            }
        } else if (number_ > monitor_.serving_) {
            monitor_.doneAhead_.insert(number_);
        }
        monitor_.turnDone_.notify_all();
    }
    PostingTurn(const PostingTurn&) = delete;
    PostingTurn& operator=(const PostingTurn&) = delete;

private:
    IsdnMonitor& monitor_;
    uint64_t number_;
};

IsdnSession::IsdnSession(IsdnMonitor& monitor, EventSink* sink) : monitor_(monitor), lock_(monitor.mutex_)
{
    monitor_.sink_ = sink;
}

IsdnSession::~IsdnSession()
{
    IsdnMonitor& monitor = monitor_;
    EventSink* sink = monitor.sink_;
    monitor.sink_ = nullptr;
    if (monitor.queued_.empty() || sink == nullptr) {
        monitor.queued_.clear();
        return;
    }
    EventBatch batch;
    batch.swap(monitor.queued_);
    for (QueuedCallEvent& queued : batch) {
        queued.sink = sink;
    }
    if (postingBatch != nullptr) {
        postingBatch->insert(postingBatch->end(), batch.begin(), batch.end());
        return;
    }
    const uint64_t number = monitor.nextTurn_++;
    if (!monitor.turnDone_.wait_for(lock_, kTurnWait, [&] { return monitor.serving_ >= number; })) {
        // The turns still posting are passed over: the ones after this wait for it alone.
        monitor.serving_ = number;
        monitor.doneAhead_.erase(monitor.doneAhead_.begin(), monitor.doneAhead_.lower_bound(number));
    }
    lock_.unlock();
    PostingTurn turn(monitor, number, batch);
    // Events added while posting (see postingBatch) go out after the rest.
    for (size_t i = 0; i < batch.size(); ++i) {
        QueuedCallEvent& queued = batch[i];
        queued.event.callRecord = &queued.record;
        queued.sink->Post(queued.event);
    }
}

void IsdnMonitor::QueueCallEvent(const ZAQ16_EVENT& event, const void* record)
{
    QueuedCallEvent& queued = queued_.emplace_back();
    queued.event = event;
    std::memcpy(&queued.record, record, std::min<size_t>(event.param, sizeof queued.record));
}

}  // namespace isdn
