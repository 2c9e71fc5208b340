// The posting rule's view of a recorded state, and the audio words by path.
#include "decoders/TrackedState.h"

DecodedEvent Tracked(PhoneStateTracker& tracker, uint8_t channel, uint32_t code, uint32_t param)
{
    ZAQ16_EVENT event{};
    event.eventCode = code;
    event.param = param;
    const bool repeated = tracker.UpdatePhoneState(channel, event) == 1;
    return {code, param, repeated ? EventState::Repeated : EventState::Changed};
}

PhoneStatusRecorder::Word AudioPathWord(uint32_t path)
{
    switch (path) {
    case QXEVT_AUDIO_HANDSET:
        return &ZAQ16_PHONE_STATUS::handsetAudio;
    case QXEVT_AUDIO_HANDSFREE:
        return &ZAQ16_PHONE_STATUS::handsfreeAudio;
    case QXEVT_AUDIO_HANDSET_RECEIVER:
        return &ZAQ16_PHONE_STATUS::handsetReceiverAudio;
    case QXEVT_AUDIO_SPEAKER_MONITOR:
        return &ZAQ16_PHONE_STATUS::speakerMonitorAudio;
    default:
        return nullptr;
    }
}
