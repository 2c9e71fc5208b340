#include "ProgramOptions.h"

#include <charconv>
#include <functional>
#include <optional>

#include "Scenario.h"

namespace zaqsim {

namespace {

struct Pending {
    size_t unitCount = 1;
    std::vector<std::string> pbx, serial, firmware, hardware, silentCommands;
    std::map<std::string, std::string> powerOn;
    FirmwareInjections injections;
    uint32_t answerDelayMs = 0;
    bool restartBanner = false;
};

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Item i of a per-unit list, or its last item for the units beyond it.
const std::string* ItemFor(const std::vector<std::string>& list, size_t unit)
{
    return list.empty() ? nullptr : &list[std::min(unit, list.size() - 1)];
}

using Setter = std::function<bool(const std::string& value, ProgramOptions&, Pending&)>;

struct OptionRule {
    const char* name;
    bool takesValue;
    Setter set;
};

template <typename Number>
Setter NumberInto(Number Pending::*member)
{
    return [member](const std::string& value, ProgramOptions&, Pending& pending) {
        const std::optional<Number> number = ParseNumber<Number>(value);
        if (number)
            pending.*member = *number;
        return number.has_value();
    };
}

Setter ListInto(std::vector<std::string> Pending::*member)
{
    return [member](const std::string& value, ProgramOptions&, Pending& pending) {
        pending.*member = SplitList(value);
        return true;
    };
}

Setter TextInto(std::string ProgramOptions::*member)
{
    return [member](const std::string& value, ProgramOptions& options, Pending&) {
        options.*member = value;
        return !value.empty();
    };
}

Setter ScaleInto(double& (*field)(ProgramOptions&))
{
    return [field](const std::string& value, ProgramOptions& options, Pending&) {
        const std::optional<double> number = ParseNumber<double>(value);
        if (!number || *number < 0)
            return false;
        field(options) = *number;
        return true;
    };
}

const std::vector<OptionRule>& Rules()
{
    static const std::vector<OptionRule> rules = {
        {"--units", true, NumberInto(&Pending::unitCount)},
        {"--pbx", true, ListInto(&Pending::pbx)},
        {"--serial", true, ListInto(&Pending::serial)},
        {"--firmware", true, ListInto(&Pending::firmware)},
        {"--hardware", true, ListInto(&Pending::hardware)},
        {"--silent-commands", true, ListInto(&Pending::silentCommands)},
        {"--option", true,
         [](const std::string& value, ProgramOptions&, Pending& pending) {
             const size_t equals = value.find('=');
             if (equals == std::string::npos || equals == 0)
                 return false;
             pending.powerOn[value.substr(0, equals)] = value.substr(equals + 1);
             return true;
         }},
        {"--answer-delay", true, NumberInto(&Pending::answerDelayMs)},
        {"--restart-banner", false,
         [](const std::string&, ProgramOptions&, Pending& pending) { return pending.restartBanner = true; }},
        {"--comdir", true,
         [](const std::string& value, ProgramOptions& options, Pending&) {
             options.settings.comDirectory = value;
             return !value.empty();
         }},
        {"--firmware-dir", true,
         [](const std::string& value, ProgramOptions& options, Pending&) {
             options.settings.firmwareDirectory = value;
             return !value.empty();
         }},
        {"--registry", true, TextInto(&ProgramOptions::registryFile)},
        {"--trace-dir", true, TextInto(&ProgramOptions::traceDirectory)},
        {"--scenario", true, TextInto(&ProgramOptions::scenarioFile)},
        {"--dump", true, TextInto(&ProgramOptions::dumpFile)},
        {"--time-scale", true, ScaleInto([](ProgramOptions& o) -> double& { return o.timeScale; })},
        {"--speed", true, ScaleInto([](ProgramOptions& o) -> double& { return o.settings.speed; })},
        {"--loop", false, [](const std::string&, ProgramOptions& options, Pending&) { return options.loop = true; }},
        {"--max-unread", true,
         [](const std::string& value, ProgramOptions& options, Pending&) {
             const auto bytes = ParseNumber<size_t>(value);
             options.settings.maxUnreadBytes = bytes.value_or(0);
             return bytes.has_value();
         }},
        {"--sent-counts", true, TextInto(&ProgramOptions::sentCountsFile)},
        {"--unplug-every", true,
         [](const std::string& value, ProgramOptions& options, Pending&) {
             const auto seconds = ParseNumber<double>(value);
             if (!seconds || *seconds <= 0 || *seconds > 86400)
                 return false;
             options.unplug.everyMs = static_cast<uint32_t>(*seconds * 1000);
             return options.unplug.everyMs > 0;
         }},
        {"--unplug-away", true,
         [](const std::string& value, ProgramOptions& options, Pending&) {
             const auto ms = ParseNumber<uint32_t>(value);
             options.unplug.awayMs = ms.value_or(0);
             return ms.has_value() && *ms <= 3600000;
         }},
        {"--unplug-count", true,
         [](const std::string& value, ProgramOptions& options, Pending&) {
             const auto count = ParseNumber<uint32_t>(value);
             options.unplug.count = count.value_or(0);
             return count.has_value();
         }},
        {"--nak-block", true,
         [](const std::string& value, ProgramOptions&, Pending& pending) {
             const auto block = ParseNumber<uint32_t>(value);
             pending.injections.nakBlock = block.value_or(0);
             return block.has_value() && *block > 0;
         }},
        {"--cancel-block", true,
         [](const std::string& value, ProgramOptions&, Pending& pending) {
             const auto block = ParseNumber<uint32_t>(value);
             pending.injections.cancelBlock = block.value_or(0);
             return block.has_value() && *block > 0;
         }},
        {"--fail-upload", false,
         [](const std::string&, ProgramOptions&, Pending& pending) { return pending.injections.finalError = true; }},
        {"--help", false, [](const std::string&, ProgramOptions& options, Pending&) { return options.help = true; }},
    };
    return rules;
}

bool BuildUnits(const Pending& pending, ProgramOptions& options, std::string& error)
{
    if (pending.unitCount < 1 || pending.unitCount > kMaxUnits) {
        error = "--units must be 1 to 16";
        return false;
    }
    for (size_t i = 0; i < pending.unitCount; ++i) {
        UnitConfig unit;
        unit.serialNumber = static_cast<uint32_t>(10001 + i);
        if (const std::string* name = ItemFor(pending.pbx, i))
            unit.pbxName = *name;
        if (const std::string* version = ItemFor(pending.firmware, i))
            unit.firmwareVersion = *version;
        const std::string* serial = ItemFor(pending.serial, i);
        const std::string* hardware = ItemFor(pending.hardware, i);
        const auto serialNumber = serial ? ParseNumber<uint32_t>(*serial) : unit.serialNumber;
        const auto hardwareVersion = hardware ? ParseNumber<uint32_t>(*hardware) : unit.hardwareVersion;
        if (!serialNumber || !hardwareVersion || unit.pbxName.empty()) {
            error = "bad --pbx, --serial or --hardware value for unit " + std::to_string(i);
            return false;
        }
        unit.serialNumber = *serialNumber;
        unit.hardwareVersion = *hardwareVersion;
        unit.powerOnOptions = pending.powerOn;
        unit.silentCommands = pending.silentCommands;
        unit.answerDelayMs = pending.answerDelayMs;
        unit.restartBanner = pending.restartBanner;
        unit.firmwareInjections = pending.injections;
        options.units.push_back(std::move(unit));
    }
    return true;
}

}  // namespace

bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error)
{
    Pending pending;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        const size_t equals = name.find('=');
        if (name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const OptionRule* rule = nullptr;
        for (const OptionRule& candidate : Rules()) {
            if (name == candidate.name || (name == "-h" && std::string(candidate.name) == "--help"))
                rule = &candidate;
        }
        if (rule == nullptr) {
            error = "unknown option \"" + args[i] + "\"";
            return false;
        }
        if (rule->takesValue && !value) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!rule->takesValue && value) {
            error = name + " takes no value";
            return false;
        }
        if (!rule->set(value.value_or(""), options, pending)) {
            error = "bad value \"" + value.value_or("") + "\" for " + name;
            return false;
        }
    }
    if (!options.scenarioFile.empty() && !options.dumpFile.empty()) {
        error = "give either --scenario or --dump, not both";
        return false;
    }
    return BuildUnits(pending, options, error);
}

