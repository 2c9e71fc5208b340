#include "BridgeOptions.h"

#include <charconv>
#include <functional>
#include <sstream>

const char* const kBridgeUsage =
    "Usage: zaqbridge [options]\n"
    "Starts the ZAQ16 link on the units the registry names and publishes every\n"
    "event to an MQTT broker:\n"
    "  zaq16/<site>/<board>/<channel>/event   one JSON object per event (QoS 1)\n"
    "  zaq16/<site>/<board>/<channel>/state   the channel's state (QoS 1, retained)\n"
    "  zaq16/<site>/status                    \"online\" / \"offline\" (retained, last will)\n"
    "  zaq16/<site>/dropped                   events lost while the buffer was full (retained)\n"
    "\n"
    "  --config FILE         settings file (default /etc/qxzaq16/zaqbridge.conf);\n"
    "                        its lines are \"name = value\" with the names below\n"
    "  --site NAME           site name (default: the host name)\n"
    "  --host HOST           broker (default localhost)\n"
    "  --port N              broker port (default 1883)\n"
    "  --keepalive N         seconds (default 30)\n"
    "  --client-id ID        MQTT client id (default zaqbridge-<site>)\n"
    "  --username NAME       broker user\n"
    "  --password TEXT       broker password\n"
    "  --cafile FILE         TLS, checking the broker against this authority\n"
    "  --capath DIR          TLS, checking the broker against these authorities\n"
    "  --certfile FILE       client certificate for TLS (with --keyfile)\n"
    "  --keyfile FILE        its private key\n"
    "  --tls-insecure        do not check the broker's host name\n"
    "  --buffer N            events kept while the broker is away (default 10000)\n"
    "  --reconnect-min N     seconds before the first reconnection (default 1)\n"
    "  --reconnect-max N     longest wait between reconnections (default 30)\n"
    "  --no-dchannel         do not switch the units' D-channel output on\n"
    "  --trace-level N       the library's trace level (0 to 5)\n"
    "  --play FILE           play a dump file or a pcap/pcapng capture instead of\n"
    "                        watching the units; ends when it is played and published\n"
    "  --time-mode N         playback timing: -1 recorded gaps, 0 at once, N ms each\n"
    "  --help                this text\n"
    "\n"
    "SIGTERM or Ctrl-C stops the link, publishes what is buffered and \"offline\".\n";

namespace {

bool ParseNumber(const std::string& text, uint32_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

using Setter = std::function<bool(BridgeOptions&, const std::string&)>;

Setter Text(std::string BridgeOptions::*member)
{
    return [member](BridgeOptions& options, const std::string& value) {
        options.*member = value;
        return true;
    };
}

Setter Number(uint32_t BridgeOptions::*member, uint32_t least, uint32_t most)
{
    return [=](BridgeOptions& options, const std::string& value) {
        uint32_t number = 0;
        if (!ParseNumber(value, number) || number < least || number > most) {
            return false;
        }
        options.*member = number;
        return true;
    };
}

Setter Switch(bool BridgeOptions::*member)
{
    return [member](BridgeOptions& options, const std::string& value) {
        if (value == "true" || value == "yes" || value == "1" || value == "on") {
            options.*member = true;
        } else if (value == "false" || value == "no" || value == "0" || value == "off") {
            options.*member = false;
        } else {
            return false;
        }
        return true;
    };
}

struct Setting {
    const char* name;
    Setter set;
    const char* flagValue;  // the value a bare command-line flag stands for; null: it takes one
};

const std::vector<Setting>& Settings()
{
    static const std::vector<Setting> settings = {
        {"site", Text(&BridgeOptions::site), nullptr},
        {"host", Text(&BridgeOptions::host), nullptr},
        {"port", Number(&BridgeOptions::port, 1, 65535), nullptr},
        {"keepalive", Number(&BridgeOptions::keepaliveSeconds, 5, 65535), nullptr},
        {"client-id", Text(&BridgeOptions::clientId), nullptr},
        {"username", Text(&BridgeOptions::username), nullptr},
        {"password", Text(&BridgeOptions::password), nullptr},
        {"cafile", Text(&BridgeOptions::caFile), nullptr},
        {"capath", Text(&BridgeOptions::caPath), nullptr},
        {"certfile", Text(&BridgeOptions::certFile), nullptr},
        {"keyfile", Text(&BridgeOptions::keyFile), nullptr},
        {"tls-insecure", Switch(&BridgeOptions::tlsInsecure), "true"},
        {"buffer", Number(&BridgeOptions::bufferEvents, 1, 10000000), nullptr},
        {"reconnect-min", Number(&BridgeOptions::reconnectMinSeconds, 1, 3600), nullptr},
        {"reconnect-max", Number(&BridgeOptions::reconnectMaxSeconds, 1, 3600), nullptr},
        {"dchannel", Switch(&BridgeOptions::dchannel), nullptr},
        {"no-dchannel",
         [](BridgeOptions& options, const std::string&) {
             options.dchannel = false;
             return true;
         },
         "true"},
        {"trace-level",
         [](BridgeOptions& options, const std::string& value) {
             uint32_t level = 0;
             if (!ParseNumber(value, level) || level > 5) {
                 return false;
             }
             options.traceLevel = static_cast<int>(level);
             return true;
         },
         nullptr},
        {"play", Text(&BridgeOptions::playFile), nullptr},
        {"time-mode",
         [](BridgeOptions& options, const std::string& value) {
             int32_t mode = 0;
             const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), mode);
             if (error != std::errc() || end != value.data() + value.size() || mode < -1) {
                 return false;
             }
             options.timeMode = mode;
             return true;
         },
         nullptr},
    };
    return settings;
}

