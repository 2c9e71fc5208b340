// zaqmon: the console monitor. Starts the link, switches the units' D-channel
// output on and prints every event until Ctrl-C (or --duration), then stops the link.
#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "EventPrinter.h"
#include "MonitorOptions.h"
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
    EventDetails details;
    if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
        std::string text(event.param + 1, '\0');
        const uint32_t result = QXZAQGetMessage(event.channel, text.data(), event.param);
        if (result == ZAQ16_RET_SUCCESS || result == ZAQ16_RET_TRUNCATED) {
            text.resize(event.param);
            const size_t end = text.find('\0');
            details.display = end == std::string::npos ? text : text.substr(0, end);
        } else {
            details.displayError = result;
        }
    }
    ZAQ16_CALL_STATUS polledCall{};
    if (event.callRecord != nullptr && event.param == sizeof(ZAQ16_CALL_STATUS)) {
        details.call = static_cast<const ZAQ16_CALL_STATUS*>(event.callRecord);
    } else if (event.callRecord == nullptr && IsCallEvent(event.eventCode)) {
        // A polled event comes without its record: the call is read by its
        // channel, as it stands now (an ended call shows its idle entity).
        uint32_t size = 0;
        if (QXZAQ_CC_GetStatusByCh(event.channel, &polledCall, &size) == ZAQ16_RET_SUCCESS) {
            details.call = &polledCall;
        }
    }
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

// The units a dump file holds: its header's count, or the live boards for a file without one.
uint32_t BoardsInDump(const std::string& path, uint32_t liveBoards)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    const int format = std::fgetc(file);
    const int boards = std::fgetc(file);
    std::fclose(file);
    return format == 2 ? static_cast<uint32_t>(boards == EOF ? 0 : boards) : liveBoards;
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
    if (playing) {
        const uint32_t result = QXZAQPlayDChannelEventsTime(options.playFile.c_str(), options.timeMode);
        if (result != ZAQ16_RET_SUCCESS) {
            Note(Formatted("Playing %s failed (0x%08X)", options.playFile.c_str(), result));
            QXZAQStopLink();
            return 1;
        }
        playedBoards = BoardsInDump(options.playFile, boards);
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
