// The Definity 2-wire decoder: frame check, 3-byte messages, display and
// posting.
#include "decoders/DEFINITY2D.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/Trace.h"
#include "decoders/DefinityTables.h"
#include "decoders/HdlcFrameCheck.h"

using namespace definity;

namespace {

// The unit's note that its receive buffer for the line overflowed.
constexpr uint8_t kOverflowFrame[] = {'O', 'V', 'F', 'L'};
// At most this many data bytes go into the bad-frame dump line.
constexpr uint32_t kDumpDataBytes = 200;

}  // namespace

DEFINITY2D::DEFINITY2D(DecoderContext& context)
    : Decoder(context),
      status_(context.statusLock, context.phoneStatus, context.StartChannel()),
      output_(context),
      display_(context.displays, context.displayLock, status_, output_)
{
    Trace(TRACE_INFO, "DEFINITY2D::DEFINITY2D", "Port created for %d", static_cast<int>(context.StartChannel()));
}

DEFINITY2D::~DEFINITY2D()
{
    Trace(TRACE_INFO, "DEFINITY2D::~DEFINITY2D", "Port DELETED");
}

uint8_t DEFINITY2D::Decode(const Packet& packet)
{
    channel_ = packet.channel;
    type_ = packet.type;
    const FrameCheck check = CheckHdlcFrame(packet.data, packet.length);
    if (!check.good) {
        ReportBadFrame(packet, check.remainder);
        return 0;
    }
    if (packet.data[0] == kMessageAddress && packet.length >= kHeaderBytes + kCheckBytes + 1) {
        ProcessCommand(packet.data + kHeaderBytes, packet.length - kHeaderBytes - kCheckBytes);
    }
    return 1;
}

void DEFINITY2D::ReportBadFrame(const Packet& packet, uint16_t remainder) const
{
    const int channel = static_cast<int>(context_.AbsoluteChannel(packet.channel));
    const uint32_t length = packet.length;
    if (length == sizeof kOverflowFrame && std::memcmp(packet.data, kOverflowFrame, sizeof kOverflowFrame) == 0) {
        Trace(TRACE_ERROR, "HandlePacket", "Channel %d OVERFLOW RECEIVED", channel);
        return;
    }
    Trace(TRACE_ERROR, "HandlePacket", "Bad CRC Check Channel %d len=%d; remainder = 0x%04x", channel,
          static_cast<int>(length), remainder);
    // The type byte, the length byte, then the data as far as the line has room.
    char dump[(2 + kDumpDataBytes) * 3 + 1] = {};
    size_t used = 0;
    auto add = [&](uint8_t byte) { used += std::snprintf(dump + used, sizeof dump - used, "%02x ", byte); };
    add(packet.type);
    add(static_cast<uint8_t>(length));
    const uint32_t shown = std::min<uint32_t>(length, kDumpDataBytes);
    for (uint32_t i = 0; i < shown; ++i) {
        add(packet.data[i]);
    }
    Trace(TRACE_ERROR, "HandlePacket", "Bad CRC Check %s", dump);
}

uint32_t DEFINITY2D::ProcessCommand(const uint8_t* message, uint32_t length)
{
    if (length == 0) {
        return 0;
    }
    const bool fromPbx = type_ == kFromPbx;
    for (;;) {
        const uint8_t opcode = message[0];
        if (fromPbx && opcode == kOpDisplay) {
            // The display message takes the rest of the field.
            display_.Write(channel_, message + 1, length - 1);
            return 1;
        }
        // A message cut short by the end of the field decodes to nothing.
        if (length >= kMessageBytes) {
            const uint8_t a = message[1];
            const uint8_t b = message[2];
            DecodedEvent decoded;
            if (fromPbx) {
                decoded = DecodeFromPbx(opcode, a, b);
            } else if (type_ == kFromSet) {
                decoded = DecodeFromSet(opcode, a, b);
            }
            output_.PostAfterDisplay(channel_, decoded, fromPbx, display_);
        }
        if (length <= kMessageBytes) {
            return 1;
        }
        message += kMessageBytes;
        length -= kMessageBytes;
    }
}

DecodedEvent DEFINITY2D::DecodeFromPbx(uint8_t opcode, uint8_t a, uint8_t b)
{
    return opcode == kOpLamp ? DecodeLamp(a, b) : DecodedEvent{};
}

DecodedEvent DEFINITY2D::DecodeLamp(uint8_t a, uint8_t b)
{
    if (b < kFirstLampField) {
        Trace(TRACE_ERROR, "HandlePacket::Lucent2w", "Light offset out of range");
        return {};
    }
    const uint32_t code = LookupCode(kLampStates, a);
    if (code == 0) {
        return {};
    }
    // Two fields per lamp: the odd one is its green lamp, the even one its red lamp.
    const uint32_t lamp = (b - kFirstLampField) / 2u;
    const bool green = (b & 1) != 0;
    const uint32_t param = lamp | (green ? QXEVT_LAMP_GREEN : QXEVT_LAMP_RED);
    const uint32_t index = green ? lamp : lamp + PhoneStatusRecorder::kRedLampEntries;
    return {code, param,
            status_.RecordLamp(channel_, index, code, param, PhoneStatusRecorder::LampMatch::CodeAndParam)};
}

DecodedEvent DEFINITY2D::DecodeFromSet(uint8_t opcode, uint8_t a, uint8_t b)
{
    if (opcode == kOpHookButton) {
        if (a == kHookOn || a == kHookOff) {
            const uint32_t code = a == kHookOn ? QXEVT_ONHOOK : QXEVT_OFFHOOK;
            return {code, 0, status_.Record(channel_, &ZAQ16_PHONE_STATUS::hookState, code)};
        }
        if (a != kButton || b >= kFirstFreeButton) {
            return {};
        }
        if (const uint32_t code = LookupCode(kFixedButtons, b); code != 0) {
            return {code, 0, EventState::Stateless};
        }
        // Buttons below the first lamp field give 0 or a negative number, as the set numbers them.
        const int32_t button = (static_cast<int32_t>(b) - kFirstLampField) / 2;
        return {QXEVT_FUNCTION_BUTTON_PRESSED, static_cast<uint32_t>(button), EventState::Stateless};
    }
    if (opcode == kOpSoftKey) {
        if (b == kRedialKey) {
            return {QXEVT_REDIAL_BUTTON_PRESSED, 0, EventState::Stateless};
        }
        if (b < kFirstNavigationKey) {
            return {QXEVT_SOFT_BUTTON_PRESSED, b, EventState::Stateless};
        }
        if (const uint32_t code = LookupCode(kNavigationKeys, b); code != 0) {
            return {code, 0, EventState::Stateless};
        }
    }
    return {};
}