const Setting* FindSetting(const std::string& name)
{
    for (const Setting& setting : Settings()) {
        if (name == setting.name) {
            return &setting;
        }
    }
    return nullptr;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string ConfigFileOf(const std::vector<std::string>& arguments, bool& given)
{
    given = false;
    std::string path = BridgeOptions().configFile;
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--config") {
            path = arguments[i + 1];
            given = true;
        }
    }
    return path;
}

bool ApplyConfigText(const std::string& text, BridgeOptions& options, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t equals = line.find('=');
        const std::string name = Trimmed(line.substr(0, equals));
        const Setting* setting = FindSetting(name);
        if (equals == std::string::npos || setting == nullptr) {
            error = "line " + std::to_string(number) + ": not a setting: " + line;
            return false;
        }
        const std::string value = Trimmed(line.substr(equals + 1));
        if (!setting->set(options, value)) {
            error = "line " + std::to_string(number) + ": bad value for " + name + ": " + value;
            return false;
        }
    }
    return true;
}

bool ApplyCommandLine(const std::vector<std::string>& arguments, BridgeOptions& options, std::string& error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--config") {
            ++i;  // read before the rest, by ConfigFileOf
            if (i >= arguments.size()) {
                error = "--config needs a value";
                return false;
            }
            continue;
        }
        const Setting* setting = argument.rfind("--", 0) == 0 ? FindSetting(argument.substr(2)) : nullptr;
        if (setting == nullptr) {
            error = "unknown option: " + argument;
            return false;
        }
        std::string value;
        if (setting->flagValue != nullptr) {
            value = setting->flagValue;
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = argument + " needs a value";
            return false;
        }
        if (!setting->set(options, value)) {
            error = argument + ": bad value: " + value;
            return false;
        }
    }
    return true;
}

bool CheckBridgeOptions(BridgeOptions& options, std::string& error)
{
    // A site name is one topic level: no separator, no wildcard.
    if (options.site.empty() || options.site.find_first_of("/+#") != std::string::npos) {
        error = "the site name must be a non-empty text without '/', '+' or '#': " + options.site;
        return false;
    }
    if (options.certFile.empty() != options.keyFile.empty()) {
        error = "a client certificate needs its key (certfile and keyfile together)";
        return false;
    }
    if (!options.certFile.empty() && !options.UsesTls()) {
        error = "certfile and keyfile need cafile or capath";
        return false;
    }
    if (options.reconnectMaxSeconds < options.reconnectMinSeconds) {
        options.reconnectMaxSeconds = options.reconnectMinSeconds;
    }
    if (options.clientId.empty()) {
        options.clientId = "zaqbridge-" + options.site;
    }
    return true;
}
