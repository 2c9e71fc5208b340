// CRegistry: the configuration key of the units and the trace settings,
// HKEY_LOCAL_MACHINE "Software\Tessaline\QXZAQ16". Every operation returns 1 on
// success, 0 on failure, and writes each failure as a trace line at level ERROR
// with the function text "REGISTRY" and the registry call's error code.
#pragma once

#include <cstdint>
#include <string>

#include "common/TraceWriter.h"
#include "platform/RegistryStore.h"

class CRegistry {
public:
    using HKEY = platform::registry::Key;

    static constexpr const char* kMakerKey = "Software\\Tessaline";
    static constexpr const char* kProviderKey = "Software\\Tessaline\\QXZAQ16";
    static constexpr const char* kProductName = "QXZAQ16";
    static constexpr const char* kMakerName = "Tessaline";

    // Value names of the configuration key.
    static constexpr const char* kPortCountValue = "# of COMPorts";
    static constexpr const char* kTraceLevelValue = "TraceLevel";
    static constexpr const char* kTracePathValue = "TracePath";

    explicit CRegistry(TraceWriter& trace) : trace_(trace) {}

    int openProviderKey(uint32_t access, HKEY* key);
    int closeKey(HKEY key);
    // Creates the maker and product keys and writes the defaults: "# of COMPorts" 0,
    // "TraceLevel" 3, "TracePath" the system directory.
    int createProviderKey();
    // Deletes the product key, then the maker key (which fails, traced, while it
    // holds another product's key). Always returns 1.
    int deleteProviderKey();

    int getDwordValue(HKEY key, const char* name, uint32_t* value);
    int getStringValue(HKEY key, const char* name, std::string* value);
    int getBinaryValue(HKEY key, const char* name, void* buffer, uint32_t size);
    int setDwordValue(HKEY key, const char* name, uint32_t value);
    int setStringValue(HKEY key, const char* name, const char* value);
    int setBinaryValue(HKEY key, const char* name, const void* data, uint32_t size);

private:
    // Opens `parentPath` and deletes its subkey `name` (whose full path is `path`).
    void deleteKeyBelow(const char* parentPath, const char* name, const char* path);
    // Traces the failed query; returns false.
    bool failQuery(const char* name, uint32_t code);
    // A query whose value must have `expectedType` (traced as `typeName` when not).
    int queryTyped(HKEY key, const char* name, uint32_t expectedType, const char* typeName, void* data, uint32_t* size);
    int setValue(HKEY key, const char* name, uint32_t type, const void* data, uint32_t size);
    void traceFailure(const char* format, ...) __attribute__((format(printf, 2, 3)));

    TraceWriter& trace_;
};
