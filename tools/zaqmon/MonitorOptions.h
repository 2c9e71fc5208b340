// The command line of zaqmon.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ChannelFilter.h"

struct MonitorOptions {
    bool polling = false;            // --poll: take events with QXZAQGetEvent
    bool json = false;               // --json: one JSON object per event
    bool dchannel = true;            // --no-dchannel: leave the units' raw output as it is
    bool eventUpdates = true;        // --changes-only: post state changes only
    ChannelFilter channels;          // --channels 1-4,17
    uint32_t durationSeconds = 0;    // --duration N: stop after N seconds (0: until Ctrl-C)
    int traceLevel = -1;             // --trace-level N
    std::string recordFile;          // --record FILE: record the units' packets
    std::string playFile;            // --play FILE: play a dump file instead of watching units
    int32_t timeMode = -1;           // --time-mode N: playback timing (0, -1, or ms per record)
    bool help = false;
};

// None (with `error` set) for a command line it cannot use.
std::optional<MonitorOptions> ParseMonitorOptions(const std::vector<std::string>& arguments, std::string& error);

extern const char* const kMonitorUsage;
