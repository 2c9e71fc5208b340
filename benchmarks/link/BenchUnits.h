// What the link benchmarks share: a scratch directory with a registry naming
// COM1..COMn, the process's CPU time, and simple statistics.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BenchSetting {
    std::string directory;     // scratch directory (removed at the end)
    std::string comDirectory;  // <directory>/com
    std::string registry;      // <directory>/qxzaq16.reg
};

// Creates the directory, points the library at it (environment) and writes a
// registry naming COM1..COM<units> with the trace at `traceLevel` in the directory.
BenchSetting PrepareBench(const std::string& name, uint32_t units, uint32_t traceLevel);
void RemoveBench(const BenchSetting& setting);

// CPU seconds this process has used (all threads).
double ProcessCpuSeconds();
double WallSeconds();

double Percentile(std::vector<double> values, double fraction);
