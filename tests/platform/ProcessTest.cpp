// The child-process helper the sharing tests rely on, and the system directory.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/ProcessEnvironment.h"

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

TEST(SystemDirectory, ComesFromTheEnvironmentOrTheDefault)
{
    ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_SYSDIR", ""));
    EXPECT_EQ(platform::SystemDirectory(), "/var/lib/qxzaq16");
    ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_SYSDIR", "/tmp/sys"));
    EXPECT_EQ(platform::SystemDirectory(), "/tmp/sys");
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", "");
}
