// Appending a unit's accepted packets to a dump file, one record per write.
#include "unit/DumpRecording.h"

#include <span>
#include <vector>

#include "base/Trace.h"
#include "common/DumpFormat.h"
#include "platform/FileAppend.h"

bool DumpRecording::Start(const std::string& path, uint32_t nowTick)
{
    if (path.empty() || path.size() >= kPathSize) {
        return false;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    recordFileName_ = path;
    lastRecordTick_ = nowTick;
    recording_ = true;
    return true;
}

void DumpRecording::Stop()
{
    std::lock_guard<std::mutex> guard(mutex_);
    recording_ = false;
}

bool DumpRecording::Active() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return recording_;
}

std::string DumpRecording::File() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return recording_ ? recordFileName_ : std::string();
}

void DumpRecording::Append(uint8_t board, const uint8_t header[3], const uint8_t* data, uint32_t dataCount,
                           uint32_t nowTick)
{
    std::string path;
    uint32_t elapsed = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!recording_) {
            return;
        }
        path = recordFileName_;
        elapsed = nowTick - lastRecordTick_;
        lastRecordTick_ = nowTick;
    }
    std::vector<uint8_t> record;
    record.reserve(1 + wire::kRecordBoardAndGapSize + wire::kPacketHeaderSize + dataCount);
    wire::AppendRecordedPacket(record, board, elapsed, std::span<const uint8_t, wire::kPacketHeaderSize>(header, wire::kPacketHeaderSize),
                               std::span<const uint8_t>(data, dataCount));
    if (platform::AppendToFile(path, record.data(), record.size())) {
        return;
    }
    // A full disk (or a file that cannot be opened any more) would lose every
    // later record unseen: the recording ends, and says so.
    bool stopped = false;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopped = recording_ && recordFileName_ == path;
        if (stopped) {
            recording_ = false;
        }
    }
    if (stopped) {
        Trace(TRACE_ERROR, "RecordDumpFile", "Board %u: recording to %s stopped, a record could not be written",
              static_cast<unsigned>(board), path.c_str());
    }
}
