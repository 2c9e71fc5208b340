#include "isdn/IsdnSession.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace isdn {

namespace {

struct SessionState {
    std::mutex mutex;
    EventSink* sink = nullptr;
    std::vector<QueuedCallEvent> queued;
};

// Never destroyed: ports may still stop their front ends while the library
// unloads, after function-local statics would have gone.
SessionState& State()
{
    static SessionState* const state = new SessionState;
    return *state;
}

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
    std::vector<QueuedCallEvent> toPost;
    toPost.swap(state.queued);
    lock_.unlock();
    for (QueuedCallEvent& queued : toPost) {
        queued.event.callRecord = &queued.record;
        sink->Post(queued.event);
    }
}

void QueueCallEvent(const ZAQ16_EVENT& event, const void* record)
{
    QueuedCallEvent& queued = State().queued.emplace_back();
    queued.event = event;
    std::memcpy(&queued.record, record, std::min<size_t>(event.param, sizeof queued.record));
}

}  // namespace isdn
