// Storing decoded states in the phone status record and telling a change from a
// repeat.
#include "decoders/PhoneStatusRecorder.h"

#include "base/Trace.h"
#include "decoders/LockHold.h"

PhoneStatusRecorder::PhoneStatusRecorder(platform::Lock& statusLock, ZAQ16_PHONE_STATUS (&status)[kChannels],
                                         uint32_t startChannel)
    : lock_(statusLock), status_(status), startChannel_(startChannel)
{
}

template <typename Update>
EventState PhoneStatusRecorder::Locked(uint8_t channel, Update update)
{
    LockHold hold(lock_);
    if (!hold) {
        Trace(TRACE_ERROR, "ProcessCommand", "Status lock timed out for %d", static_cast<int>(startChannel_ + channel));
        return EventState::Changed;
    }
    return StateOf(update(status_[channel]));
}

EventState PhoneStatusRecorder::Record(uint8_t channel, Word word, uint32_t code)
{
    return Locked(channel, [word, code](ZAQ16_PHONE_STATUS& status) {
        const bool changed = status.*word != code;
        status.*word = code;
        return changed;
    });
}

EventState PhoneStatusRecorder::RecordLamp(uint8_t channel, uint32_t index, uint32_t code, uint32_t param,
                                           LampMatch match)
{
    if (index >= ZAQ16_LAMP_ENTRIES) {
        return EventState::None;
    }
    return Locked(channel, [index, code, param, match](ZAQ16_PHONE_STATUS& status) {
        ZAQ16_LAMP_STATE& lamp = status.lamps[index];
        if (match == LampMatch::CodeOnly) {
            const bool changed = lamp.state != code;
            lamp.state = code;
            return changed;
        }
        const bool changed = lamp.state != code || lamp.param != param;
        lamp.state = code;
        lamp.param = param;
        return changed;
    });
}

void PhoneStatusRecorder::InitialiseLamps(uint32_t code, uint32_t (*paramOf)(uint32_t index))
{
    LockHold hold(lock_);
    if (!hold) {
        return;
    }
    for (ZAQ16_PHONE_STATUS& status : status_) {
        for (uint32_t i = 0; i < ZAQ16_LAMP_ENTRIES; ++i) {
            status.lamps[i] = ZAQ16_LAMP_STATE{code, paramOf(i)};
        }
    }
}
