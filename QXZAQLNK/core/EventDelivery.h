// Event delivery: every event of every producer passes through SendEvent,
// which stamps it with the delivery tick and either calls the application's
// callback (one call at a time across all boards) or queues a copy for
// QXZAQGetEvent.
#pragma once

#include <cstdint>

#include "base/EventSink.h"
#include "qxzaqlnk.h"

// Copies `event`; returns the callback's result in callback mode, 0 after
// queueing, -1 when the event was lost (a lock not obtained in time, no queue).
uint32_t SendEvent(const ZAQ16_EVENT* event);

// The library's event delivery as a sink (SendEvent).
EventSink& LibraryEventSink();

// True on a thread that is inside the application's callback.
bool InsideCallback();

// The queue lives from QXZAQStartLink to QXZAQStopLink.
void CreateEventQueue();
void DestroyEventQueue();

// Takes the oldest queued event; ZAQ16_RET_NO_EVENT when none waits,
// ZAQ16_RET_NOT_READY when the queue lock was not obtained.
uint32_t TakeQueuedEvent(ZAQ16_EVENT& event);
