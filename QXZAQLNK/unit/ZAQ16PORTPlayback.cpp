// A playback port: its reader thread reads the dump file instead of a COM
// port, keeps only its own unit's records and hands them to the decoder as
// live packets are.
#include <algorithm>

#include "base/Trace.h"
#include "platform/Clock.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr int kDumpFormat2 = 0x02;
constexpr uint8_t kRecordStart = 0x01;
// At the end of a file, display events still waiting for their quiet time are
// let out (the decoders' delays are at most half a second).
constexpr uint32_t kPendingTimersWaitMs = 2000;
// A recorded gap is waited for at most this long (a damaged time field would
// otherwise hold the playback for weeks); a stop ends any wait at once.
constexpr uint32_t kLongestPlaybackGapMs = 3600000;

}  // namespace

bool ZAQ16PORT::RecordDumpFile(const char* path)
{
    if (path == nullptr) {
        recording.Stop();
        return true;
    }
    return recording.Start(path, platform::TickCount());
}

uint32_t ZAQ16PORT::PlayDumpFile(const char* path)
{
    if (path == nullptr) {
        if (playbackOpen) {
            stopPlayback = true;
            wakeSemaphore.release();
        }
        return ZAQ16_RET_SUCCESS;
    }
    stopPlayback = false;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        Trace(TRACE_ERROR, "PlayDumpFile", "File %s NOT FOUND", path);
        stopPlayback = true;
        return ZAQ16_RET_FILE_NOT_FOUND;
    }
    if (std::fgetc(file) == kDumpFormat2) {
        dumpHasBoardField = true;
        const int boards = std::fgetc(file);
        if (boards != EOF) {
            std::fseek(file, boards, SEEK_CUR);
        }
    } else {
        dumpHasBoardField = false;
        std::rewind(file);
    }
    dumpFile = file;
    playbackOpen = true;
    Trace(TRACE_INFO, "PlayDumpFile", "File %s opened for playback", path);
    return ZAQ16_RET_SUCCESS;
}

bool ZAQ16PORT::PlaybackStep()
{
    if (stopPlayback) {
        EndPlayback(nullptr);
        return false;
    }
    const int byte = std::fgetc(dumpFile);
    if (std::ferror(dumpFile)) {
        EndPlayback("board %d file error 1\n");
        return false;
    }
    if (byte == EOF) {
        EndPlayback("board %d finishing 1\n");
        return false;
    }
    // Playback takes records only; anything between them is skipped.
    return byte != kRecordStart || PlaybackRecord();
}

bool ZAQ16PORT::PlaybackRecord()
{
    Packet packet;
    if (!dumpHasBoardField) {
        if (ReadRecordedPacket(packet)) {
            HandlePacket(packet);
        }
        return true;
    }
    uint8_t board = 0;
    uint8_t gap[4] = {};
    if (std::fread(&board, 1, 1, dumpFile) != 1 || std::fread(gap, 1, 4, dumpFile) != 4) {
        EndPlayback("board %d read error 1\n");
        return false;
    }
    if (board != Board()) {
        uint8_t skipped[256];
        if (std::fread(skipped, 1, 2, dumpFile) != 2) {
            EndPlayback("board %d fread error 1\n");
            return false;
        }
        uint8_t length = 0;
        if (std::fread(&length, 1, 1, dumpFile) != 1) {
            EndPlayback("board %d fread error 2\n");
            return false;
        }
        if (std::fread(skipped, 1, length + 1u, dumpFile) != length + 1u) {
            EndPlayback("board %d fread error 3\n");
            return false;
        }
        return true;
    }
    const uint32_t recordedGap = gap[0] | (gap[1] << 8) | (gap[2] << 16) | (static_cast<uint32_t>(gap[3]) << 24);
    // A record whose wait a stop cut short is not played.
    if (WaitBeforeRecord(recordedGap) && ReadRecordedPacket(packet)) {
        HandlePacket(packet);
    }
    return true;
}

bool ZAQ16PORT::WaitBeforeRecord(uint32_t recordedGap)
{
    uint32_t delay = 0;
    if (timeMode > 0) {
        delay = static_cast<uint32_t>(timeMode);
    } else if (timeMode < 0) {
        delay = std::min(recordedGap, kLongestPlaybackGapMs);
    }
    if (delay == 0) {
        // A record without a wait still takes the free first turn, which
        // would otherwise cut the next gap short.
        platform::AcquireWithin(wakeSemaphore, 0);
        return !stopPlayback && !StopRequested();
    }
    const uint32_t start = platform::TickCount();
    for (;;) {
        if (stopPlayback || StopRequested()) {
            return false;
        }
        const uint32_t elapsed = platform::TickCount() - start;
        if (elapsed >= delay) {
            return true;
        }
        // Waited in slices, so that the decoders' timers still fire on time.
        uint32_t slice = delay - elapsed;
        const int64_t nextTimer = timers.MsUntilNextDue();
        if (nextTimer >= 0 && nextTimer < slice) {
            slice = static_cast<uint32_t>(nextTimer);
        }
        if (platform::AcquireWithin(wakeSemaphore, slice)) {
            return !stopPlayback && !StopRequested();
        }
        timers.RunDue();
    }
}

void ZAQ16PORT::EndPlayback(const char* reason)
{
    // What was played is decoded whole: pending display events fire before the end.
    const uint32_t start = platform::TickCount();
    while (!stopPlayback && !StopRequested() && timers.PendingCount() > 0 &&
           platform::TickCount() - start < kPendingTimersWaitMs) {
        const int64_t next = timers.MsUntilNextDue();
        if (next > 0) {
            platform::AcquireWithin(wakeSemaphore, static_cast<uint32_t>(next));
        }
        timers.RunDue();
    }
    std::fclose(dumpFile);
    dumpFile = nullptr;
    playbackOpen = false;
    if (reason != nullptr) {
        Trace(TRACE_ERROR, "ZAQ16PORT::Main", reason, static_cast<int>(Board() + 1));
    }
    if (onPlaybackEnd) {
        onPlaybackEnd(*this, PlaybackEnd::BeforeFinishedEvent);
    }
    ZAQ16_EVENT finished{};
    finished.eventCode = QXEVT_FINISHED_PLAY;
    finished.board = Board();
    PostEvent(finished);
    if (onPlaybackEnd) {
        onPlaybackEnd(*this, PlaybackEnd::AfterFinishedEvent);
    }
    Trace(TRACE_INFO, "Main", "Exiting Thread");
}
