// Call events: each milestone of a call becomes a QXEVT_CALL_ event carrying
// a copy of the call's status record (or, for user information, the user
// information record). Events are queued on the call's monitor during its IsdnSession and
// posted when it ends.
#pragma once

#include <cstdint>

#include "isdn/calls/ISDNPTCall.h"
#include "isdn/IsdnCodes.h"
#include "qxzaqlnk.h"

namespace isdn {

// The status record of `call` (words 0 to 77; duration 0, cause = the call's cause).
void BuildCallStatus(const ISDNPTCall& call, ZAQ16_CALL_STATUS& record);
// The 1-based system channel the call's events are posted on: the line's
// channel of its B-channel (B1 while no channel is known yet).
uint32_t EventChannel(const ISDNPTCall& call);

void CallConnectedInd(ISDNPTCall& call);
void CallReleasedInd(ISDNPTCall& call);
void CallRejectedInd(ISDNPTCall& call);
void CallAbandonedInd(ISDNPTCall& call);
void CallAlertingInd(ISDNPTCall& call);
void CallHeldInd(ISDNPTCall& call);
void CallRetrievedInd(ISDNPTCall& call);
void CallSuspendedInd(ISDNPTCall& call);
void CallResumedInd(ISDNPTCall& call);
void CallUserInfoInd(ISDNPTCall& call, Side source);

}  // namespace isdn
