// The one lock of the ISDN monitor. The call-entity pool and the timer table
// are shared by every front end of the process, and application threads copy
// call status while reader threads process frames: every frame, tick, start,
// stop and status copy runs inside an IsdnSession. Call events made inside a
// session are queued and posted after the lock is released, so an
// application callback may call the status functions again. Sessions post
// their events in turn, in the order they made them: an event of one reader
// thread never overtakes an earlier one of another (a timer of the shared
// table may expire on any port's thread).
#pragma once

#include <cstddef>
#include <mutex>

#include "core/EventSink.h"
#include "qxzaqlnk.h"

namespace isdn {

class IsdnSession {
public:
    // `sink` receives the events queued during the session (none for status copies).
    explicit IsdnSession(EventSink* sink);
    ~IsdnSession();
    IsdnSession(const IsdnSession&) = delete;
    IsdnSession& operator=(const IsdnSession&) = delete;

private:
    std::unique_lock<std::mutex> lock_;
};

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

// Queues an event of the running session (call only inside one). `record`
// is copied; its size is the event's param.
void QueueCallEvent(const ZAQ16_EVENT& event, const void* record);

}  // namespace isdn
