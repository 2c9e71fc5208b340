#include "core/Playback.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "common/DumpFormat.h"
#include "core/Entries.h"
#include "core/EventDelivery.h"
#include "core/LinkState.h"
#include "core/PortFactory.h"
#include "base/Trace.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr uint32_t kPortEndWaitMs = 5000;

struct DecoderName {
    uint32_t pbxType;
    const char* name;
};

// The types whose playback set-up writes a line of their own.
constexpr DecoderName kNamedDecoders[] = {
    {ZAQ16_PBX_LUCENT_DEFINITY2D, "ZAQ16_PBX_LUCENT_DEFINITY2D"},
    {ZAQ16_PBX_NORTEL_MERIDIAND, "ZAQ16_PBX_NORTEL_MERIDIAND"},
    {ZAQ16_PBX_SIEMENS_HICOMD, "ZAQ16_PBX_SIEMENS_HICOMD"},
    {ZAQ16_PBX_MERLIN_MAGIXD, "ZAQ16_PBX_MERLIN_MAGIXD"},
    {ZAQ16_PBX_NORTEL_NORSTARD, "ZAQ16_PBX_NORTEL_NORSTARD"},
    {ZAQ16_PBX_ERICSSON_MD110, "ZAQ16_PBX_ERICSSON_MD110"},
};

// The playback's side of a port's end: before the application sees
// QXEVT_FINISHED_PLAY the port leaves its slot and the count goes down, so
// that the callback may start the next playback; the port is kept among the
// ending ports until its end has been delivered.
void OnPlaybackEnd(ZAQ16PORT& port, ZAQ16PORT::PlaybackEnd phase)
{
    LinkState& link = Link();
    if (phase == ZAQ16PORT::PlaybackEnd::BeforeFinishedEvent) {
        std::lock_guard<std::mutex> guard(link.tableLock);
        // A port already taken out of its slot (a stopped playback) no longer counts.
        PortRef& slot = link.virtualPorts[port.Board() % ZAQ16_MAX_BOARDS];
        if (slot.get() == &port) {
            if (link.playbackBoards > 0) {
                --link.playbackBoards;
            }
            link.endingPlaybackPorts.push_back(std::move(slot));
            slot.reset();
        }
        return;
    }
    Trace(TRACE_INFO, "SendEvent", "PLAYBACK COMPLETE");
    {
        std::lock_guard<std::mutex> guard(link.tableLock);
        std::vector<PortRef>& ending = link.endingPlaybackPorts;
        ending.erase(std::remove_if(ending.begin(), ending.end(),
                                    [&port](const PortRef& held) { return held.get() == &port; }),
                     ending.end());
    }
    Trace(TRACE_INFO, "SendEvent", "PORT DELETED");
}

// Takes every playback port out of its slot.
std::vector<PortRef> TakeVirtualPorts()
{
    LinkState& link = Link();
    std::vector<PortRef> ports;
    std::lock_guard<std::mutex> guard(link.tableLock);
    for (PortRef& port : link.virtualPorts) {
        if (port) {
            ports.push_back(std::move(port));
        }
    }
    link.playbackBoards = 0;
    return ports;
}

struct DumpBoards {
    uint32_t count = 0;
    std::vector<uint32_t> types;
};

// The boards of a dump file: its header, or for a file without one the live boards.
bool ReadDumpBoards(std::FILE* file, DumpBoards& boards)
{
    uint8_t front[wire::kLongestDumpHeader];
    const size_t read = std::fread(front, 1, sizeof front, file);
    wire::DumpHeader header;
    switch (wire::ParseDumpHeader(std::span<const uint8_t>(front, read), header)) {
    case wire::DumpHeaderParse::CutShort:
        return false;
    case wire::DumpHeaderParse::FormatTwo:
        boards.count = static_cast<uint32_t>(header.pbxTypes.size());
        boards.types.assign(header.pbxTypes.begin(), header.pbxTypes.end());
        break;
    case wire::DumpHeaderParse::OldFormat:
        boards.count = Link().boardCount;
        for (uint32_t board = 0; board < boards.count; ++board) {
            boards.types.push_back(BoardType(board));
        }
        break;
    }
    return boards.count >= 1 && boards.count <= ZAQ16_MAX_BOARDS;
}

}  // namespace

