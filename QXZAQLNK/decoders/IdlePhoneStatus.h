// The phone status every set starts from: ringer off and the four audio paths
// off, which the first ring or audio message is compared with.
#pragma once

#include "decoders/DecoderContext.h"
#include "decoders/LockHold.h"

inline void SetIdlePhoneStatus(DecoderContext& context)
{
    LockHold hold(context.statusLock);
    for (ZAQ16_PHONE_STATUS& status : context.phoneStatus) {
        status.ringState = QXEVT_RING_OFF;
        status.handsetAudio = QXEVT_AUDIO_OFF;
        status.handsfreeAudio = QXEVT_AUDIO_OFF;
        status.handsetReceiverAudio = QXEVT_AUDIO_OFF;
        status.speakerMonitorAudio = QXEVT_AUDIO_OFF;
    }
}
