// The MD110 decoder: checksum, the message run of both directions, the
// display flushed ahead of PBX events or by its timer, the read-back.
#include "decoders/ERRICSOND.h"

#include <algorithm>
#include <cstring>

#include "base/Trace.h"
#include "base/SystemEventLog.h"
#include "decoders/EricssonTables.h"
#include "decoders/TrackedState.h"

using namespace ericsson;

namespace {

constexpr DisplayTimers::Settings kTimerSettings{ERRICSOND::kDisplayDelayMs, DisplayTimers::Numbering::Local,
                                                 DisplayTimers::Numbering::LocalPlusOne, TRACE_INFO,
                                                 "TimerCompletionERRICSOND"};

constexpr uint32_t kChecksumErrorCode = 1;

void ReportChecksumError(uint16_t sum, uint16_t received)
{
    const uint16_t data[2] = {sum, received};
    ReportError(kChecksumErrorCode, "QXZAQLNK : Ericsson Checksum Error", sizeof data, data);
}

}  // namespace

ERRICSOND::ERRICSOND(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      tracker_(status_),
      output_(context),
      display_(context),
      timers_(context.Timers(), context.StartChannel(), kTimerSettings,
              [this](uint8_t channel) { TimerCompletionERRICSOND(channel); }),
      checksumReport_(&ReportChecksumError)
{
    Trace(TRACE_INFO, "ERRICSOND::ERRICSOND", "Port created for %d", static_cast<int>(context.StartChannel()));
}

ERRICSOND::~ERRICSOND()
{
    Trace(TRACE_INFO, "ERRICSOND::~ERRICSOND", "Port DELETED");
}

uint8_t ERRICSOND::Decode(const Packet& packet)
{
    if (packet.channel >= DecoderContext::kChannels) {
        return 0;
    }
    if (packet.length == 0) {
        Trace(TRACE_ERROR, "HandlePacket", "Empty packet for %d",
              static_cast<int>(context_.AbsoluteChannel(packet.channel)));
        return 0;
    }
    if (!ChecksumMatches(packet)) {
        return 0;
    }
    constexpr uint32_t kFrame = kHeaderBytes + kChecksumBytes;
    const bool known = packet.type == kFromPbx || packet.type == kFromSet;
    if (known && packet.length > kFrame) {
        ProcessCommand(packet.channel, packet.type == kFromPbx, packet.data + kHeaderBytes, packet.length - kFrame);
    }
    return 1;
}

bool ERRICSOND::ChecksumMatches(const Packet& packet) const
{
    const uint32_t last = packet.length - 1;
    uint32_t sum = packet.length;
    for (uint32_t i = 0; i < last; ++i) {
        sum += packet.data[i];
    }
    if ((sum & 0xFFu) == packet.data[last]) {
        return true;
    }
    checksumReport_(static_cast<uint16_t>(sum), packet.data[last]);
    return false;
}

void ERRICSOND::ProcessCommand(uint8_t channel, bool fromPbx, const uint8_t* message, uint32_t length)
{
    while (length > 0) {
        const uint32_t used = fromPbx ? DecodeFromPbx(channel, message, length) : DecodeFromSet(channel, message, length);
        const uint32_t taken = std::min(used, length);
        message += taken;
        length -= taken;
    }
}

// ---------------------------------------------------------------- PBX to set

uint32_t ERRICSOND::DecodeFromPbx(uint8_t channel, const uint8_t* message, uint32_t length)
{
    const uint8_t code = message[0];
    if (const uint32_t lamp = LookupCode(kLampMessages, code); lamp != 0) {
        if (length >= 2) {
            // The lamp table of the phone status follows too, for the application's reads.
            status_.RecordLamp(channel, message[1], lamp, message[1], PhoneStatusRecorder::LampMatch::CodeAndParam);
            Emit(channel, Tracked(tracker_, channel, lamp, message[1]), true);
        }
        return 2;
    }
    if (code >= kFirstRinger && code <= kLastRinger) {
        Emit(channel, Tracked(tracker_, channel, QXEVT_RING_ON, code - kFirstRinger + 1u), true);
        return 1;
    }
    switch (code) {
    case kAudio:
        if (length >= 2) {
            DecodeAudio(channel, message[1]);
        }
        return 2;
    case kClearDisplay:
        status_.Record(channel, &ZAQ16_PHONE_STATUS::displayState, QXEVT_DISPLAY_CLEAR);
        Emit(channel, {QXEVT_DISPLAY_CLEAR, 0, EventState::Changed}, true);
        return 1;
    case kBlankField:
        if (length >= 2) {
            display_.Place(channel, message[1], nullptr, kBlankFieldWidth);
            timers_.Arm(channel);
        }
        return 2;
    case kTextFromHome:
        ShowText(channel, 0, message + 1, length - 1);
        return length;
    case kRingerOff:
        Emit(channel, Tracked(tracker_, channel, QXEVT_RING_OFF, 0), true);
        return 1;
    case kPositionedText:
        if (length >= 2) {
            ShowText(channel, message[1], message + 2, length - 2);
        }
        return length;
    case kPositionedText2:
        if (length >= 3) {
            ShowText(channel, message[1], message + 3, length - 3);
        }
        return length;
    case kIgnoredPair:
        return 2;
    default:
        return 1;
    }
}

void ERRICSOND::DecodeAudio(uint8_t channel, uint8_t argument)
{
    for (const AudioRow& row : kAudioRows) {
        if (row.argument != argument) {
            continue;
        }
        for (const AudioStep& step : row.steps) {
            const EventState state = status_.Record(channel, AudioPathWord(step.path), step.code);
            Emit(channel, {step.code, step.path, state}, true);
        }
    }
}

void ERRICSOND::ShowText(uint8_t channel, uint8_t position, const uint8_t* text, uint32_t count)
{
    display_.Place(channel, position, text, count);
    timers_.Arm(channel);
    status_.Record(channel, &ZAQ16_PHONE_STATUS::displayState, QXEVT_MESSAGE_CHANGE);
}

// ---------------------------------------------------------------- set to PBX

uint32_t ERRICSOND::DecodeFromSet(uint8_t channel, const uint8_t* message, uint32_t length)
{
    switch (message[0]) {
    case kAnnouncement:
        if (length >= kShortestAnnouncement) {
            const auto setType = static_cast<uint16_t>(message[1] | (message[2] << 8));
            if (display_.Announce(channel, setType)) {
                timers_.Arm(channel);
            }
        }
        return kAnnouncementLength;
    case kFunctionKey:
        if (length >= 2) {
            Emit(channel, {QXEVT_FUNCTION_BUTTON_PRESSED, message[1], EventState::Stateless}, false);
        }
        return 2;
    case kKey:
        if (length >= 2) {
            DecodeKey(channel, message[1]);
        }
        return 2;
    default:
        return 1;
    }
}

void ERRICSOND::DecodeKey(uint8_t channel, uint8_t key)
{
    if (key <= 9) {
        Emit(channel, {QXEVT_DIGIT_PRESSED, static_cast<uint32_t>('0' + key), EventState::Stateless}, false);
    } else if (key == kStarKey || key == kHashKey) {
        Emit(channel, {QXEVT_DIGIT_PRESSED, static_cast<uint32_t>(key == kStarKey ? '*' : '#'), EventState::Stateless}, false);
    } else if (const uint32_t code = LookupCode(kKeys, key); code != 0) {
        Emit(channel, Tracked(tracker_, channel, code, 0), false);
    }
}

// ---------------------------------------------------------------- posting

void ERRICSOND::Emit(uint8_t channel, const DecodedEvent& event, bool fromPbx)
{
    if (fromPbx && IsPending(channel)) {
        FlushBeforeEvent(channel);
    }
    if (event.code == QXEVT_DISPLAY_CLEAR) {
        display_.Clear(channel);
    }
    output_.PostByRule(channel, event);
}

bool ERRICSOND::IsPending(uint8_t channel) const
{
    return timers_.Armed(channel);
}

void ERRICSOND::FlushBeforeEvent(uint8_t channel)
{
    timers_.Cancel(channel);
    if (const uint32_t param = display_.TakeChanged(channel); param != 0) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, param);
    }
}

void ERRICSOND::TimerCompletionERRICSOND(uint8_t channel)
{
    Trace(TRACE_TRACE, "TimerCompletionERRICSOND", "Channel %d Offset = %d", channel + 1,
          static_cast<int>(context_.displays[channel].offset));
    if (const uint32_t param = display_.TakeChanged(channel); param != 0) {
        output_.Post(channel, QXEVT_MESSAGE_CHANGE, param);
    }
}

// ---------------------------------------------------------------- read-back

uint32_t ERRICSOND::GetMessage(uint8_t channel, char* buffer, uint32_t size)
{
    if (channel >= DecoderContext::kChannels || buffer == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    if (!context_.LockDisplay()) {
        return ZAQ16_RET_NOT_READY;
    }
    const DisplayRecord& record = context_.displays[channel];
    const uint32_t length = record.length;
    std::memcpy(buffer, record.text, std::min(size, DisplayRecord::kTextSize));
    context_.UnlockDisplay();
    if (size >= length) {
        Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_SUCCESS");
        return ZAQ16_RET_SUCCESS;
    }
    Trace(TRACE_TRACE, "GetMessage", "ZAQ16_RET_TRUNCATED");
    return ZAQ16_RET_TRUNCATED;
}
