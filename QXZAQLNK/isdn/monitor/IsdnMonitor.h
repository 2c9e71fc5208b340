// The ISDN monitor of one link: the pool of call entities, the timer table,
// the lock they are used under and the queue that posts call events in order.
// Every front end of the link shares it (one pool, calls that move between
// lines); a test makes a fresh one. The front ends, the data links, layer 3
// and the calls all reach it through the front end they were started by.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>

#include "base/EventSink.h"
#include "isdn/calls/ISDNPTCall.h"
#include "isdn/monitor/IsdnTimerService.h"
#include "qxzaqlnk.h"

namespace isdn {

// A call event with a copy of its record and where it goes; callRecord is set
// when it is posted.
struct QueuedCallEvent {
    EventSink* sink = nullptr;
    ZAQ16_EVENT event{};
    union {
        ZAQ16_CALL_STATUS status;
        ZAQ16_CALL_USER_INFO userInfo;
    } record{};
};

class IsdnMonitor {
public:
    IsdnMonitor() = default;
    IsdnMonitor(const IsdnMonitor&) = delete;
    IsdnMonitor& operator=(const IsdnMonitor&) = delete;

    // Used only inside an IsdnSession of this monitor.
    IsdnTimerService& Timers() { return timers_; }
    CallEntityPool& Pool() { return pool_; }
    // Queues an event of the running session; `record` is copied, its size
    // is the event's param.
    void QueueCallEvent(const ZAQ16_EVENT& event, const void* record);

private:
    friend class IsdnSession;
    friend class PostingTurn;

    std::mutex mutex_;
    EventSink* sink_ = nullptr;
    std::deque<QueuedCallEvent> queued_;
    // Sessions with events take numbered turns to post them, in the order
    // they made them: turn `serving_` posts now; turns that ended while an
    // earlier one still posted are kept until the turns before them are done.
    uint64_t nextTurn_ = 0;
    uint64_t serving_ = 0;
    std::set<uint64_t> doneAhead_;
    std::condition_variable turnDone_;
    IsdnTimerService timers_;
    CallEntityPool pool_{*this};
};

}  // namespace isdn
