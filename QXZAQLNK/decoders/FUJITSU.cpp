// The Fujitsu 9600 decoder: display, lamps, audio paths and ringer from the
// PBX, hook and keys from the set; hook and ring posted only on change.
#include "decoders/FUJITSU.h"

#include "base/Trace.h"
#include "decoders/FujitsuTables.h"

using namespace fujitsu;

namespace {

// The bytes each message needs from d[0] on.
constexpr uint32_t kShortestClear = 5;
constexpr uint32_t kShortestWriteAtPosition = 3;
constexpr uint32_t kShortestWriteAtCursor = 2;
constexpr uint32_t kShortestLamp = 3;
constexpr uint32_t kShortestAudio = 4;
constexpr uint32_t kShortestRinger = 3;
constexpr uint32_t kShortestSetMessage = 2;

// Ring events carry this parameter.
constexpr uint32_t kRingParam = 1;

// Entries 0 to 254 are the green lamps, 255 to 509 the red ones.
uint32_t InitialLampParam(uint32_t index)
{
    constexpr uint32_t kRed = PhoneStatusRecorder::kRedLampEntries;
    return index < kRed ? (index | QXEVT_LAMP_GREEN) : ((index - kRed) | QXEVT_LAMP_RED);
}

}  // namespace

FUJITSU::FUJITSU(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      output_(context),
      display_(context.displays, context.displayLock)
{
    Trace(TRACE_INFO, "FUJITSU::FUJITSU", "Port created for %d", static_cast<int>(context.StartChannel()));
    status_.InitialiseLamps(QXEVT_LIGHT_OFF, &InitialLampParam);
    for (uint8_t channel = 0; channel < DecoderContext::kChannels; ++channel) {
        status_.Record(channel, &ZAQ16_PHONE_STATUS::hookState, QXEVT_ONHOOK);
    }
}

uint8_t FUJITSU::Decode(const Packet& packet)
{
    const uint8_t channel = packet.channel;
    if (channel >= DecoderContext::kChannels) {
        return 0;
    }
    if (packet.length == 0) {
        return 1;
    }
    DecodedEvent decoded;
    if (packet.type == kFromPbx) {
        decoded = DecodeFromPbx(channel, packet.data, packet.length);
    } else if (packet.type == kFromSet) {
        decoded = DecodeFromSet(channel, packet.data, packet.length);
    }
    output_.PostByRule(channel, decoded);
    return 1;
}

DecodedEvent FUJITSU::DecodeFromPbx(uint8_t channel, const uint8_t* d, uint32_t length)
{
    switch (d[0]) {
    case kClearArea:
        return ClearArea(channel, d, length);
    case kWriteAtPosition:
        if (length < kShortestWriteAtPosition) {
            return {};
        }
        return DisplayChange(display_.WriteAt(channel, d[2], d + 3, length - 3));
    case kWriteAtCursor:
        if (length < kShortestWriteAtCursor) {
            return {};
        }
        return DisplayChange(display_.WriteAtCursor(channel, d + 2, length - 2));
    case kLampOrAudio:
        return LampOrAudio(channel, d, length);
    case kRinger:
        if (length < kShortestRinger || (d[2] != kRingerOn && d[2] != kRingerOff)) {
            return {};
        }
        return OnChange(channel, &ZAQ16_PHONE_STATUS::ringState, d[2] == kRingerOn ? QXEVT_RING_ON : QXEVT_RING_OFF,
                        kRingParam);
    default:
        return {};
    }
}

DecodedEvent FUJITSU::ClearArea(uint8_t channel, const uint8_t* d, uint32_t length)
{
    if (length < kShortestClear) {
        return {};
    }
    const uint8_t start = d[3];
    const uint8_t count = d[4];
    const bool idleArea = (start == 20 && count == 20) || (start == 40 && count == 40);
    if (d[1] == kIdleClearFirst && d[2] == kIdleClearSecond && idleArea) {
        return {};
    }
    return DisplayChange(display_.Clear(channel, start, count));
}

DecodedEvent FUJITSU::LampOrAudio(uint8_t channel, const uint8_t* d, uint32_t length)
{
    if (length < kShortestLamp) {
        return {};
    }
    const uint8_t item = d[1];
    const uint8_t state = d[2];
    if (item == kAudioItem) {
        if (length >= kShortestAudio && (state == kStateOff || state == kStateOn)) {
            Audio(channel, d[3]);
        }
        return {};
    }
    if (!IsLampItem(item)) {
        return {};
    }
    if (item == kSpeakerLampItem) {
        SpeakerLampAudio(channel, state);
    }
    return Lamp(channel, item, state);
}

DecodedEvent FUJITSU::Lamp(uint8_t channel, uint8_t item, uint8_t state)
{
    const uint32_t code = LookupCode(kLampStates, state & 7);
    if (code == 0) {
        return {};
    }
    const uint32_t lamp = static_cast<uint8_t>(item - kLampItemBase);
    const uint32_t param = lamp | QXEVT_LAMP_GREEN;
    return {code, param, status_.RecordLamp(channel, lamp, code, param, PhoneStatusRecorder::LampMatch::CodeAndParam)};
}

void FUJITSU::SpeakerLampAudio(uint8_t channel, uint8_t state)
{
    // The speaker lamp follows the speaker-monitor path, which takes over from handsfree.
    if (state == kStateOn) {
        SetPath(channel, kHandsfree, false);
        SetPath(channel, kSpeakerMonitor, true);
    } else if (state == kStateOff) {
        SetPath(channel, kSpeakerMonitor, false);
    }
}

void FUJITSU::Audio(uint8_t channel, uint8_t configuration)
{
    const AudioConfiguration* row = FindAudioConfiguration(configuration);
    if (row == nullptr) {
        return;
    }
    for (uint8_t i = 0; i < row->count; ++i) {
        SetPath(channel, row->paths[i].path, row->paths[i].on);
    }
}

void FUJITSU::SetPath(uint8_t channel, uint8_t path, bool on)
{
    const uint32_t code = on ? QXEVT_AUDIO_ON : QXEVT_AUDIO_OFF;
    if (status_.Record(channel, kAudioWords[path], code) == EventState::Changed) {
        output_.Post(channel, code, path);
    }
}

DecodedEvent FUJITSU::DecodeFromSet(uint8_t channel, const uint8_t* d, uint32_t length)
{
    if (length < kShortestSetMessage) {
        return {};
    }
    const uint8_t value = d[1];
    if (d[0] == kHook && (value == kOnHook || value == kOffHook)) {
        return OnChange(channel, &ZAQ16_PHONE_STATUS::hookState, value == kOnHook ? QXEVT_ONHOOK : QXEVT_OFFHOOK, 0);
    }
    if (d[0] != kKey) {
        return {};
    }
    const KeyRow* row = FindKey(value);
    if (row == nullptr) {
        return {};
    }
    return {row->code, static_cast<uint32_t>(value + row->add), EventState::Stateless};
}

DecodedEvent FUJITSU::OnChange(uint8_t channel, PhoneStatusRecorder::Word word, uint32_t code, uint32_t param)
{
    // An unchanged state is never posted, whatever the event-update switch says.
    const bool changed = status_.Record(channel, word, code) == EventState::Changed;
    return {code, param, changed ? EventState::Changed : EventState::None};
}

DecodedEvent FUJITSU::DisplayChange(bool changed)
{
    if (!changed) {
        return {};
    }
    return {QXEVT_MESSAGE_CHANGE, FujitsuDisplay::kShownBytes, EventState::Changed};
}
