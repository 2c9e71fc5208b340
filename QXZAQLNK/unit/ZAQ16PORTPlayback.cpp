// A playback port: its reader thread reads the dump file instead of a COM
// port, keeps only its own unit's records and hands them to the decoder as
// live packets are.
#include <algorithm>
#include <span>

#include "base/Trace.h"
#include "common/DumpFormat.h"
#include "platform/Clock.h"
#include "unit/ZAQ16PORT.h"

namespace {

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
    if (!dumpFile.Open(path)) {
        Trace(TRACE_ERROR, "PlayDumpFile", "File %s NOT FOUND", path);
        stopPlayback = true;
        return ZAQ16_RET_FILE_NOT_FOUND;
    }
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
    uint8_t byte = 0;
    if (!dumpFile.NextByte(byte)) {
        EndPlayback(dumpFile.Failed() ? "board %d file error 1\n" : "board %d finishing 1\n");
        return false;
    }
    // Playback takes records only; anything between them is skipped.
    return byte != wire::kRecordStart || PlaybackRecord();
}

bool ZAQ16PORT::PlaybackRecord()
{
    Packet packet;
    if (!dumpFile.HasBoardField()) {
        if (ReadRecordedPacket(packet)) {
            HandlePacket(packet);
        }
        return true;
    }
    const uint8_t* boardAndGap = dumpFile.Take(wire::kRecordBoardAndGapSize);
    if (boardAndGap == nullptr) {
        EndPlayback("board %d read error 1\n");
        return false;
    }
    if (boardAndGap[0] != Board()) {
        return SkipRecordedPacket();
    }
    const uint32_t recordedGap = wire::ReadRecordGap(boardAndGap + 1);
    // A record whose wait a stop cut short is not played.
    if (WaitBeforeRecord(recordedGap) && ReadRecordedPacket(packet)) {
        HandlePacket(packet);
    }
    return true;
}

bool ZAQ16PORT::SkipRecordedPacket()
{
    if (dumpFile.Take(2) == nullptr) {
        EndPlayback("board %d fread error 1\n");
        return false;
    }
    const uint8_t* length = dumpFile.Take(1);
    if (length == nullptr) {
        EndPlayback("board %d fread error 2\n");
        return false;
    }
    if (dumpFile.Take(*length + 1u) == nullptr) {
        EndPlayback("board %d fread error 3\n");
        return false;
    }
    return true;
}

bool ZAQ16PORT::ReadRecordedPacket(Packet& packet)
{
    const uint8_t* header = dumpFile.Take(wire::kPacketHeaderSize);
    if (header == nullptr) {
        Trace(TRACE_ERROR, "ZAQ16PORT::HAndlePacket", "board %d play file error 1\n", static_cast<int>(Board() + 1));
        return false;
    }
    const uint8_t channel = header[0];
    const uint8_t type = header[1];
    const uint8_t length = header[2];
    // A recorded header is as the unit's was accepted: no resynchronisation.
    if (channel >= kChannels) {
        Trace(TRACE_ERROR, "HandlePacket", "chdev out of range %d, channel %d\n", channel,
              static_cast<int>(channel + StartChannel()));
        return false;
    }
    const uint32_t dataCount = static_cast<uint32_t>(length) + 1;
    const uint8_t* data = dumpFile.Take(dataCount);
    if (data == nullptr) {
        Trace(TRACE_ERROR, "ZAQ16PORT::HAndlePacket", "board %d play file error 2\n", static_cast<int>(Board() + 1));
        return false;
    }
    if (!wire::PacketChecksumHolds(std::span<const uint8_t>(data, dataCount))) {
        Trace(TRACE_ERROR, "HandlePacket", "BAD PACKAGE chdev %d, channel %d", channel,
              static_cast<int>(context.AbsoluteChannel(channel)));
        return false;
    }
    packet.channel = channel;
    packet.type = type;
    // The data stay in the reader's block until the next read: the decoder is done with them by then.
    packet.data = data;
    packet.length = length;
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
    dumpFile.Close();
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
