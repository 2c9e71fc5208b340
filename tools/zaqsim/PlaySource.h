// Reads the scenario or dump file named on the command line into what each
// simulated unit plays.
#pragma once

#include <string>
#include <vector>

#include "PlayItem.h"

namespace zaqsim {

struct PlaySource {
    std::vector<std::vector<PlayItem>> units;  // one list per unit
    std::vector<std::string> warnings;         // the file was played in part
    std::string error;                         // the file cannot be played: nothing to play
};

PlaySource LoadScenarioFile(const std::string& path, size_t unitCount, double timeScale);
PlaySource LoadDumpFile(const std::string& path, size_t unitCount, double timeScale);

}  // namespace zaqsim
