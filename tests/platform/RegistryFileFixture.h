// A registry file of its own per test, in a temporary directory named by
// QXZAQ_REGISTRY, with helpers to read values back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ProcessEnvironment.h"
#include "platform/RegistryStore.h"
#include "support/TempDir.h"

namespace reg = platform::registry;

struct StoredValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool operator==(const StoredValue&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const StoredValue& value)
{
    out << "type " << value.type << ", bytes";
    for (uint8_t byte : value.data) {
        out << ' ' << static_cast<int>(byte);
    }
    return out;
}

inline StoredValue TextValue(const std::string& text)
{
    StoredValue value{reg::kTypeString, std::vector<uint8_t>(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
}

inline StoredValue DwordValue(uint32_t number)
{
    return {reg::kTypeDword, {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                              static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)}};
}

// The value as RegQueryValueEx returns it; nothing when the query fails.
inline std::optional<StoredValue> QueryStored(reg::Key key, const std::string& name)
{
    StoredValue value;
    uint32_t size = 0;
    if (reg::QueryValue(key, name, &value.type, nullptr, &size) != reg::kSuccess) {
        return std::nullopt;
    }
    value.data.resize(size);
    if (reg::QueryValue(key, name, &value.type, value.data.data(), &size) != reg::kSuccess) {
        return std::nullopt;
    }
    return value;
}

inline uint32_t SetStored(reg::Key key, const std::string& name, const StoredValue& value)
{
    return reg::SetValue(key, name, value.type, value.data.data(), static_cast<uint32_t>(value.data.size()));
}

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_REGISTRY", registryPath)); }
    void TearDown() override { platform::SetEnvironmentVariable("QXZAQ_REGISTRY", ""); }

    std::string RegistryText() const { return ReadWholeFile(registryPath); }
    void WriteRegistry(const std::string& text) const { ASSERT_TRUE(WriteWholeFile(registryPath, text)); }

    static reg::Key Open(const std::string& path, uint32_t access = reg::kAccessAll)
    {
        reg::Key key = 0;
        EXPECT_EQ(reg::OpenKey(reg::kLocalMachine, path, access, key), reg::kSuccess) << path;
        return key;
    }

    static reg::Key Create(const std::string& path, uint32_t access = reg::kAccessAll)
    {
        reg::Key key = 0;
        EXPECT_EQ(reg::CreateKey(reg::kLocalMachine, path, access, key), reg::kSuccess) << path;
        return key;
    }

    static uint32_t OpenCode(const std::string& path)
    {
        reg::Key key = 0;
        const uint32_t code = reg::OpenKey(reg::kLocalMachine, path, reg::kAccessRead, key);
        reg::CloseKey(key);
        return code;
    }

    TempDir directory;
    const std::string registryPath = directory.File("qxzaq16.reg");
};
