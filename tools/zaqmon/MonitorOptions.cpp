#include "MonitorOptions.h"

#include <charconv>

const char* const kMonitorUsage =
    "Usage: zaqmon [options]\n"
    "Starts the ZAQ16 link on the units the registry names, switches their D-channel\n"
    "output on and lists every event, one line each, until Ctrl-C.\n"
    "\n"
    "  --poll             take events with QXZAQGetEvent instead of a callback\n"
    "  --json             one JSON object per event on standard output\n"
    "                     (start-up lines then go to standard error)\n"
    "  --channels LIST    list only these channels, e.g. 1-4,17\n"
    "  --changes-only     post state changes only (event updates off)\n"
    "  --no-dchannel      do not switch the units' D-channel output on\n"
    "  --duration N       stop after N seconds\n"
    "  --trace-level N    set the library's trace level (0 to 5)\n"
    "  --record FILE      record every unit's D-channel packets into a dump file\n"
    "  --play FILE        play a dump file through the decoders (ends when it is played);\n"
    "                     a pcap/pcapng capture of LAPD frames is converted first,\n"
    "                     as pcap2dmp does\n"
    "  --time-mode N      playback timing: -1 the recorded gaps (default), 0 as fast\n"
    "                     as possible, N > 0 N ms before each record\n"
    "  --help             this text\n"
    "\n"
    "The library finds its registry file through QXZAQ_REGISTRY and the COM ports\n"
    "through QXZAQ_COMDIR (see the README).\n";

namespace {

bool ParseNumber(const std::string& text, uint32_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<MonitorOptions> ParseMonitorOptions(const std::vector<std::string>& arguments, std::string& error)
{
    MonitorOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };
        std::string text;
        if (argument == "--poll") {
            options.polling = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--no-dchannel") {
            options.dchannel = false;
        } else if (argument == "--changes-only") {
            options.eventUpdates = false;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--channels") {
            if (!value(text)) {
                return std::nullopt;
            }
            auto filter = ChannelFilter::Parse(text);
            if (!filter) {
                error = "--channels: not a channel list: " + text;
                return std::nullopt;
            }
            options.channels = *filter;
        } else if (argument == "--duration") {
            if (!value(text) || !ParseNumber(text, options.durationSeconds)) {
                error = error.empty() ? "--duration: not a number of seconds: " + text : error;
                return std::nullopt;
            }
        } else if (argument == "--record") {
            if (!value(options.recordFile)) {
                return std::nullopt;
            }
        } else if (argument == "--play") {
            if (!value(options.playFile)) {
                return std::nullopt;
            }
        } else if (argument == "--time-mode") {
            int32_t mode = 0;
            if (!value(text)) {
                return std::nullopt;
            }
            const auto [end, parseError] = std::from_chars(text.data(), text.data() + text.size(), mode);
            if (parseError != std::errc() || end != text.data() + text.size() || mode < -1) {
                error = "--time-mode: -1, 0 or a number of milliseconds";
                return std::nullopt;
            }
            options.timeMode = mode;
        } else if (argument == "--trace-level") {
            uint32_t level = 0;
            if (!value(text) || !ParseNumber(text, level) || level > 5) {
                error = error.empty() ? "--trace-level: 0 to 5" : error;
                return std::nullopt;
            }
            options.traceLevel = static_cast<int>(level);
        } else {
            error = "unknown option: " + argument;
            return std::nullopt;
        }
    }
    if (!options.recordFile.empty() && !options.playFile.empty()) {
        error = "--record and --play do not go together";
        return std::nullopt;
    }
    return options;
}