std::string HelpText()
{
    return R"(Usage: zaqsim [options]
Simulates ZAQ16 monitoring units on pseudo-terminals, linked as COM1, COM2 ...
in a COM directory, until interrupted (Ctrl-C or SIGTERM).

Units:
  --units N               number of units, 1 to 16 (default 1)
  --pbx A,B,...           PBX name each unit reports (default Definity2D); the
                          last name of a list also serves the units beyond it
  --serial A,B,...        serial numbers (default 10001, 10002, ...)
  --firmware A,B,...      firmware versions (default 1.4.52)
  --hardware A,B,...      hardware values (default 3)
  --option WORD=VALUE     power-on value of a line option, for example
                          --option BUS=SCSA --option STREAM=3 (repeatable)
Where:
  --comdir DIR            COM directory, created when missing
                          (default $QXZAQ_COMDIR, else ./com)
  --registry FILE         write the registry file naming the units there
                          (point the library at it with QXZAQ_REGISTRY=FILE)
  --trace-dir DIR         name DIR as the library's trace directory in that
                          registry file (its log is DIR/qxzaqlnk.log)
  --firmware-dir DIR      write each received firmware image as DIR/COMn.zaq
What the units send while raw output is on:
  --scenario FILE         a scenario file (see tools/zaqsim/README.md)
  --dump FILE             a dump file recorded by the library, or a pcap/pcapng
                          capture of LAPD frames (converted as pcap2dmp does)
  --loop                  start the scenario or dump again when it ends
  --time-scale X          multiply delays and recorded gaps by X
                          (1 as written, 0.5 twice as fast, 0 no gaps)
  --speed X               line rate factor: 1 is 115200 baud (default),
                          10 ten times faster, 0 unpaced
  --max-unread BYTES      write to a unit's line only while fewer than BYTES
                          wait unread there (default 0: no limit): a reader
                          that falls behind slows the unit down instead of a
                          full pseudo-terminal pausing a packet half-written
Counting:
  --sent-counts FILE      at the end, write the packets each unit sent, per
                          channel, to FILE: lines "UNIT CHANNEL SENT AT-RISK",
                          AT-RISK the packets the library may have missed
                          because the unit was unplugged (unread at the
                          unplug, or sent after it came back until the
                          library took it over with a command)
Faults, for every unit:
  --silent-commands A,B   leave commands starting with these unanswered
  --answer-delay MS       wait before every text answer
  --restart-banner        send "Press M <ENTER> for menu" after a restart
  --unplug-every S        unplug the units in turn, one every S seconds
                          (the first after S seconds): the unit finishes the
                          item it sends, waits up to 2 s for the library to
                          read it, then its pty closes and its link goes;
                          says "COMn unplugged" and "COMn plugged in"
  --unplug-away MS        how long a unit stays unplugged (default 2000)
  --unplug-count N        unplug N times in all (default: no limit)
  --nak-block K           refuse firmware block K (counted from 1) once
  --cancel-block K        cancel the firmware transfer at block K
  --fail-upload           answer "ERROR" after a firmware transfer
  -h, --help              this text
)";
}

}  // namespace zaqsim
