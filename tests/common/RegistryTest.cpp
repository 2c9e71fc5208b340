// CRegistry over a registry file of its own, with its failure lines read back
// byte for byte from the trace file.
#include <gtest/gtest.h>

#include <filesystem>

#include "TraceText.h"
#include "common/Registry.h"
#include "platform/ProcessEnvironment.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
namespace reg = platform::registry;

namespace {

std::string Failure(const std::string& message)
{
    return "ERROR  -REGISTRY        " + message;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_REGISTRY", registryPath));
        ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_SYSDIR", systemDirectory));
        trace.SetPath(tracePath);
    }

    void TearDown() override
    {
        platform::SetEnvironmentVariable("QXZAQ_REGISTRY", "");
        platform::SetEnvironmentVariable("QXZAQ_SYSDIR", "");
    }

    // The trace lines written since the last call.
    std::vector<std::string> TakeTrace()
    {
        const std::vector<std::string> lines = MaskedLines(ReadWholeFile(tracePath));
        fs::remove(tracePath);
        return lines;
    }

    CRegistry::HKEY OpenProvider(uint32_t access = reg::kAccessAll)
    {
        CRegistry::HKEY key = 0;
        EXPECT_EQ(registry.openProviderKey(access, &key), 1);
        return key;
    }

    // A product key as the applet creates it, then open with all access.
    CRegistry::HKEY CreateAndOpenProvider()
    {
        EXPECT_EQ(registry.createProviderKey(), 1);
        return OpenProvider();
    }

    TempDir directory;
    const std::string registryPath = directory.File("qxzaq16.reg");
    const std::string tracePath = directory.File("trace.log");
    const std::string systemDirectory = directory.File("system");
    TraceWriter trace;
    CRegistry registry{trace};
    const std::vector<std::string> none;
};

}  // namespace

TEST_F(RegistryTest, OpeningAMissingKeyFailsWithNotFound)
{
    CRegistry::HKEY key = 0;
    EXPECT_EQ(registry.openProviderKey(reg::kAccessAll, &key), 0);
    EXPECT_EQ(TakeTrace(), std::vector<std::string>{Failure("RegOpenKeyEx(Software\\Tessaline\\QXZAQ16) failed.  0x000002")});
    EXPECT_EQ(registry.openProviderKey(reg::kAccessAll, nullptr), 0);
    EXPECT_EQ(TakeTrace(), std::vector<std::string>{Failure("RegOpenKeyEx(Software\\Tessaline\\QXZAQ16) failed.  0x000002")});
}

TEST_F(RegistryTest, CreateProviderKeyWritesTheDefaults)
{
    const CRegistry::HKEY key = CreateAndOpenProvider();
    uint32_t number = 99;
    std::string text;
    EXPECT_EQ(registry.getDwordValue(key, "TraceLevel", &number), 1);
    EXPECT_EQ(number, 3u);
    EXPECT_EQ(registry.getDwordValue(key, "# of COMPorts", &number), 1);
    EXPECT_EQ(number, 0u);
    EXPECT_EQ(registry.getStringValue(key, "TracePath", &text), 1);
    EXPECT_EQ(text, systemDirectory);
    EXPECT_EQ(registry.closeKey(key), 1);
    EXPECT_EQ(TakeTrace(), none);

    EXPECT_EQ(ReadWholeFile(registryPath),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]\r\n"
              "\"# of COMPorts\"=dword:00000000\r\n"
              "\"TraceLevel\"=dword:00000003\r\n"
              "\"TracePath\"=\"" + systemDirectory + "\"\r\n\r\n");
}

TEST_F(RegistryTest, CreateProviderKeyFailureTracesEveryStep)
{
    fs::create_directory(registryPath);   // a registry that cannot be read or written
    EXPECT_EQ(registry.createProviderKey(), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{
                               Failure("RegCreateKeyEx(Software\\Tessaline) failed.  0x000005"),
                               Failure("RegSetValueEx(# of COMPorts) failed.  0x000006"),
                               Failure("RegSetValueEx(TraceLevel) failed.  0x000006"),
                               Failure("RegSetValueEx(TracePath) failed.  0x000006"),
                           }));
}

