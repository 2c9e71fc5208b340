// The soak program's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SoakOptions {
    uint32_t seconds = 600;
    uint32_t units = 16;
    uint32_t unplugEverySeconds = 60;  // 0: no unit vanishes
    uint32_t unplugAwayMs = 2000;
    double speed = 1.0;  // the simulator's line-rate factor
    bool keep = false;   // keep the scratch folder (dump, trace, counts)
    bool help = false;
};

// `args` without the program name. False with `error` set on a bad argument.
bool ParseSoakOptions(const std::vector<std::string>& args, SoakOptions& options, std::string& error);

std::string SoakHelpText();
