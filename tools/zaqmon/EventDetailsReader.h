// What an event shows beyond its six words, read from the library while the
// event is at hand: the display text of a QXEVT_MESSAGE_CHANGE and the call
// of a call event. Shared by zaqmon and zaqbridge.
#pragma once

#include "EventPrinter.h"
#include "qxzaqlnk.h"

// The call is copied into `call` (the event's own record in callback mode,
// the channel's call as it stands now when the event was polled);
// details.call points there when there is one.
EventDetails ReadEventDetails(const ZAQ16_EVENT& event, ZAQ16_CALL_STATUS& call);