TEST_F(RegistryTest, DwordReadsCheckTheType)
{
    const CRegistry::HKEY key = CreateAndOpenProvider();
    uint32_t number = 77;
    ASSERT_EQ(registry.setStringValue(key, "CARD1", "C3"), 1);
    EXPECT_EQ(registry.getDwordValue(key, "CARD1", &number), 0);
    EXPECT_EQ(TakeTrace(), std::vector<std::string>{Failure("(CARD1)dwDataType != REG_DWORD.  0x000001")});
    // A text longer than 4 bytes does not fit the query's buffer either.
    EXPECT_EQ(registry.getDwordValue(key, "TracePath", &number), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegQueryValueEx(TracePath) failed.  0x0000ea"),
                                                     Failure("(TracePath)dwDataType != REG_DWORD.  0x000001")}));

    // A missing value fails the query and then the type test.
    EXPECT_EQ(registry.getDwordValue(key, "CARD2", &number), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegQueryValueEx(CARD2) failed.  0x000002"),
                                                     Failure("(CARD2)dwDataType != REG_DWORD.  00000000")}));
    EXPECT_EQ(number, 77u);

    EXPECT_EQ(registry.setDwordValue(key, "# of COMPorts", 2), 1);
    EXPECT_EQ(registry.getDwordValue(key, "# OF COMPORTS", &number), 1);
    EXPECT_EQ(number, 2u);
    registry.closeKey(key);
    EXPECT_EQ(TakeTrace(), none);
}

TEST_F(RegistryTest, StringReadsCheckTheTypeAndReturnWholeValues)
{
    const CRegistry::HKEY key = CreateAndOpenProvider();
    std::string text = "untouched";
    EXPECT_EQ(registry.getStringValue(key, "TraceLevel", &text), 0);
    EXPECT_EQ(registry.getStringValue(key, "CARD1", &text), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("dwDataType != REG_SZ.  0x000004"),
                                                     Failure("RegQueryValueEx(CARD1) failed.  0x000002")}));

    ASSERT_EQ(registry.setStringValue(key, "CARD1", ""), 1);
    EXPECT_EQ(registry.getStringValue(key, "CARD1", &text), 1);
    EXPECT_EQ(text, "untouched") << "an empty value leaves the output as it was";

    const std::string longPath(5000, 'p');
    ASSERT_EQ(registry.setStringValue(key, "TracePath", longPath.c_str()), 1);
    EXPECT_EQ(registry.getStringValue(key, "TracePath", &text), 1);
    EXPECT_EQ(text, longPath);

    ASSERT_EQ(registry.setStringValue(key, "CARD2", "\\\\.\\COM4"), 1);
    EXPECT_EQ(registry.getStringValue(key, "card2", &text), 1);
    EXPECT_EQ(text, "\\\\.\\COM4");
    registry.closeKey(key);
    EXPECT_EQ(TakeTrace(), none);
}

TEST_F(RegistryTest, BinaryValuesAsTheAppletUsesThem)
{
    const CRegistry::HKEY key = CreateAndOpenProvider();
    const uint8_t settings[6] = {1, 0, 0x80, 0xff, 7, 9};
    ASSERT_EQ(registry.setBinaryValue(key, "Options", settings, sizeof settings), 1);
    uint8_t read[6] = {};
    EXPECT_EQ(registry.getBinaryValue(key, "Options", read, sizeof read), 1);
    EXPECT_EQ(std::vector<uint8_t>(read, read + 6), std::vector<uint8_t>(settings, settings + 6));

    uint8_t small[4] = {};
    EXPECT_EQ(registry.getBinaryValue(key, "Options", small, sizeof small), 0);
    EXPECT_EQ(registry.getBinaryValue(key, "TracePath", read, sizeof read), 0);
    EXPECT_EQ(registry.getBinaryValue(key, "Missing", read, sizeof read), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegQueryValueEx(Options) failed.  0x0000ea"),
                                                     Failure("RegQueryValueEx(TracePath) failed.  0x0000ea"),
                                                     Failure("RegQueryValueEx(Missing) failed.  0x000002")}));
    uint8_t large[64] = {};
    EXPECT_EQ(registry.getBinaryValue(key, "TraceLevel", large, sizeof large), 0);
    EXPECT_EQ(TakeTrace(), std::vector<std::string>{Failure("dwDataType != REG_BINARY.  0x000004")});
    registry.closeKey(key);
}

