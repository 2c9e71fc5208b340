#include "SoakOptions.h"

#include <charconv>
#include <functional>
#include <optional>

namespace {

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Rule {
    const char* name;
    bool takesValue;
    std::function<bool(const std::string&, SoakOptions&)> set;
};

std::function<bool(const std::string&, SoakOptions&)> Whole(uint32_t SoakOptions::*member, uint32_t low,
                                                            uint32_t high, uint32_t factor = 1)
{
    return [=](const std::string& value, SoakOptions& options) {
        const auto number = ParseNumber<uint32_t>(value);
        if (!number || *number < low || *number > high)
            return false;
        options.*member = *number * factor;
        return true;
    };
}

const std::vector<Rule>& Rules()
{
    static const std::vector<Rule> rules = {
        {"--minutes", true, Whole(&SoakOptions::seconds, 1, 24 * 60, 60)},
        {"--seconds", true, Whole(&SoakOptions::seconds, 5, 24 * 3600)},
        {"--units", true, Whole(&SoakOptions::units, 1, 16)},
        {"--unplug-every", true, Whole(&SoakOptions::unplugEverySeconds, 0, 3600)},
        {"--unplug-away", true, Whole(&SoakOptions::unplugAwayMs, 100, 60000)},
        {"--speed", true,
         [](const std::string& value, SoakOptions& options) {
             const auto speed = ParseNumber<double>(value);
             options.speed = speed.value_or(0);
             return speed.has_value() && *speed > 0 && *speed <= 100;
         }},
        {"--keep", false, [](const std::string&, SoakOptions& options) { return options.keep = true; }},
        {"--help", false, [](const std::string&, SoakOptions& options) { return options.help = true; }},
    };
    return rules;
}

}  // namespace

bool ParseSoakOptions(const std::vector<std::string>& args, SoakOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const Rule* rule = nullptr;
        for (const Rule& candidate : Rules()) {
            if (args[i] == candidate.name || (args[i] == "-h" && std::string(candidate.name) == "--help"))
                rule = &candidate;
        }
        if (rule == nullptr) {
            error = "unknown option \"" + args[i] + "\"";
            return false;
        }
        std::string value;
        if (rule->takesValue) {
            if (i + 1 >= args.size()) {
                error = args[i] + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!rule->set(value, options)) {
            error = "bad value \"" + value + "\" for " + args[i - (rule->takesValue ? 1 : 0)];
            return false;
        }
    }
    return true;
}

std::string SoakHelpText()
{
    return R"(Usage: zaq_soak [options]
Runs simulated units at full line rate against the link library for a while,
polling its events and recording a dump file, with one unit unplugged and
plugged back in every so often, then accounts for every packet.

  --minutes N        how long (default 10)
  --seconds N        how long, in seconds (at least 5)
  --units N          simulated units, 1 to 16 (default 16)
  --unplug-every S   unplug a unit (in turn) every S seconds; 0: never (default 60)
  --unplug-away MS   how long it stays unplugged (default 2000)
  --speed X          the units' line rate factor (default 1: 115200 baud)
  --keep             keep the scratch folder (dump file, trace, counts)
  -h, --help         this text
Ends with one summary line; the exit status is 0 only when nothing was lost
and resident memory stayed flat.
)";
}
