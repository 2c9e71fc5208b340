#include "SoakSetup.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/HdlcFcs.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RegistryStore.h"

namespace {

namespace reg = platform::registry;

constexpr uint32_t kTraceErrors = 1;  // "!!!! Timed Out !!!" and port failures are ERROR lines
constexpr uint32_t kChannels = 16;

// A Definity lamp frame (address, control, lamp message 0x80, state, lamp) and its FCS, in hex.
std::string LampFrameHex(uint8_t state, uint8_t lamp)
{
    const uint8_t frame[] = {0xE3, 0x03, 0x80, state, lamp};
    const uint16_t fcs = HdlcFcs(frame, sizeof frame);
    char text[64];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X%02X", frame[0], frame[1], frame[2], frame[3], frame[4],
                  fcs & 0xFF, fcs >> 8);
    return text;
}

// Packets back to back on every channel, a lamp on then off: each becomes one event.
bool WriteScenario(const std::string& path, uint32_t units)
{
    std::ofstream scenario(path);
    for (uint32_t unit = 0; unit < units; ++unit) {
        for (uint32_t channel = 0; channel < kChannels; ++channel) {
            for (uint8_t state : {0x2F, 0x20})
                scenario << "packet " << unit << ' ' << channel << " 58 " << LampFrameHex(state, 15 + channel) << '\n';
        }
    }
    return static_cast<bool>(scenario.flush());
}

uint32_t WriteRegistry(uint32_t units, const std::string& traceDirectory)
{
    reg::Key key = 0;
    uint32_t result = reg::CreateKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessAll, key);
    if (result != reg::kSuccess)
        return result;
    result = reg::SetValue(key, "# of COMPorts", reg::kTypeDword, &units, sizeof units);
    for (uint32_t unit = 1; unit <= units && result == reg::kSuccess; ++unit) {
        const std::string port = "COM" + std::to_string(unit);
        result = reg::SetValue(key, "CARD" + std::to_string(unit), reg::kTypeString, port.c_str(),
                               static_cast<uint32_t>(port.size() + 1));
    }
    if (result == reg::kSuccess)
        result = reg::SetValue(key, "TraceLevel", reg::kTypeDword, &kTraceErrors, sizeof kTraceErrors);
    if (result == reg::kSuccess)
        result = reg::SetValue(key, "TracePath", reg::kTypeString, traceDirectory.c_str(),
                               static_cast<uint32_t>(traceDirectory.size() + 1));
    reg::CloseKey(key);
    return result;
}

}  // namespace

bool PrepareSoakFolder(uint32_t units, SoakFolder& folder, std::string& error)
{
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    std::random_device random;
    std::error_code failure;
    for (int attempt = 0; attempt < 100 && folder.directory.empty(); ++attempt) {
        const std::filesystem::path candidate = temporary / ("zaq-soak-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate, failure))
            folder.directory = candidate.string();
    }
    if (folder.directory.empty()) {
        error = "no scratch folder in " + temporary.string();
        return false;
    }
    folder.comDirectory = folder.directory + "/com";
    folder.registry = folder.directory + "/qxzaq16.reg";
    folder.scenario = folder.directory + "/full-rate.scn";
    folder.dump = folder.directory + "/soak.dmp";
    folder.sentCounts = folder.directory + "/sent.txt";
    folder.traceLog = folder.directory + "/qxzaqlnk.log";
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", folder.registry);
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", folder.comDirectory);
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", folder.directory);
    if (!WriteScenario(folder.scenario, units)) {
        error = folder.scenario + ": not written";
        return false;
    }
    const uint32_t written = WriteRegistry(units, folder.directory);
    if (written != reg::kSuccess) {
        error = folder.registry + ": not written (error " + std::to_string(written) + ")";
        return false;
    }
    return true;
}

void RemoveSoakFolder(const SoakFolder& folder)
{
    std::error_code ignored;
    if (!folder.directory.empty())
        std::filesystem::remove_all(folder.directory, ignored);
}
