#include "PlaySource.h"

#include <fstream>
#include <iterator>

#include "DumpFile.h"
#include "PlayableFile.h"
#include "Scenario.h"

namespace zaqsim {

namespace {

bool ReadWholeFile(const std::string& path, std::string& contents)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

}  // namespace

PlaySource LoadScenarioFile(const std::string& path, size_t unitCount, double timeScale)
{
    PlaySource source;
    std::string text;
    if (!ReadWholeFile(path, text)) {
        source.error = path + ": cannot be read";
        return source;
    }
    Scenario scenario = ParseScenario(text, timeScale);
    for (const ScenarioError& error : scenario.errors)
        source.error += path + ":" + std::to_string(error.line) + ": " + error.message + "\n";
    for (size_t unit = unitCount; unit < scenario.units.size(); ++unit) {
        if (!scenario.units[unit].empty())
            source.error += path + ": unit " + std::to_string(unit) + " is not simulated (" +
                            std::to_string(unitCount) + " unit(s))\n";
    }
    if (!source.error.empty()) {
        source.error.pop_back();
        return source;
    }
    scenario.units.resize(unitCount);
    source.units = std::move(scenario.units);
    return source;
}

PlaySource LoadDumpFile(const std::string& path, size_t unitCount, double timeScale)
{
    PlaySource source;
    // A pcap or pcapng capture is converted in memory, as pcap2dmp would.
    pcap2dmp::PlayableFile playable = pcap2dmp::LoadPlayableFile(path);
    source.warnings = std::move(playable.warnings);
    if (!playable.error.empty()) {
        source.error = playable.error;
        return source;
    }
    const std::string bytes(playable.dump.begin(), playable.dump.end());
    DumpPlay play = LoadDump(bytes, unitCount, timeScale);
    if (!play.error.empty())
        source.warnings.push_back(path + ": " + play.error + "; playing the " + std::to_string(play.records) +
                                  " record(s) before it");
    if (play.skippedRecords > 0)
        source.warnings.push_back(path + ": " + std::to_string(play.skippedRecords) +
                                  " record(s) of boards that are not simulated are left out");
    source.units = std::move(play.units);
    return source;
}

}  // namespace zaqsim
