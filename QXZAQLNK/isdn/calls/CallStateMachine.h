// The Q.931 call state machine of a passively followed call: messages from
// the CO and from the CPE are events of one machine, dispatched through a
// table of (event, states, auxiliary states) -> handler.
#pragma once

#include <cstdint>

#include "isdn/calls/ISDNPTCall.h"
#include "isdn/monitor/IsdnTimerService.h"
#include "isdn/layer3/L3Message.h"

namespace isdn {

// The event of a message type that has none on that side: no handler runs.
inline constexpr uint32_t kUnhandledEvent = 153;

// The state machine's event for a message of `messageType` sent by `side`.
uint32_t MessageEvent(uint8_t messageType, Side side);

// Runs `event` on `call`. When an incoming call connects or ends, the copy
// of the same broadcast SETUP that the line's other terminal endpoint still
// holds is released without an event (see SiblingWatch in the .cpp).
uint32_t RunCallEvent(ISDNPTCall& call, uint32_t event, const L3Message& message);

// The call's data link is (re-)established: an Active call stops T309.
void CallLinkEstablished(ISDNPTCall& call);
// The call's data link is released: an Active call starts T309 (90 s), any
// other ends with cause 41.
void CallLinkReleased(ISDNPTCall& call);

// The expiry routine of a call timer (argument: the call entity).
TimerCallback CallTimerRoutine(CallTimer timer);

}  // namespace isdn
