// UpdatePhoneState: the lamp banks, named-lamp pairs, hook and ring compared
// and stored.
#include "decoders/PhoneStateTracker.h"

namespace {

constexpr uint32_t kLampNumberMask = QXEVT_LAMP_NUMBER_MASK;
constexpr uint32_t kStatesPerKind = 6;  // OFF to QUICKFLASH of one named-lamp kind

bool IsLampCode(uint32_t code)
{
    switch (code) {
    case QXEVT_LIGHT_ON:
    case QXEVT_LIGHT_OFF:
    case QXEVT_LIGHT_FLASHING:
    case QXEVT_LIGHT_FASTFLASHING:
    case QXEVT_LIGHT_QUICKFLASH:
    case QXEVT_LIGHT_VERY_FASTFLASHING:
        return true;
    default:
        return false;
    }
}

bool InKind(uint32_t code, uint32_t firstCode)
{
    return code >= firstCode && code < firstCode + kStatesPerKind;
}

struct PairFamily {
    uint32_t firstCode;
    PhoneStateTracker::NamedPair pair;
};

constexpr PairFamily kPairFamilies[] = {
    {QXEVT_FEATURE_LIGHT_OFF, PhoneStateTracker::kFeature},
    {QXEVT_SPEAKER_LIGHT_OFF, PhoneStateTracker::kSpeaker},
    {QXEVT_RING_LIGHT_OFF, PhoneStateTracker::kRingLight},
    {QXEVT_ANSWER_LIGHT_OFF, PhoneStateTracker::kAnswer},
    {QXEVT_CONFERENCE_LIGHT_OFF, PhoneStateTracker::kConference},
};

}  // namespace

PhoneStateTracker::PhoneStateTracker(PhoneStatusRecorder& status) : status_(status)
{
    for (Channel& channel : channels_) {
        channel.wide.fill(Entry{QXEVT_LIGHT_OFF, 0});
        channel.line.fill(Entry{QXEVT_LINE_LIGHT_OFF, 0});
    }
}

uint32_t PhoneStateTracker::UpdateBanks(WideTable& table, uint32_t code, uint32_t param)
{
    const uint32_t lamp = param & kLampNumberMask;
    bool touched = false;
    bool repeated = true;
    auto update = [&](uint32_t index) {
        Entry& entry = table[index];
        repeated = repeated && entry.code == code;
        entry = Entry{code, param};
        touched = true;
    };
    if ((param & QXEVT_LAMP_GREEN) != 0 || param <= kLampNumberMask) {
        update(lamp);
    }
    if ((param & QXEVT_LAMP_RED) != 0) {
        update(kBankSize + lamp);
    }
    return touched && repeated ? 1 : 0;
}

uint32_t PhoneStateTracker::UpdatePhoneState(uint8_t channel, const ZAQ16_EVENT& event)
{
    const uint32_t code = event.eventCode;
    Channel& state = channels_[channel];
    if (IsLampCode(code)) {
        return UpdateBanks(state.wide, code, event.param);
    }
    if (InKind(code, QXEVT_LINE_LIGHT_OFF)) {
        return UpdateBanks(state.line, code, event.param);
    }
    if (code == QXEVT_ONHOOK || code == QXEVT_OFFHOOK) {
        return status_.Record(channel, &ZAQ16_PHONE_STATUS::hookState, code) == EventState::Repeated ? 1 : 0;
    }
    if (code == QXEVT_RING_ON || code == QXEVT_RING_OFF) {
        return status_.Record(channel, &ZAQ16_PHONE_STATUS::ringState, code) == EventState::Repeated ? 1 : 0;
    }
    for (const PairFamily& family : kPairFamilies) {
        if (InKind(code, family.firstCode)) {
            Entry& entry = state.pairs[family.pair];
            const bool repeated = entry.code == code && entry.param == event.param;
            entry = Entry{code, event.param};
            return repeated ? 1 : 0;
        }
    }
    return 0;
}
