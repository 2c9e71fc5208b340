// PacketFramer: separates the unit's byte stream into D-channel packets and
// text lines. Fed bytes with the time they arrived; no device, no thread.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string_view>

#include "common/PacketFrame.h"
#include "unit/PendingCarriageReturn.h"

// One packet as the unit sent it: a header of channel, type and length, then
// length + 1 data bytes whose last is the checksum (all data bytes sum to 0).
struct FramedPacket {
    uint8_t header[3];
    const uint8_t* data;
    uint32_t dataCount;
    uint8_t Channel() const { return header[0]; }
    uint8_t Type() const { return header[1]; }
    uint8_t Length() const { return header[2]; }
};

class PacketFramer {
public:
    static constexpr uint8_t kPacketStart = wire::kPacketStart;
    static constexpr uint32_t kChannels = 16;
    static constexpr uint32_t kLineBufferSize = 1024;
    // The unit sends a packet, and a text line, back to back: a pause this
    // long inside one breaks it.
    static constexpr uint32_t kInterByteTimeoutMs = 100;

    class Receiver {
    public:
        virtual void OnPacket(const FramedPacket& packet) = 0;
        // A line the unit ended with CR LF, given with its CR.
        virtual void OnLine(std::string_view line) = 0;

    protected:
        ~Receiver() = default;
    };
    using TraceFunction = void (*)(int32_t level, const char* function, const char* format, ...);

    PacketFramer(uint32_t startChannel, Receiver& receiver, TraceFunction trace);

    // Bytes that arrived together at millisecond tick `now`.
    void Feed(const uint8_t* bytes, size_t count, uint32_t now);
    // A read found the line quiet at `now`: a packet it pauses inside for the
    // inter-byte time-out is dropped.
    void Quiet(uint32_t now);
    // Gives up the packet in progress with its trace line: the line paused
    // inside it (the reader's read came back empty at `now`) or the reader stops.
    void DropPartialPacket(uint32_t now);
    // Forgets the text line and any packet in progress.
    void Reset();

    bool InsidePacket() const { return state_ != State::Text; }
    // How long a read may wait for the packet in progress before it counts as broken.
    uint32_t MsUntilPacketBreaks(uint32_t now) const;
    std::string_view PendingLine() const { return std::string_view(line_, lineLength_); }

private:
    enum class State { Text, Header, Data };

    // The start marker has just been read: the packet's header follows.
    void BeginPacket(uint32_t now);
    void TakeTextByte(uint8_t byte, uint32_t now);
    // A byte of a packet arrived at `now`: the line is not quiet.
    void MarkLineBusy(uint32_t now);
    void TakeHeaderByte(uint8_t byte);
    void TakeDataByte(uint8_t byte);
    // The three header bytes are in: a data part follows, or the start marker
    // is looked for inside them.
    void CheckHeader();
    void EndPacket();
    void ResetLine();

    uint32_t startChannel_;
    uint32_t board_;
    Receiver& receiver_;
    TraceFunction trace_;

    State state_ = State::Text;
    char line_[kLineBufferSize + 1] = {};
    uint32_t lineLength_ = 0;
    PendingCarriageReturn pendingCarriageReturn_{kInterByteTimeoutMs};
    // Since when the text part of the line has been quiet.
    uint32_t textQuietSince_ = 0;
    bool textQuietKnown_ = false;

    uint32_t lastByteAt_ = 0;
    uint8_t header_[3] = {};
    uint32_t headerCount_ = 0;
    // The channel a short header's trace line names.
    uint32_t headerTraceChannel_ = 0;
    uint8_t data_[256] = {};
    uint32_t dataCount_ = 0;
};
