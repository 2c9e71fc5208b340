#include "BenchUnits.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "common/Registry.h"
#include "platform/ProcessEnvironment.h"

BenchSetting PrepareBench(const std::string& name, uint32_t units, uint32_t traceLevel)
{
    BenchSetting setting;
    setting.directory = (std::filesystem::temp_directory_path() / ("zaq-bench-" + name)).string();
    std::filesystem::remove_all(setting.directory);
    std::filesystem::create_directories(setting.directory);
    setting.comDirectory = setting.directory + "/com";
    setting.registry = setting.directory + "/qxzaq16.reg";
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", setting.registry);
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", setting.comDirectory);
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", setting.directory);

    TraceWriter quiet;
    CRegistry registry(quiet);
    registry.createProviderKey();
    CRegistry::HKEY key = 0;
    registry.openProviderKey(platform::registry::kAccessAll, &key);
    registry.setDwordValue(key, CRegistry::kPortCountValue, units);
    for (uint32_t unit = 1; unit <= units; ++unit) {
        registry.setStringValue(key, ("CARD" + std::to_string(unit)).c_str(), ("COM" + std::to_string(unit)).c_str());
    }
    registry.setDwordValue(key, CRegistry::kTraceLevelValue, traceLevel);
    registry.setStringValue(key, CRegistry::kTracePathValue, setting.directory.c_str());
    registry.closeKey(key);
    return setting;
}

void RemoveBench(const BenchSetting& setting)
{
    std::error_code ignored;
    std::filesystem::remove_all(setting.directory, ignored);
}

double ProcessCpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * (values.size() - 1) + 0.5));
    return values[index];
}
