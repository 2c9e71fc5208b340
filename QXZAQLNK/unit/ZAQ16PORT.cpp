// The unit port: its reader loop, the packets it hands its decoder, the
// display and status read-back, and its command channel's way to the unit.
#include "unit/ZAQ16PORT.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "base/Trace.h"
#include "platform/Clock.h"

namespace {

// A reader whose device has gone waits this long between attempts instead of spinning.
constexpr uint32_t kFailedReadBackoffMs = 300;
// The reader takes what has arrived in one piece of up to this many bytes.
constexpr uint32_t kReadBurstSize = 512;

}  // namespace

ZAQ16PORT::ZAQ16PORT(const char* portName, uint32_t startChannel, EventSink& sink, const DecoderMaker& makeDecoder)
    : serial(portName),
      context(startChannel, sink, timers),
      framer(startChannel, *this, &Trace)
{
    Trace(TRACE_INFO, "ZAQ16PORT", "CREATING port");
    if (makeDecoder) {
        decoder = makeDecoder(context);
    }
}

ZAQ16PORT::~ZAQ16PORT() = default;

void ZAQ16PORT::AttachSource(std::unique_ptr<ByteSource> replacement)
{
    attachedSource = std::move(replacement);
    source = attachedSource.get();
}

void ZAQ16PORT::WakeForStop()
{
    source->InterruptRead();
    stopSignal.Set();
    wakeSemaphore.release();
    // A command still waiting for the unit's answer will not get one.
    commands.Abandon();
}

void ZAQ16PORT::WaitForStopWithin(uint32_t milliseconds)
{
    const int64_t nextTimer = timers.MsUntilNextDue();
    if (nextTimer >= 0 && nextTimer < milliseconds) {
        milliseconds = static_cast<uint32_t>(nextTimer);
    }
    if (!StopRequested()) {
        stopSignal.Wait(milliseconds);
    }
}

// ---------------------------------------------------------------- reader thread

void ZAQ16PORT::Main()
{
    framer.Reset();
    if (StopRequested()) {
        Trace(TRACE_INFO, "Main", "Exiting Thread");
        return;
    }
    while (Step()) {
    }
}

bool ZAQ16PORT::Step()
{
    if (transferRunning) {
        // A firmware transfer owns the line: no text and no packets meanwhile.
        FirmwareStep();
    } else if (playbackOpen) {
        if (!PlaybackStep()) {
            return false;
        }
    } else {
        LiveStep();
    }
    // The timers' routines run here, on this thread, between bytes and packets.
    timers.RunDue();
    if (StopRequested()) {
        Trace(TRACE_INFO, "Main", "Exiting Thread");
        return false;
    }
    return true;
}

void ZAQ16PORT::LiveStep()
{
    if (!IsOpen()) {
        WaitForStopWithin(kFailedReadBackoffMs);
        return;
    }
    uint8_t bytes[kReadBurstSize];
    if (const size_t got = source->Read(bytes, sizeof bytes, timers.MsUntilNextDue()); got > 0) {
        TakeBytes(bytes, got);
    } else if (source->LastReadFailed()) {
        commands.LineLost();
        WaitForStopWithin(kFailedReadBackoffMs);
    }
}

void ZAQ16PORT::TakeBytes(const uint8_t* bytes, size_t count)
{
    framer.Feed(bytes, count, timers.clock().Now());
    FinishPacket();
}

void ZAQ16PORT::FinishPacket()
{
    // Timers wait until the packet is whole: its bytes come back to back, so
    // a read that stays empty for the inter-byte time-out means it is broken.
    while (framer.InsidePacket()) {
        uint8_t bytes[kReadBurstSize];
        const size_t got = StopRequested() ? 0 : source->Read(bytes, sizeof bytes, PacketFramer::kInterByteTimeoutMs);
        if (got == 0) {
            framer.DropPartialPacket(timers.clock().Now());
            return;
        }
        framer.Feed(bytes, got, timers.clock().Now());
    }
}

void ZAQ16PORT::OnLine(std::string_view line)
{
    const LineOutcome outcome = commands.TakeLine(line);
    if (outcome.kind == LineOutcome::Kind::StartStop) {
        PostStartStop(outcome.channel, outcome.startStopOn);
    }
}

void ZAQ16PORT::PostStartStop(uint32_t channel, bool on)
{
    ZAQ16_EVENT event{};
    event.eventCode = on ? QXEVT_STARTSTOP_ON : QXEVT_STARTSTOP_OFF;
    event.board = Board();
    event.channel = channel;
    PostEvent(event);
}

void ZAQ16PORT::OnPacket(const FramedPacket& framed)
{
    recording.Append(static_cast<uint8_t>(Board()), framed.header, framed.data, framed.dataCount,
                     platform::TickCount());
    Packet packet;
    packet.channel = framed.Channel();
    packet.type = framed.Type();
    packet.data = framed.data;
    packet.length = framed.Length();
    HandlePacket(packet);
}

void ZAQ16PORT::HandlePacket(const Packet& packet)
{
    // Type 0 is no family's message: such a packet is recorded, not decoded.
    if (decoder && packet.type != 0) {
        decoder->Decode(packet);
    }
}

// ---------------------------------------------------------------- display and status

uint32_t ZAQ16PORT::GetMessage(uint32_t channel, char* buffer, uint32_t size)
{
    if (decoder) {
        return decoder->GetMessageOfChannel(channel, buffer, size);
    }
    const std::optional<uint8_t> local = context.MessageChannel(channel, buffer, TRACE_TRACE);
    return local ? context.CopyDisplay(*local, buffer, size) : ZAQ16_RET_INVALID_PARAM;
}

uint32_t ZAQ16PORT::GetPBXDateTime(int32_t time[9])
{
    return decoder ? decoder->GetPBXDateTime(time) : ZAQ16_RET_NOT_READY;
}

uint32_t ZAQ16PORT::GetPhoneStatus(uint32_t channel, ZAQ16_PHONE_STATUS* out)
{
    const uint32_t local = channel - StartChannel();
    if (local >= kChannels) {
        return ZAQ16_RET_BAD_CHANNEL;
    }
    return context.CopyPhoneStatus(static_cast<uint8_t>(local), out);
}

// ---------------------------------------------------------------- commands

uint32_t ZAQ16PORT::Send(const void* bytes, size_t size)
{
    return static_cast<uint32_t>(source->Write(bytes, size));
}
