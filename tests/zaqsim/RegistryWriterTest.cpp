#include <gtest/gtest.h>

#include "RegistryWriter.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RegistryStore.h"
#include "support/TempDir.h"

namespace reg = platform::registry;

TEST(RegistryWriter, NamesEveryUnitForTheLibrary)
{
    TempDir dir;
    const std::optional<std::string> previous = platform::GetEnvironmentVariable("QXZAQ_REGISTRY");
    ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_REGISTRY", dir.File("units.reg")));
    ASSERT_EQ(zaqsim::WriteUnitRegistry({"COM1", "COM2"}), reg::kSuccess);

    reg::Key key = 0;
    ASSERT_EQ(reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessRead, key), reg::kSuccess);
    uint32_t type = 0;
    uint32_t count = 0;
    uint32_t size = sizeof count;
    EXPECT_EQ(reg::QueryValue(key, "# of COMPorts", &type, &count, &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kTypeDword);
    EXPECT_EQ(count, 2u);
    char name[16] = {};
    size = sizeof name;
    EXPECT_EQ(reg::QueryValue(key, "CARD2", &type, name, &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kTypeString);
    EXPECT_STREQ(name, "COM2");
    reg::CloseKey(key);

    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", previous.value_or(""));
}
