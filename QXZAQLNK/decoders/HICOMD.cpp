// The Hicom decoder: the message after the first 0xBD; lamps, display, audio
// paths and ringer from the PBX, hook and keys from the set.
#include "decoders/HICOMD.h"

#include <algorithm>

#include "decoders/HicomTables.h"

using namespace hicom;

namespace {

// The bytes each message needs from its code on.
constexpr uint32_t kShortestLampMessage = 3;
constexpr uint32_t kShortestDisplayMessage = 4;
constexpr uint32_t kShortestAudioMessage = 2;
constexpr uint32_t kShortestKeyMessage = 2;

// Hook changes, keys and the ringer are posted every time.
DecodedEvent EveryTime(uint32_t code, uint32_t param)
{
    return {code, param, EventState::Stateless};
}

}  // namespace

HICOMD::HICOMD(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      output_(context),
      display_(context.displays, context.displayLock)
{
}

uint8_t HICOMD::Decode(const Packet& packet)
{
    const uint8_t channel = packet.channel;
    if (channel >= DecoderContext::kChannels) {
        return 0;
    }
    if (packet.type != kFromPbx && packet.type != kFromSet) {
        return 1;
    }
    const uint8_t* const end = packet.data + packet.length;
    const uint8_t* const start = std::find(packet.data, end, kMessageStart);
    if (start == end || start + 1 == end) {
        return 1;
    }
    const uint8_t* const m = start + 1;
    const uint32_t length = static_cast<uint32_t>(end - m);
    const DecodedEvent decoded = packet.type == kFromPbx ? DecodeFromPbx(channel, m, length, packet.length)
                                                         : DecodeFromSet(m, length);
    output_.PostByRule(channel, decoded);
    return 1;
}

DecodedEvent HICOMD::DecodeFromSet(const uint8_t* m, uint32_t length)
{
    switch (m[0]) {
    case kOffHook:
        // The hook word of the status record is left as it is.
        return EveryTime(QXEVT_OFFHOOK, 0);
    case kOnHook:
        return EveryTime(QXEVT_ONHOOK, 0);
    case kKey: {
        if (length < kShortestKeyMessage) {
            return {};
        }
        const uint8_t key = m[1] & kKeyMask;
        const KeyRow* row = FindKey(key);
        if (row == nullptr) {
            return {};
        }
        const uint32_t param = row->character != 0 ? static_cast<uint32_t>(row->character)
                                                   : static_cast<uint32_t>((key & 0x0F) + row->add);
        return EveryTime(row->code, param);
    }
    default:
        return {};
    }
}

DecodedEvent HICOMD::DecodeFromPbx(uint8_t channel, const uint8_t* m, uint32_t length, uint32_t packetLength)
{
    switch (m[0]) {
    case kLamp:
        return length < kShortestLampMessage ? DecodedEvent{} : DecodeLamp(channel, m[1], m[2]);
    case kDisplayWrite:
    case kDisplayClear:
        return length < kShortestDisplayMessage ? DecodedEvent{} : DecodeDisplay(channel, m, length, packetLength);
    case kAudio:
        if (length >= kShortestAudioMessage) {
            DecodeAudio(channel, m[1]);
        }
        return {};
    case kRingerOn:
        return RingerOn(channel, m, length);
    case kRingerOff:
        return RingerOff(channel);
    default:
        return {};
    }
}

DecodedEvent HICOMD::DecodeLamp(uint8_t channel, uint8_t lampByte, uint8_t state)
{
    const uint8_t nibble = lampByte & 0x0F;
    const uint32_t code = LookupCode(kLampStates, state);
    if (nibble < kFirstLampNibble || code == 0) {
        return {};
    }
    const uint32_t lamp = nibble - kFirstLampNibble;
    const uint32_t param = lamp | QXEVT_LAMP_GREEN;
    return {code, param, status_.RecordLamp(channel, lamp, code, param, PhoneStatusRecorder::LampMatch::CodeAndParam)};
}

DecodedEvent HICOMD::DecodeDisplay(uint8_t channel, const uint8_t* m, uint32_t length, uint32_t packetLength)
{
    const uint8_t* const characters = m + kShortestDisplayMessage;
    uint32_t count = 0;
    if (m[0] == kDisplayWrite && packetLength > kDisplayTextStart) {
        // The PBX's count assumes two bytes before the message start; it
        // never reaches past the packet's end.
        count = std::min(packetLength - kDisplayTextStart, length - kShortestDisplayMessage);
    }
    if (!display_.Write(channel, m[1], m[2], m[3], characters, count)) {
        return {};
    }
    return {QXEVT_MESSAGE_CHANGE, HicomDisplay::kShownBytes, EventState::Changed};
}

void HICOMD::DecodeAudio(uint8_t channel, uint8_t configuration)
{
    const AudioConfiguration* row = FindAudioConfiguration(configuration);
    if (row == nullptr) {
        return;
    }
    for (const PathSetting& setting : row->paths) {
        const uint32_t code = setting.on ? QXEVT_AUDIO_ON : QXEVT_AUDIO_OFF;
        const EventState state = status_.Record(channel, kAudioWords[setting.path], code);
        output_.PostByRule(channel, {code, setting.path, state});
    }
}

DecodedEvent HICOMD::RingerOn(uint8_t channel, const uint8_t* m, uint32_t length)
{
    // A message cut before its cadence rings with the parameter of an unknown cadence.
    const uint32_t param = length > kCadencePlace ? LookupCode(kRingCadences, m[kCadencePlace]) : 0;
    ringParam_[channel] = param;
    status_.Record(channel, &ZAQ16_PHONE_STATUS::ringState, QXEVT_RING_ON);
    return EveryTime(QXEVT_RING_ON, param);
}

DecodedEvent HICOMD::RingerOff(uint8_t channel)
{
    status_.Record(channel, &ZAQ16_PHONE_STATUS::ringState, QXEVT_RING_OFF);
    return EveryTime(QXEVT_RING_OFF, ringParam_[channel]);
}
