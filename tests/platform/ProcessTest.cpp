// The child-process helper the sharing tests rely on, and the well-known locations.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/ChildProcess.h"
#include "platform/Paths.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RegistryStore.h"

TEST(ChildProcess, ReturnsTheBodysResult)
{
    EXPECT_EQ(platform::WaitChildProcess(platform::StartChildProcess([] { return 0; }), 10000), 0);
    EXPECT_EQ(platform::WaitChildProcess(platform::StartChildProcess([] { return 42; }), 10000), 42);
    EXPECT_EQ(platform::WaitChildProcess(
                  platform::StartChildProcess([]() -> int { throw std::runtime_error("x"); }), 10000),
              125);
    EXPECT_EQ(platform::WaitChildProcess(platform::kNoChildProcess, 10), -1);
}

TEST(ChildProcess, ChildThatOverstaysIsKilled)
{
    const platform::ChildProcess child = platform::StartChildProcess([] {
        std::this_thread::sleep_for(std::chrono::seconds(30));
        return 0;
    });
    EXPECT_EQ(platform::WaitChildProcess(child, 100), -1);
}

struct LocationCase {
    const char* variable;
    std::string (*location)();
    const char* fallback;
};

const LocationCase kLocations[] = {
    {"QXZAQ_SYSDIR", platform::SystemDirectory, "/var/lib/qxzaq16"},
    {"QXZAQ_REGISTRY", platform::registry::StoreLocation, "/etc/qxzaq16/qxzaq16.reg"},
};

TEST(Locations, ComeFromTheEnvironmentOrTheDefault)
{
    for (const LocationCase& entry : kLocations) {
        SCOPED_TRACE(entry.variable);
        ASSERT_TRUE(platform::SetEnvironmentVariable(entry.variable, ""));
        EXPECT_EQ(entry.location(), entry.fallback);
        ASSERT_TRUE(platform::SetEnvironmentVariable(entry.variable, "/tmp/elsewhere"));
        EXPECT_EQ(entry.location(), "/tmp/elsewhere");
        platform::SetEnvironmentVariable(entry.variable, "");
    }
}

TEST(Locations, AFileInADirectoryIsJoinedWithOneSeparator)
{
    struct Case {
        const char* directory;
        const char* expected;
    };
    const Case cases[] = {
        {"/var/log/zaq", "/var/log/zaq/qxzaqlnk.log"},
        {"/var/log/zaq/", "/var/log/zaq/qxzaqlnk.log"},
        {"", "qxzaqlnk.log"},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.directory);
        EXPECT_EQ(platform::PathInDirectory(entry.directory, "qxzaqlnk.log"), entry.expected);
    }
}
