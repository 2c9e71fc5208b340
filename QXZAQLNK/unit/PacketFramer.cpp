// Framing the unit's byte stream: text lines, packet headers, data and
// checksum, resynchronisation.
#include "unit/PacketFramer.h"

#include <span>

#include "common/PacketFrame.h"
#include "common/TraceWriter.h"

namespace {
constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kLineFeed = 10;
}  // namespace

PacketFramer::PacketFramer(uint32_t startChannel, Receiver& receiver, TraceFunction trace)
    : startChannel_(startChannel), board_(startChannel / kChannels), receiver_(receiver), trace_(trace)
{
}

void PacketFramer::Reset()
{
    state_ = State::Text;
    ResetLine();
    textQuietKnown_ = false;
}

void PacketFramer::ResetLine()
{
    lineLength_ = 0;
    pendingCarriageReturn_.Clear();
}

uint32_t PacketFramer::MsUntilPacketBreaks(uint32_t now) const
{
    const uint32_t quiet = now - lastByteAt_;
    return quiet >= kInterByteTimeoutMs ? 0 : kInterByteTimeoutMs - quiet;
}

void PacketFramer::Quiet(uint32_t now)
{
    if (InsidePacket() && now - lastByteAt_ >= kInterByteTimeoutMs) {
        // The packet broke once the time-out passed.
        DropPartialPacket(lastByteAt_ + kInterByteTimeoutMs);
    }
}

void PacketFramer::BeginPacket(uint32_t now)
{
    state_ = State::Header;
    headerCount_ = 0;
    headerTraceChannel_ = startChannel_;
    lastByteAt_ = now;
}

void PacketFramer::DropPartialPacket(uint32_t now)
{
    if (state_ == State::Header) {
        trace_(TRACE_ERROR, "HandlePacket", "channel %d::Read fails %d\n", static_cast<int>(headerTraceChannel_),
               static_cast<int>(headerCount_));
    } else if (state_ == State::Data) {
        trace_(TRACE_ERROR, "HandlePacket", "data for %d::Read fails %d not enough data\n",
               static_cast<int>(startChannel_ + header_[0]), static_cast<int>(dataCount_));
    }
    state_ = State::Text;
    // The line counts as quiet from the moment the packet was given up.
    textQuietSince_ = now;
    textQuietKnown_ = true;
}

void PacketFramer::Feed(const uint8_t* bytes, size_t count, uint32_t now)
{
    if (count == 0) {
        return;
    }
    Quiet(now);
    for (size_t i = 0; i < count; ++i) {
        switch (state_) {
        case State::Text:
            TakeTextByte(bytes[i], now);
            break;
        case State::Header:
            TakeHeaderByte(bytes[i]);
            MarkLineBusy(now);
            break;
        case State::Data:
            TakeDataByte(bytes[i]);
            MarkLineBusy(now);
            break;
        }
    }
    lastByteAt_ = now;
    if (state_ == State::Text) {
        textQuietSince_ = now;
        textQuietKnown_ = true;
    }
}

void PacketFramer::MarkLineBusy(uint32_t now)
{
    // A packet's bytes are no pause: text after a packet that ends inside
    // this arrival is judged as if the bytes had come one by one.
    textQuietSince_ = now;
    textQuietKnown_ = true;
}

void PacketFramer::TakeTextByte(uint8_t byte, uint32_t now)
{
    const bool followsCarriageReturn = pendingCarriageReturn_.Follows(now);
    if (textQuietKnown_ && now - textQuietSince_ >= kInterByteTimeoutMs && lineLength_ > 0 &&
        !followsCarriageReturn) {
        // The unit sends a line back to back: text left unfinished by a pause
        // is noise, and must not prefix the next answer.
        trace_(TRACE_DEBUG, "ZAQ16PORT::Main", "Unfinished line dropped: %.*s\n", static_cast<int>(lineLength_),
               line_);
        ResetLine();
    }
    // Later bytes of the same arrival are not after a pause.
    textQuietSince_ = now;
    textQuietKnown_ = true;
    pendingCarriageReturn_.Clear();
    // A packet start is never the follower of a CR (the unit sends CR LF back
    // to back): after a stray CR it still starts its packet.
    if (followsCarriageReturn && byte != kPacketStart) {
        // A byte after CR that is not LF is not kept: the next one takes its place.
        if (byte == kLineFeed) {
            receiver_.OnLine(PendingLine());
            ResetLine();
        }
        return;
    }
    if (byte == kPacketStart) {
        BeginPacket(now);
        return;
    }
    if (lineLength_ >= kLineBufferSize) {
        trace_(TRACE_ERROR, "ZAQ16PORT::Main", "Overrun of buffer!! Reset board %d\n", static_cast<int>(board_ + 1));
        ResetLine();
        return;
    }
    line_[lineLength_++] = static_cast<char>(byte);
    if (byte == kCarriageReturn) {
        pendingCarriageReturn_.Arm(now);
    }
}

void PacketFramer::TakeHeaderByte(uint8_t byte)
{
    header_[headerCount_++] = byte;
    if (headerCount_ == 3) {
        CheckHeader();
    }
}

void PacketFramer::CheckHeader()
{
    if (header_[0] < kChannels) {
        state_ = State::Data;
        dataCount_ = 0;
        return;
    }
    // A channel of 16 or more means the stream is out of step: look for the
    // start marker inside the header before giving the packet up.
    trace_(TRACE_ERROR, "HandlePacket", "chdev out of range %d, start ch %d\n", header_[0],
           static_cast<int>(startChannel_));
    if (header_[1] == kPacketStart) {
        trace_(TRACE_ERROR, "HandlePacket", "restart from cType");
        header_[0] = header_[2];
        headerCount_ = 1;
        headerTraceChannel_ = startChannel_ + header_[0];
    } else if (header_[2] == kPacketStart) {
        headerCount_ = 0;
        headerTraceChannel_ = startChannel_;
    } else {
        state_ = State::Text;
    }
}

void PacketFramer::TakeDataByte(uint8_t byte)
{
    data_[dataCount_++] = byte;
    if (dataCount_ == static_cast<uint32_t>(header_[2]) + 1) {
        EndPacket();
    }
}

void PacketFramer::EndPacket()
{
    state_ = State::Text;
    if (!wire::PacketChecksumHolds(std::span<const uint8_t>(data_, dataCount_))) {
        trace_(TRACE_ERROR, "HandlePacket", "BAD PACKAGE chdev %d, channel %d", header_[0],
               static_cast<int>(startChannel_ + header_[0]));
        return;
    }
    receiver_.OnPacket(FramedPacket{{header_[0], header_[1], header_[2]}, data_, dataCount_});
}
