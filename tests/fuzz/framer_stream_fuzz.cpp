// Fuzz entry: the unit's byte stream, text lines and packets mixed, through
// the packet framer and the answer-line parser, fed in pieces as reads return
// them.
//
// Input records: a control byte, then (control & 0x3F) stream bytes. The top
// two bits of the control byte say what happened before the piece arrived:
//   0  nothing (same millisecond)     1  5 ms passed
//   2  150 ms of quiet (longer than the pause that breaks a packet)
//   3  150 ms, then the read came back empty (the packet in progress is given up)
// A record cut short by the end of the input takes what is left.
//
// The same stream also goes byte by byte, at the same times, through a second
// framer: how reads cut the stream must not change a single packet or line.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzRequire.h"
#include "unit/PacketFramer.h"
#include "unit/UnitAnswerParser.h"

namespace {

constexpr uint32_t kStartChannel = 17;
constexpr uint32_t kQuietMs = 150;
constexpr uint32_t kShortGapMs = 5;

// Formats every trace line, so that a format that does not match its
// arguments shows up under the sanitizers.
void FormattingTrace(int32_t, const char*, const char* format, ...)
{
    char text[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
}

// Keeps what the framer hands over as text, and parses each line as the port does.
class Transcript : public PacketFramer::Receiver {
public:
    void OnPacket(const FramedPacket& packet) override
    {
        fuzz::Require(packet.Channel() < PacketFramer::kChannels);
        fuzz::Require(packet.dataCount == packet.Length() + 1u);
        uint8_t sum = 0;
        for (uint32_t i = 0; i < packet.dataCount; ++i) {
            sum = static_cast<uint8_t>(sum + packet.data[i]);
        }
        fuzz::Require(sum == 0);
        text += "P";
        text.append(reinterpret_cast<const char*>(packet.header), 3);
        text.append(reinterpret_cast<const char*>(packet.data), packet.dataCount);
    }
    void OnLine(std::string_view line) override
    {
        fuzz::Require(!line.empty() && line.back() == '\r');
        fuzz::Require(line.size() <= PacketFramer::kLineBufferSize);
        ParseUnitLine(line, answers);
        PbxTypeFromLine(line);
        text += "L";
        text += line;
    }

    UnitAnswers answers;
    std::string text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Transcript inPieces;
    Transcript byteByByte;
    PacketFramer pieces(kStartChannel, inPieces, &FormattingTrace);
    PacketFramer bytes(kStartChannel, byteByByte, &FormattingTrace);
    uint32_t now = 1000;
    size_t at = 0;
    while (at < size) {
        const uint8_t control = data[at++];
        const uint8_t timing = control >> 6;
        now += timing == 0 ? 0 : timing == 1 ? kShortGapMs : kQuietMs;
        if (timing == 2) {
            pieces.Quiet(now);
            bytes.Quiet(now);
        } else if (timing == 3) {
            pieces.DropPartialPacket(now);
            bytes.DropPartialPacket(now);
        }
        const size_t length = std::min<size_t>(control & 0x3F, size - at);
        // A copy of exactly the piece's size, so a read past it is caught.
        const std::vector<uint8_t> piece(data + at, data + at + length);
        at += length;
        pieces.Feed(piece.data(), piece.size(), now);
        for (const uint8_t byte : piece) {
            bytes.Feed(&byte, 1, now);
        }
        fuzz::Require(pieces.InsidePacket() == bytes.InsidePacket());
        fuzz::Require(pieces.PendingLine() == bytes.PendingLine());
        fuzz::Require(pieces.MsUntilPacketBreaks(now) <= PacketFramer::kInterByteTimeoutMs);
    }
    fuzz::Require(inPieces.text == byteByByte.text);
    return 0;
}
