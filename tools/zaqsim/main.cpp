// zaqsim: simulated ZAQ16 units on pseudo-terminals (see --help and README.md).
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "PlaySource.h"
#include "ProgramOptions.h"
#include "RegistryWriter.h"
#include "SentCountsFile.h"
#include "Simulator.h"
#include "UnplugSchedule.h"
#include "platform/Clock.h"
#include "platform/ProcessEnvironment.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int)
{
    stopRequested = 1;
}

int Fail(const std::string& message, int code)
{
    std::fprintf(stderr, "zaqsim: %s\n", message.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace zaqsim;
    ProgramOptions options;
    std::string error;
    if (!ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc), options, error))
        return Fail(error + " (see --help)", 2);
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.settings.comDirectory.empty())
        options.settings.comDirectory = platform::GetEnvironmentVariable("QXZAQ_COMDIR").value_or("com");

    const size_t unitCount = options.units.size();
    PlaySource source;
    if (!options.scenarioFile.empty())
        source = LoadScenarioFile(options.scenarioFile, unitCount, options.timeScale);
    else if (!options.dumpFile.empty())
        source = LoadDumpFile(options.dumpFile, unitCount, options.timeScale);
    if (!source.error.empty())
        return Fail(source.error, 2);
    for (const std::string& warning : source.warnings)
        std::fprintf(stderr, "zaqsim: %s\n", warning.c_str());

    Simulator simulator(options.settings);
    for (UnitConfig& unit : options.units) {
        std::vector<std::string> problems;
        simulator.AddUnit(std::move(unit), &problems);
        if (!problems.empty())
            return Fail(problems.front(), 2);
    }
    if (!simulator.Start(error))
        return Fail(error, 1);

    if (!options.registryFile.empty()) {
        std::vector<std::string> names;
        for (size_t unit = 0; unit < unitCount; ++unit)
            names.push_back(simulator.LinkName(unit));
        platform::SetEnvironmentVariable("QXZAQ_REGISTRY", options.registryFile);
        const uint32_t result = WriteUnitRegistry(names, options.traceDirectory);
        if (result != 0)
            return Fail(options.registryFile + ": registry not written (error " + std::to_string(result) + ")", 1);
    }
    for (size_t unit = 0; unit < source.units.size(); ++unit)
        simulator.Play(unit, std::move(source.units[unit]), options.loop);

    for (size_t unit = 0; unit < unitCount; ++unit)
        std::printf("%s -> %s (%s)\n", simulator.LinkName(unit).c_str(), simulator.DeviceName(unit).c_str(),
                    simulator.PbxName(unit).c_str());
    std::fflush(stdout);

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    UnplugSchedule unplugs(options.unplug, unitCount, platform::TickCount());
    std::vector<std::string> told;
    while (!stopRequested) {
        platform::SleepMs(100);
        told.clear();
        unplugs.Step(simulator, platform::TickCount(), told);
        for (const std::string& line : told)
            std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    simulator.Stop();
    if (!options.sentCountsFile.empty() && !WriteSentCounts(options.sentCountsFile, simulator))
        return Fail(options.sentCountsFile + ": sent counts not written", 1);
    return 0;
}
