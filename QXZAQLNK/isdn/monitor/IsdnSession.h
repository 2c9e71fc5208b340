// The lock of an ISDN monitor (IsdnMonitor.h). Application threads copy call
// status while reader threads process frames: every frame, tick, start, stop
// and status copy runs inside an IsdnSession. Call events made inside a
// session are queued and posted after the lock is released, so an
// application callback may call the status functions again. Sessions post
// their events in turn, in the order they made them: an event of one reader
// thread never overtakes an earlier one of another (a timer of the shared
// table may expire on any port's thread).
#pragma once

#include <mutex>

#include "base/EventSink.h"
#include "isdn/monitor/IsdnMonitor.h"

namespace isdn {

class IsdnSession {
public:
    // `sink` receives the events queued during the session (none for status copies).
    IsdnSession(IsdnMonitor& monitor, EventSink* sink);
    ~IsdnSession();
    IsdnSession(const IsdnSession&) = delete;
    IsdnSession& operator=(const IsdnSession&) = delete;

private:
    IsdnMonitor& monitor_;
    std::unique_lock<std::mutex> lock_;
};

}  // namespace isdn