int SetupVirtualPort(uint32_t start_channel, uint32_t board, uint32_t pbxType, int32_t timeMode)
{
    Trace(TRACE_INFO, "SetupVirtualPort", "start_channel = %d offset = %d pbxType = %d", static_cast<int>(start_channel),
          static_cast<int>(board), static_cast<int>(pbxType));
    for (const DecoderName& decoder : kNamedDecoders) {
        if (decoder.pbxType == pbxType) {
            Trace(TRACE_INFO, "SetupVirtualPort", "%s start_channel = %d offset = %d ", decoder.name,
                  static_cast<int>(start_channel), static_cast<int>(board));
        }
    }
    if (board >= ZAQ16_MAX_BOARDS) {
        return 0;
    }
    PortRef port = CreatePort(pbxType, PortUse::Virtual, nullptr, start_channel);
    if (!port) {
        return 0;
    }
    LinkState& link = Link();
    port->timeMode = timeMode;
    port->SetEventUpdates(link.eventUpdates.load() != 0);
    port->onPlaybackEnd = OnPlaybackEnd;
    {
        std::lock_guard<std::mutex> guard(link.tableLock);
        link.virtualPorts[board] = std::move(port);
    }
    Trace(TRACE_INFO, "SetupVirtualPort", "VIRTUAL Port %d Created", static_cast<int>(board));
    return 1;
}

void StopPlayback()
{
    LinkState& link = Link();
    std::vector<PortRef> ports;
    {
        std::lock_guard<std::mutex> guard(link.tableLock);
        for (const PortRef& port : link.virtualPorts) {
            if (port) {
                ports.push_back(port);
            }
        }
        ports.insert(ports.end(), link.endingPlaybackPorts.begin(), link.endingPlaybackPorts.end());
    }
    for (const PortRef& port : ports) {
        port->PlayDumpFile(nullptr);
    }
    // Inside the application's callback the other ports may be waiting to
    // deliver their own end: they finish on their own once it returns.
    if (!InsideCallback()) {
        for (const PortRef& port : ports) {
            port->WaitForEnd(kPortEndWaitMs);
        }
    }
    TakeVirtualPorts();
}

namespace {

bool PlaybackRunningLocked(const LinkState& link)
{
    if (link.playbackBoards != 0) {
        return true;
    }
    for (const PortRef& port : link.virtualPorts) {
        if (port) {
            return true;
        }
    }
    return false;
}

bool PlaybackRunning()
{
    LinkState& link = Link();
    std::lock_guard<std::mutex> guard(link.tableLock);
    return PlaybackRunningLocked(link);
}

// Undoes a playback that could not start: its ports were never started.
uint32_t AbandonPlayback(const char* file, uint32_t result)
{
    Trace(TRACE_ERROR, "QXZAQPlayDChannelEvents", "Filename %s error during setup", file);
    TakeVirtualPorts();
    return result;
}

}  // namespace

uint32_t entry::PlayDChannelEvents(const char* file, int32_t timeMode)
{
    LinkState& link = Link();
    if (file == nullptr) {
        Trace(TRACE_TRACE, "QXZAQPlayDChannelEvents", "Stopping PLAYBACK");
        StopPlayback();
        return ZAQ16_RET_SUCCESS;
    }
    Trace(TRACE_TRACE, "QXZAQPlayDChannelEvents", "Filename %s", file);
    // One playback at a time: a running one is reported before anything about the file.
    if (PlaybackRunning()) {
        return ZAQ16_RET_NOT_READY;
    }
    std::FILE* dump = std::fopen(file, "rb");
    if (dump == nullptr) {
        Trace(TRACE_ERROR, "PlayDumpFile", "File %s NOT FOUND", file);
        return ZAQ16_RET_FILE_NOT_FOUND;
    }
    DumpBoards boards;
    const bool usable = ReadDumpBoards(dump, boards);
    std::fclose(dump);
    {
        // The count is taken before any port exists, so a file with no
        // records cannot leave it behind.
        std::lock_guard<std::mutex> guard(link.tableLock);
        if (PlaybackRunningLocked(link)) {
            return ZAQ16_RET_NOT_READY;
        }
        if (!usable) {
            Trace(TRACE_ERROR, "PlayDumpFile", "File %s has no usable board count", file);
            return ZAQ16_RET_FAILED;
        }
        link.playbackBoards = static_cast<int32_t>(boards.count);
    }
    Trace(TRACE_INFO, "PlayDumpFile", "File %s opened for playback", file);

    std::vector<PortRef> ports;
    for (uint32_t board = 0; board < boards.count; ++board) {
        if (!SetupVirtualPort(1 + ZAQ16_CHANNELS_PER_BOARD * board, board, boards.types[board], timeMode)) {
            return AbandonPlayback(file, ZAQ16_RET_FAILED);
        }
        {
            std::lock_guard<std::mutex> guard(link.tableLock);
            ports.push_back(link.virtualPorts[board]);
        }
        const uint32_t opened = ports.back()->PlayDumpFile(file);
        if (opened != ZAQ16_RET_SUCCESS) {
            return AbandonPlayback(file, opened);
        }
    }
    // Every port has its file: now the threads may run.
    for (const PortRef& port : ports) {
        port->StartThread(0);
    }
    return ZAQ16_RET_SUCCESS;
}

uint32_t entry::QXZAQPlayDChannelEvents(const char* file)
{
    return PlayDChannelEvents(file, -1);
}

uint32_t entry::QXZAQPlayDChannelEventsTime(const char* file, int32_t timeMode)
{
    return PlayDChannelEvents(file, timeMode);
}
