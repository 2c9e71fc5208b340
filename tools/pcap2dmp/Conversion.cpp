#include "Conversion.h"

#include <limits>
#include <optional>

#include "CaptureFile.h"
#include "DumpWriter.h"
#include "LapdFrames.h"

namespace pcap2dmp {

namespace {

constexpr uint64_t kNsPerMs = 1'000'000;

// Record times in whole milliseconds from the first frame: each record's gap
// is the difference of those, so rounding never adds up over a long capture.
class Gaps {
public:
    uint32_t Next(uint64_t timeNs)
    {
        if (!firstNs_) {
            firstNs_ = timeNs;
        }
        // A frame stamped before the one before it (a capture merged out of order) follows at once.
        const uint64_t ms = timeNs > *firstNs_ ? (timeNs - *firstNs_) / kNsPerMs : 0;
        const uint64_t gap = ms > lastMs_ ? ms - lastMs_ : 0;
        lastMs_ = ms > lastMs_ ? ms : lastMs_;
        return gap > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                          : static_cast<uint32_t>(gap);
    }
    // A frame left out: the next record's gap still counts from the last record.
    void Undo(uint32_t gap) { lastMs_ -= gap; }

private:
    std::optional<uint64_t> firstNs_;
    uint64_t lastMs_ = 0;
};

}  // namespace

Conversion ConvertCapture(std::span<const uint8_t> captureFile)
{
    Conversion conversion;
    const Capture capture = ReadCapture(captureFile);
    if (!capture.error.empty()) {
        conversion.error = capture.error;
        return conversion;
    }
    LapdFrameReader frames;
    DumpWriter writer;
    writer.Reserve(captureFile.size());
    Gaps gaps;
    for (size_t index = 0; index < capture.packets.size(); ++index) {
        auto packetName = [index] { return "packet " + std::to_string(index + 1); };
        std::string problem;
        const std::optional<LapdFrame> frame = frames.Take(capture.packets[index], problem);
        if (!frame) {
            conversion.warnings.push_back(packetName() + " left out: " + problem);
            ++conversion.packetsSkipped;
            continue;
        }
        const uint32_t gap = gaps.Next(frame->timeNs);
        if (!writer.Add(gap, frame->sender, frame->bytes)) {
            gaps.Undo(gap);
            conversion.warnings.push_back(packetName() + " left out: a frame of " + std::to_string(frame->bytes.size()) +
                                          " bytes does not fit a packet (at most " +
                                          std::to_string(kMaxFrameWithoutFcs) + " and the check sequence)");
            ++conversion.packetsSkipped;
            continue;
        }
        ++conversion.framesWritten;
    }
    if (conversion.framesWritten == 0) {
        conversion.error = "no LAPD frame to write (" + std::to_string(capture.packets.size()) + " packets read)";
        return conversion;
    }
    conversion.dump = writer.TakeBytes();
    return conversion;
}

}  // namespace pcap2dmp
