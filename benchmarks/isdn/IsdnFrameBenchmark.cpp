// Frames per second through ISDNPT::HDLCFrameRcvd for a realistic mix: 16
// basic-rate lines, incoming and outgoing calls with their acknowledgements,
// keep-alive polls, displays and keypad digits, overlapping across lines.
// Prints the figure; the goal is at least 1,000,000 frames/s.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/EventSink.h"
#include "isdn/frontend/ISDNPT.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct FrameOnFramer {
    uint32_t framer;
    Bytes bytes;
};

class CountingSink : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT&) override
    {
        ++events;
        return 0;
    }
    uint64_t events = 0;
};

Bytes operator+(Bytes left, const Bytes& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

Bytes Ie(uint8_t identifier, const std::string& contents)
{
    return Bytes{identifier, static_cast<uint8_t>(contents.size())} + Bytes(contents.begin(), contents.end());
}

Bytes Ie(uint8_t identifier, const Bytes& contents)
{
    return Bytes{identifier, static_cast<uint8_t>(contents.size())} + contents;
}

// One line's frames, numbered as the two ends number them.
class LineFrames {
public:
    LineFrames(uint32_t line, std::vector<FrameOnFramer>& out) : line_(line), tei_(64 + line), out_(out) {}

    void Co(uint8_t callRef, uint8_t type, const Bytes& elements = {})
    {
        Information(2 * line_, 1, coNs_, Bytes{0x08, 0x01, callRef, type} + elements);
    }
    void Cpe(uint8_t callRef, uint8_t type, const Bytes& elements = {})
    {
        Information(2 * line_ + 1, 0, cpeNs_, Bytes{0x08, 0x01, callRef, type} + elements);
    }
    // Receive-ready acknowledgements from both ends.
    void Acknowledge()
    {
        Supervisory(2 * line_, 1, cpeNs_);
        Supervisory(2 * line_ + 1, 0, coNs_);
    }

private:
    void Information(uint32_t framer, uint8_t commandResponse, uint8_t& ns, const Bytes& message)
    {
        out_.push_back({framer, Bytes{static_cast<uint8_t>(commandResponse << 1), static_cast<uint8_t>(tei_ << 1 | 1),
                                      static_cast<uint8_t>(ns << 1), 0x00} +
                                    message + Bytes{0xA5, 0x5A}});
        ns = static_cast<uint8_t>((ns + 1) % 128);
    }
    void Supervisory(uint32_t framer, uint8_t commandResponse, uint8_t nr)
    {
        out_.push_back({framer, Bytes{static_cast<uint8_t>(commandResponse << 1), static_cast<uint8_t>(tei_ << 1 | 1),
                                      0x01, static_cast<uint8_t>(nr << 1), 0xA5, 0x5A}});
    }

    uint32_t line_;
    uint8_t tei_;
    uint8_t coNs_ = 0;
    uint8_t cpeNs_ = 0;
    std::vector<FrameOnFramer>& out_;
};

// The steps of one call; steps of calls on different lines interleave.
using Step = void (*)(LineFrames& line, uint8_t ref);

const Bytes kBearer{0x80, 0x90, 0xA3};

const std::vector<Step> kIncomingCall = {
    [](LineFrames& l, uint8_t r) {
        l.Co(r, 0x05, Ie(0x04, kBearer) + Ie(0x18, Bytes{0x81}) + Ie(0x28, std::string("Call from Alice")) +
                          Ie(0x6C, Bytes{0x01, 0x81, '5', '5', '5', '1', '2', '3', '4'}) +
                          Ie(0x70, Bytes{0x80, '2', '0', '1'}));
    },
    [](LineFrames& l, uint8_t r) { l.Cpe(r | 0x80, 0x02); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r | 0x80, 0x01); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r | 0x80, 0x07); },
    [](LineFrames& l, uint8_t r) { l.Co(r, 0x0F); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r | 0x80, 0x45, Ie(0x08, Bytes{0x80, 0x90})); },
    [](LineFrames& l, uint8_t r) { l.Co(r, 0x4D); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r | 0x80, 0x5A); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
};

const std::vector<Step> kOutgoingCall = {
    [](LineFrames& l, uint8_t r) { l.Cpe(r, 0x05, Ie(0x04, kBearer)); },
    [](LineFrames& l, uint8_t r) { l.Co(r | 0x80, 0x0D, Ie(0x18, Bytes{0x82})); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r, 0x7B, Ie(0x2C, std::string("555"))); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r, 0x7B, Ie(0x2C, std::string("0142"))); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t r) { l.Co(r | 0x80, 0x02); },
    [](LineFrames& l, uint8_t r) { l.Co(r | 0x80, 0x01, Ie(0x28, std::string("Ringing"))); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t r) { l.Co(r | 0x80, 0x07, Ie(0x4C, Bytes{0x01, 0x81, '5', '5', '5', '0', '1', '4', '2'})); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r, 0x0F); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
    [](LineFrames& l, uint8_t r) { l.Co(r | 0x80, 0x45, Ie(0x08, Bytes{0x80, 0x90})); },
    [](LineFrames& l, uint8_t r) { l.Cpe(r, 0x4D); },
    [](LineFrames& l, uint8_t r) { l.Co(r | 0x80, 0x5A); },
    [](LineFrames& l, uint8_t) { l.Acknowledge(); },
};

std::vector<FrameOnFramer> BuildTraffic(uint32_t lines, uint32_t callsPerLine)
{
    std::vector<FrameOnFramer> frames;
    std::vector<LineFrames> lineFrames;
    for (uint32_t line = 0; line < lines; ++line) {
        lineFrames.emplace_back(line, frames);
    }
    for (uint32_t call = 0; call < callsPerLine; ++call) {
        const std::vector<Step>& steps = call % 2 == 0 ? kIncomingCall : kOutgoingCall;
        for (const Step& step : steps) {
            for (uint32_t line = 0; line < lines; ++line) {
                step(lineFrames[line], static_cast<uint8_t>(call % 100 + 1));
            }
        }
    }
    return frames;
}

}  // namespace

int main()
{
    CountingSink sink;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, sink);
    if (frontEnd.Start(1, 32, 60) != 0) {
        std::fprintf(stderr, "start failed\n");
        return 1;
    }
    const std::vector<FrameOnFramer> traffic = BuildTraffic(16, 200);
    for (const FrameOnFramer& frame : traffic) {
        const uint32_t result =
            frontEnd.HDLCFrameRcvd(frame.framer, frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), 0, 0);
        if (result != 0) {
            std::fprintf(stderr, "frame refused: 0x%08X\n", result);
            return 1;
        }
    }
    constexpr int kPasses = 40;
    sink.events = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int pass = 0; pass < kPasses; ++pass) {
        for (const FrameOnFramer& frame : traffic) {
            frontEnd.HDLCFrameRcvd(frame.framer, frame.bytes.data(), static_cast<uint32_t>(frame.bytes.size()), 0, 0);
        }
        frontEnd.Tick();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(traffic.size()) * kPasses;
    std::printf("ISDN front end: %.0f frames in %.3f s = %.0f frames/s (%llu call events, goal 1000000 frames/s)\n",
                frames, seconds, frames / seconds, static_cast<unsigned long long>(sink.events));
    return 0;
}
