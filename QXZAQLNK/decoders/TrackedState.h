// What the decoders that compare through UpdatePhoneState share: the state of
// an event as the posting rule sees it, and the audio words of the phone
// status. The state is recorded whatever the event-update switch says, so that
// the phone status an application reads stays true while every event is
// posted; the switch only decides whether a repeat is posted.
#pragma once

#include <cstdint>

#include "decoders/PhoneStateTracker.h"
#include "decoders/PostingRule.h"

// Records `code` with `param` for a local channel: Repeated when it repeats the
// stored state, else Changed (also for codes that keep no state).
DecodedEvent Tracked(PhoneStateTracker& tracker, uint8_t channel, uint32_t code, uint32_t param);

// The audio path words of the phone status record by event parameter (1 to 4);
// null for another parameter.
PhoneStatusRecorder::Word AudioPathWord(uint32_t path);