TEST_F(RegistryTest, WritesThroughAReadOnlyKeyFail)
{
    EXPECT_EQ(registry.createProviderKey(), 1);
    const CRegistry::HKEY key = OpenProvider(reg::kAccessRead);
    const uint8_t byte = 1;
    EXPECT_EQ(registry.setDwordValue(key, "TraceLevel", 5), 0);
    EXPECT_EQ(registry.setStringValue(key, "CARD1", "COM3"), 0);
    EXPECT_EQ(registry.setBinaryValue(key, "Options", &byte, 1), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegSetValueEx(TraceLevel) failed.  0x000005"),
                                                     Failure("RegSetValueEx(CARD1) failed.  0x000005"),
                                                     Failure("RegSetValueEx(Options) failed.  0x000005")}));
    registry.closeKey(key);
}

TEST_F(RegistryTest, CloseKeyFlushesAndCloses)
{
    EXPECT_EQ(registry.closeKey(0), 1);
    EXPECT_EQ(TakeTrace(), none);
    const CRegistry::HKEY key = CreateAndOpenProvider();
    EXPECT_EQ(registry.closeKey(key), 1);
    EXPECT_EQ(TakeTrace(), none);
    EXPECT_EQ(registry.closeKey(key), 0);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegFlushKey() failed.  0x000006"),
                                                     Failure("RegCloseKey() failed.  0x000006")}));
}

TEST_F(RegistryTest, DeleteProviderKeyLeavesAMakerKeyThatHoldsAnotherProduct)
{
    EXPECT_EQ(registry.createProviderKey(), 1);
    reg::Key other = 0;
    ASSERT_EQ(reg::CreateKey(reg::kLocalMachine, "Software\\Tessaline\\OtherProduct", reg::kAccessAll, other), reg::kSuccess);
    reg::CloseKey(other);

    EXPECT_EQ(registry.deleteProviderKey(), 1);
    EXPECT_EQ(TakeTrace(), std::vector<std::string>{Failure("RegDeleteKey(Software\\Tessaline) failed.  0x000005")});
    CRegistry::HKEY key = 0;
    EXPECT_EQ(registry.openProviderKey(reg::kAccessRead, &key), 0);
    TakeTrace();
    ASSERT_EQ(reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\OtherProduct", reg::kAccessRead, other), reg::kSuccess);
    reg::CloseKey(other);
}

TEST_F(RegistryTest, DeleteProviderKeyRemovesTheMakerKeyWithIt)
{
    EXPECT_EQ(registry.createProviderKey(), 1);
    EXPECT_EQ(registry.deleteProviderKey(), 1);
    EXPECT_EQ(TakeTrace(), none);
    EXPECT_EQ(ReadWholeFile(registryPath), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n");

    // Nothing left to delete: still 1, and the trace says why.
    EXPECT_EQ(registry.deleteProviderKey(), 1);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegOpenKeyEx(Software\\Tessaline) failed.  0x000002"),
                                                     Failure("RegDeleteKey(Software\\Tessaline) failed.  0x000002")}));
    fs::remove(registryPath);
    EXPECT_EQ(registry.deleteProviderKey(), 1);
    EXPECT_EQ(TakeTrace(), (std::vector<std::string>{Failure("RegOpenKeyEx(Software\\Tessaline) failed.  0x000002"),
                                                     Failure("RegOpenKeyEx(Software) failed.  0x000002")}));
}

TEST_F(RegistryTest, FailureLinesFollowTheTraceLevel)
{
    trace.SetLevel(TRACE_FATAL);
    CRegistry::HKEY key = 0;
    EXPECT_EQ(registry.openProviderKey(reg::kAccessAll, &key), 0);
    EXPECT_EQ(TakeTrace(), none);
}
