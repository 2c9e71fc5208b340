// The soak's scratch folder: a registry naming the units (trace at level
// ERROR into the folder), the environment pointing the library at it, and the
// scenario that keeps every unit's line full.
#pragma once

#include <cstdint>
#include <string>

struct SoakFolder {
    std::string directory;
    std::string comDirectory;
    std::string registry;
    std::string scenario;
    std::string dump;
    std::string sentCounts;
    std::string traceLog;
};

// Creates a new folder under the system's temporary directory and fills it.
// False with `error` set when it could not be made.
bool PrepareSoakFolder(uint32_t units, SoakFolder& folder, std::string& error);
void RemoveSoakFolder(const SoakFolder& folder);
