#include "isdn/IsdnSession.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <set>

namespace isdn {

namespace {

// A session's events wait this long for the sessions before them to finish
// posting: as long as the event delivery waits for the application's
// callback. A turn that takes longer is passed over, so nothing hangs on a
// stuck callback; only the order against that turn is lost.
constexpr auto kTurnWait = std::chrono::milliseconds(3000);

using EventBatch = std::deque<QueuedCallEvent>;

struct SessionState {
    std::mutex mutex;
    EventSink* sink = nullptr;
    EventBatch queued;
    // Sessions with events take numbered turns to post them, in the order
    // they made them: turn `serving` posts now; turns that ended while an
    // earlier one still posted are kept until the turns before them are done.
    uint64_t nextTurn = 0;
    uint64_t serving = 0;
    std::set<uint64_t> doneAhead;
    std::condition_variable turnDone;
};

// Never destroyed: ports may still stop their front ends while the library
// unloads, after function-local statics would have gone.
SessionState& State()
{
    static SessionState* const state = new SessionState;
    return *state;
}

// The batch this thread is posting, if it is: the events of a session that
// an event's receiver runs on this thread (frames fed from inside a callback)
// join that batch instead of waiting for a turn behind the thread's own.
thread_local EventBatch* postingBatch = nullptr;

// Ends a turn when its posting ends, however it ends.
class Turn {
public:
    Turn(SessionState& state, uint64_t number, EventBatch& batch) : state_(state), number_(number)
    {
        postingBatch = &batch;
    }
    ~Turn()
    {
        postingBatch = nullptr;
        std::lock_guard<std::mutex> lock(state_.mutex);
        if (number_ == state_.serving) {
            ++state_.serving;
            while (state_.doneAhead.erase(state_.serving) != 0) {
                ++state_.serving;
            }
        } else if (number_ > state_.serving) {
            state_.doneAhead.insert(number_);
        }
        state_.turnDone.notify_all();
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    SessionState& state_;
    uint64_t number_;
};

}  // namespace

IsdnSession::IsdnSession(EventSink* sink) : lock_(State().mutex)
{
    State().sink = sink;
}

IsdnSession::~IsdnSession()
{
    SessionState& state = State();
    EventSink* sink = state.sink;
    state.sink = nullptr;
    if (state.queued.empty() || sink == nullptr) {
        state.queued.clear();
        return;
    }
    EventBatch batch;
    batch.swap(state.queued);
    for (QueuedCallEvent& queued : batch) {
        queued.sink = sink;
    }
    if (postingBatch != nullptr) {
        postingBatch->insert(postingBatch->end(), batch.begin(), batch.end());
        return;
    }
    const uint64_t number = state.nextTurn++;
    if (!state.turnDone.wait_for(lock_, kTurnWait, [&] { return state.serving >= number; })) {
        // The turns still posting are passed over: the ones after this wait for it alone.
        state.serving = number;
        state.doneAhead.erase(state.doneAhead.begin(), state.doneAhead.lower_bound(number));
    }
    lock_.unlock();
    Turn turn(state, number, batch);
    // Events added while posting (see postingBatch) go out after the rest.
    for (size_t i = 0; i < batch.size(); ++i) {
        QueuedCallEvent& queued = batch[i];
        queued.event.callRecord = &queued.record;
        queued.sink->Post(queued.event);
    }
}

void QueueCallEvent(const ZAQ16_EVENT& event, const void* record)
{
    QueuedCallEvent& queued = State().queued.emplace_back();
    queued.event = event;
    std::memcpy(&queued.record, record, std::min<size_t>(event.param, sizeof queued.record));
}

}  // namespace isdn
