// The zaqsim program's command line.
#pragma once

#include <string>
#include <vector>

#include "Simulator.h"
#include "UnitConfig.h"
#include "UnplugSchedule.h"

namespace zaqsim {

struct ProgramOptions {
    std::vector<UnitConfig> units;
    SimulatorSettings settings;
    std::string registryFile;  // empty: no registry written
    std::string traceDirectory;  // the library's "TracePath" written with the registry (empty: none)
    std::string scenarioFile;
    std::string dumpFile;
    double timeScale = 1.0;
    bool loop = false;
    std::string sentCountsFile;  // empty: none written
    UnplugSettings unplug;
    bool help = false;
};

// `args` without the program name. False with `error` set on a bad argument.
// An empty COM directory is left for the caller to default.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error);

std::string HelpText();

}  // namespace zaqsim
