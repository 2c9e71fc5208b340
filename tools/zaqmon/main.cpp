// zaqmon: the console monitor. Starts the link, switches the units' D-channel
// output on and prints every event until Ctrl-C (or --duration), then stops the link.
#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EventDetailsReader.h"
#include "EventPrinter.h"
#include "MonitorOptions.h"
#include "PlayFile.h"
#include "common/PbxText.h"
#include "platform/Clock.h"
#include "qxzaqlnk.h"

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<uint32_t> finishedPlays{0};
MonitorOptions options;
std::mutex outputLock;

void OnSignal(int)
{
    stopRequested = true;
}

// Start-up lines go to standard error in JSON mode, so that standard output holds JSON only.
void Note(const std::string& line)
{
    std::lock_guard<std::mutex> guard(outputLock);
    std::FILE* stream = options.json ? stderr : stdout;
    std::fprintf(stream, "%s\n", line.c_str());
    std::fflush(stream);
}

void Show(const ZAQ16_EVENT& event)
{
    if (event.eventCode == QXEVT_FINISHED_PLAY) {
        ++finishedPlays;
    }
    if (!options.channels.Selected(event.channel)) {
        return;
    }
    ZAQ16_CALL_STATUS call{};
    const EventDetails details = ReadEventDetails(event, call);
    std::lock_guard<std::mutex> guard(outputLock);
    if (options.json) {
        std::printf("%s\n", EventJson(event, details).c_str());
    } else {
        for (const std::string& line : EventLines(event, details)) {
            std::printf("%s\n", line.c_str());
        }
    }
    std::fflush(stdout);
}

uint32_t QXZAQ_CALL OnEvent(ZAQ16_EVENT* event)
{
    Show(*event);
    return 1;
}

std::string Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Formatted(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void DescribeBoards(uint32_t boards)
{
    for (uint32_t board = 0; board < boards; ++board) {
        ZAQ16_BOARD_INFO info{};
        info.size = sizeof info;
        if (QXZAQGetBoardInfo(board, &info) != ZAQ16_RET_SUCCESS) {
            continue;
        }
        Note(Formatted("Board Found %u on %s Starting Channel %u PBX Type %u", board, info.devicePath,
                       info.startChannel, info.pbxType));
        Note(PbxText(info.pbxType));
        uint32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        if (QXZAQGetPBXDate_Time(board, &year, &month, &day, &hour, &minute, &second) == ZAQ16_RET_SUCCESS) {
            Note(Formatted("%02u-%02u-%02u %02u:%02u:%02u", month, day, year, hour, minute, second));
        } else {
            Note("UNKNOWN PBXTIME");
        }
        Note(Formatted("Board %u Firmware Version %u.%u.%u", board, info.firmwareMajor, info.firmwareMinor,
                       info.firmwareBuild));
        if (options.dchannel) {
            const uint32_t result = QXZAQEnableDChEvents(board);
            Note(Formatted("Board %u QXZAQEnableDChEvents %s", board, result == 0 ? "SUCCESS" : "FAIL"));
        }
        Note(Formatted("Board %u QXZAQGetDChannelStatus %s", board, QXZAQGetDChannelStatus(board) != 0 ? "ON" : "OFF"));
    }
}

void PollEvents()
{
    uint32_t reserved = 0;
    ZAQ16_EVENT event{};
    while (QXZAQGetEvent(&reserved, &event.timeStamp, &event.eventCode, &event.param, &event.board,
                         &event.channel) == ZAQ16_RET_SUCCESS) {
        Show(event);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    auto parsed = ParseMonitorOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!parsed) {
        std::fprintf(stderr, "zaqmon: %s\n%s", error.c_str(), kMonitorUsage);
        return 2;
    }
    options = *parsed;
    if (options.help) {
        std::printf("%s", kMonitorUsage);
        return 0;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (options.traceLevel >= 0) {
        QXZAQSetTraceLevel(options.traceLevel);
    }

    const uint32_t boards = QXZAQStartLink(options.polling ? nullptr : OnEvent);
    if (options.eventUpdates) {
        QXZAQEnableEventUpdates();
    } else {
        QXZAQDisableEventUpdates();
    }
    const bool playing = !options.playFile.empty();
    if (playing) {
        options.dchannel = false;
    }
    // Recording starts before the units' output is switched on, so it misses nothing.
    if (!options.recordFile.empty()) {
        const uint32_t result = QXZAQRecordDChannelEvents(options.recordFile.c_str());
        Note(Formatted("Recording into %s %s", options.recordFile.c_str(), result == 0 ? "SUCCESS" : "FAIL"));
    }
    DescribeBoards(boards);
    Note(Formatted("Number of ZAQs %u ", boards));

    uint32_t playedBoards = 0;
    std::unique_ptr<PlayFile> playFile;
    if (playing) {
        playFile = std::make_unique<PlayFile>(options.playFile, boards);
        for (const std::string& warning : playFile->Warnings()) {
            Note(warning);
        }
        const uint32_t result = playFile->Ok()
                                    ? QXZAQPlayDChannelEventsTime(playFile->DumpPath().c_str(), options.timeMode)
                                    : ZAQ16_RET_FAILED;
        if (result != ZAQ16_RET_SUCCESS) {
            Note(playFile->Ok() ? Formatted("Playing %s failed (0x%08X)", options.playFile.c_str(), result)
                                : playFile->Error());
            QXZAQStopLink();
            return 1;
        }
        playedBoards = playFile->Boards();
    }

    const uint32_t start = platform::TickCount();
    while (!stopRequested) {
        if (options.durationSeconds != 0 && platform::TickCount() - start >= options.durationSeconds * 1000u) {
            break;
        }
        if (playing && finishedPlays >= playedBoards) {
            break;
        }
        if (options.polling) {
            PollEvents();
        }
        platform::SleepMs(10);
    }
    if (options.polling) {
        PollEvents();
    }
    if (!options.recordFile.empty()) {
        QXZAQRecordDChannelEvents(nullptr);
    }
    if (playing) {
        QXZAQPlayDChannelEvents(nullptr);
    }
    QXZAQStopLink();
    return 0;
}
