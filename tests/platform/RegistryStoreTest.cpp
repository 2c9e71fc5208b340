// Win32 registry semantics over the registry file: keys, values, handles,
// access rights and the Win32 error numbers.
#include <filesystem>

#include "RegistryFileFixture.h"

namespace fs = std::filesystem;

TEST_F(RegistryFileTest, MissingFileOrKeyIsNotFound)
{
    EXPECT_EQ(OpenCode("Software\\Tessaline\\QXZAQ16"), reg::kNotFound);
    EXPECT_FALSE(fs::exists(registryPath)) << "reading never creates the file";

    reg::CloseKey(Create("Software\\Tessaline"));
    EXPECT_EQ(OpenCode("Software\\Tessaline\\QXZAQ16"), reg::kNotFound);
    EXPECT_EQ(OpenCode("Software\\Tessaline"), reg::kSuccess);
    EXPECT_EQ(OpenCode("Software"), reg::kSuccess);
}

TEST_F(RegistryFileTest, CreateKeyOpensAnExistingKeyWithoutRewritingTheFile)
{
    const reg::Key first = Create("Software\\Tessaline\\QXZAQ16");
    ASSERT_EQ(SetStored(first, "TraceLevel", DwordValue(3)), reg::kSuccess);
    const auto before = fs::last_write_time(registryPath);
    const std::string text = RegistryText();

    const reg::Key second = Create("Software\\Tessaline\\QXZAQ16");
    EXPECT_NE(second, first);
    EXPECT_EQ(QueryStored(second, "TraceLevel"), DwordValue(3));
    EXPECT_EQ(RegistryText(), text);
    EXPECT_EQ(fs::last_write_time(registryPath), before);
    reg::CloseKey(first);
    reg::CloseKey(second);
}

TEST_F(RegistryFileTest, KeyAndValueNamesIgnoreCase)
{
    const reg::Key key = Create("Software\\Tessaline");
    ASSERT_EQ(SetStored(key, "TraceLevel", DwordValue(3)), reg::kSuccess);
    reg::CloseKey(key);

    const reg::Key upper = Open("SOFTWARE\\TESSALINE");
    EXPECT_EQ(QueryStored(upper, "tracelevel"), DwordValue(3));
    // Writing under another spelling replaces the value and keeps the first spelling.
    ASSERT_EQ(SetStored(upper, "TRACELEVEL", DwordValue(5)), reg::kSuccess);
    reg::CloseKey(Create("software\\tessaline\\QXZAQ16"));
    reg::CloseKey(upper);

    EXPECT_EQ(RegistryText(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline]\r\n"
              "\"TraceLevel\"=dword:00000005\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]\r\n\r\n");
}

TEST_F(RegistryFileTest, QueryValueFollowsRegQueryValueEx)
{
    const reg::Key key = Create("Software\\Tessaline\\QXZAQ16");
    ASSERT_EQ(SetStored(key, "CARD1", TextValue("COM3")), reg::kSuccess);

    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(reg::QueryValue(key, "CARD1", &type, nullptr, &size), reg::kSuccess);
    EXPECT_EQ(type, reg::kTypeString);
    EXPECT_EQ(size, 5u) << "the size counts the terminating zero";

    char small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(reg::QueryValue(key, "CARD1", &type, small, &size), reg::kMoreData);
    EXPECT_EQ(size, 5u);

    char exact[5] = {};
    size = sizeof exact;
    EXPECT_EQ(reg::QueryValue(key, "CARD1", nullptr, exact, &size), reg::kSuccess);
    EXPECT_EQ(std::string(exact, 5), std::string("COM3\0", 5));

    EXPECT_EQ(reg::QueryValue(key, "CARD1", &type, exact, nullptr), reg::kInvalidParameter);
    EXPECT_EQ(reg::QueryValue(key, "CARD2", &type, nullptr, &size), reg::kNotFound);
    EXPECT_EQ(reg::SetValue(key, "Bad", reg::kTypeBinary, nullptr, 4), reg::kInvalidParameter);
    reg::CloseKey(key);
}

TEST_F(RegistryFileTest, DeleteKeyRefusesKeysWithSubkeys)
{
    reg::CloseKey(Create("Software\\Tessaline\\QXZAQ16"));
    reg::CloseKey(Create("Software\\Tessaline\\Other"));
    const reg::Key maker = Open("Software\\Tessaline");
    const reg::Key software = Open("Software");

    EXPECT_EQ(reg::DeleteKey(software, "Tessaline"), reg::kAccessDenied);
    EXPECT_EQ(reg::DeleteKey(maker, "QXZAQ16"), reg::kSuccess);
    EXPECT_EQ(reg::DeleteKey(maker, "qxzaq16"), reg::kNotFound);
    EXPECT_EQ(OpenCode("Software\\Tessaline\\QXZAQ16"), reg::kNotFound);
    EXPECT_EQ(reg::DeleteKey(software, "Tessaline"), reg::kAccessDenied);
    EXPECT_EQ(reg::DeleteKey(maker, "Other"), reg::kSuccess);
    EXPECT_EQ(reg::DeleteKey(software, "Tessaline"), reg::kSuccess);
    EXPECT_EQ(reg::DeleteKey(software, ""), reg::kInvalidParameter);
    EXPECT_EQ(RegistryText(), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n");
    reg::CloseKey(maker);
    reg::CloseKey(software);
}

TEST_F(RegistryFileTest, HandleOfADeletedKeyReportsKeyDeletedAndCreatesNothing)
{
    const reg::Key product = Create("Software\\Tessaline\\QXZAQ16");
    const reg::Key maker = Open("Software\\Tessaline");
    ASSERT_EQ(reg::DeleteKey(maker, "QXZAQ16"), reg::kSuccess);

    uint32_t size = 0;
    reg::Key child = 0;
    EXPECT_EQ(reg::QueryValue(product, "TraceLevel", nullptr, nullptr, &size), reg::kKeyDeleted);
    EXPECT_EQ(SetStored(product, "TraceLevel", DwordValue(3)), reg::kKeyDeleted);
    EXPECT_EQ(reg::CreateKey(product, "Child", reg::kAccessAll, child), reg::kKeyDeleted);
    EXPECT_EQ(reg::OpenKey(product, "", reg::kAccessAll, child), reg::kKeyDeleted);
    EXPECT_EQ(child, 0u);
    EXPECT_EQ(OpenCode("Software\\Tessaline\\QXZAQ16"), reg::kNotFound);
    EXPECT_EQ(reg::CloseKey(product), reg::kSuccess);
    reg::CloseKey(maker);
}

TEST_F(RegistryFileTest, HandlesFollowWin32Rules)
{
    const reg::Key key = Create("Software\\Tessaline");
    reg::Key again = 0;
    EXPECT_EQ(reg::OpenKey(key, "", reg::kAccessRead, again), reg::kSuccess) << "an empty subkey opens the key itself";
    EXPECT_NE(again, key);
    EXPECT_EQ(reg::FlushKey(key), reg::kSuccess);
    EXPECT_EQ(reg::CloseKey(key), reg::kSuccess);
    EXPECT_EQ(reg::CloseKey(key), reg::kInvalidHandle);
    EXPECT_EQ(reg::FlushKey(key), reg::kInvalidHandle);
    EXPECT_EQ(SetStored(key, "x", DwordValue(1)), reg::kInvalidHandle);
    EXPECT_EQ(reg::CloseKey(0), reg::kInvalidHandle);
    EXPECT_EQ(reg::CloseKey(reg::kLocalMachine), reg::kSuccess);
    EXPECT_EQ(reg::FlushKey(reg::kLocalMachine), reg::kSuccess);
    EXPECT_EQ(QueryStored(again, "missing"), std::nullopt);
    EXPECT_EQ(reg::CloseKey(again), reg::kSuccess);
}

struct AccessCase {
    const char* name;
    uint32_t access;
    uint32_t query;
    uint32_t set;
    uint32_t remove;
    uint32_t createChild;
};

const AccessCase kAccessCases[] = {
    {"read", reg::kAccessRead, reg::kSuccess, reg::kAccessDenied, reg::kAccessDenied, reg::kAccessDenied},
    {"write", reg::kAccessWrite, reg::kAccessDenied, reg::kSuccess, reg::kSuccess, reg::kSuccess},
    {"create subkeys", reg::kAccessCreateSubKey, reg::kAccessDenied, reg::kAccessDenied, reg::kAccessDenied,
     reg::kSuccess},
    {"all", reg::kAccessAll, reg::kSuccess, reg::kSuccess, reg::kSuccess, reg::kSuccess},
};

TEST_F(RegistryFileTest, HandlesGrantOnlyTheAccessTheyWereOpenedWith)
{
    const reg::Key setup = Create("Software\\Tessaline");
    ASSERT_EQ(SetStored(setup, "v", DwordValue(1)), reg::kSuccess);
    for (const AccessCase& access : kAccessCases) {
        SCOPED_TRACE(access.name);
        ASSERT_EQ(SetStored(setup, "v", DwordValue(1)), reg::kSuccess);
        const reg::Key key = Open("Software\\Tessaline", access.access);
        uint32_t size = 0;
        reg::Key child = 0;
        EXPECT_EQ(reg::QueryValue(key, "v", nullptr, nullptr, &size), access.query);
        EXPECT_EQ(SetStored(key, "w", DwordValue(2)), access.set);
        EXPECT_EQ(reg::DeleteValue(key, "v"), access.remove);
        EXPECT_EQ(reg::CreateKey(key, std::string("Child") + access.name, reg::kAccessAll, child),
                  access.createChild);
        reg::CloseKey(child);
        reg::CloseKey(key);
    }
    EXPECT_EQ(SetStored(reg::kLocalMachine, "v", DwordValue(1)), reg::kAccessDenied) << "the root holds no values";
    reg::CloseKey(setup);
}

TEST_F(RegistryFileTest, BadKeyAndValueNamesAreInvalidParameters)
{
    const reg::Key key = Create("Software");
    reg::Key out = 0;
    for (const std::string& bad : {std::string("\\Lead"), std::string("Two\\\\Seps"), std::string("Line\nBreak"),
                                   std::string(256, 'k'), std::string("Nul\0Inside", 10)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(reg::CreateKey(key, bad, reg::kAccessAll, out), reg::kInvalidParameter);
        EXPECT_EQ(reg::OpenKey(key, bad, reg::kAccessAll, out), reg::kInvalidParameter);
    }
    EXPECT_EQ(SetStored(key, "Line\r\nBreak", DwordValue(1)), reg::kInvalidParameter);
    EXPECT_EQ(reg::CreateKey(key, "Trailing\\", reg::kAccessAll, out), reg::kSuccess) << "a trailing separator is fine";
    reg::CloseKey(out);
    EXPECT_EQ(OpenCode("Software\\Trailing"), reg::kSuccess);
    reg::CloseKey(key);
}

TEST_F(RegistryFileTest, DeleteValueRemovesOneValue)
{
    const reg::Key key = Create("Software\\Tessaline\\QXZAQ16");
    ASSERT_EQ(SetStored(key, "CARD1", TextValue("COM3")), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "CARD2", TextValue("COM4")), reg::kSuccess);
    EXPECT_EQ(reg::DeleteValue(key, "card2"), reg::kSuccess);
    EXPECT_EQ(reg::DeleteValue(key, "CARD2"), reg::kNotFound);
    EXPECT_EQ(QueryStored(key, "CARD1"), TextValue("COM3"));
    EXPECT_EQ(QueryStored(key, "CARD2"), std::nullopt);
    reg::CloseKey(key);
}

TEST_F(RegistryFileTest, KeysAboveAListedKeyExist)
{
    WriteRegistry("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]\r\n");
    const reg::Key maker = Open("SOFTWARE\\TESSALINE");
    const reg::Key software = Open("Software");
    EXPECT_EQ(reg::DeleteKey(software, "Tessaline"), reg::kAccessDenied);
    ASSERT_EQ(SetStored(maker, "v", DwordValue(7)), reg::kSuccess);
    EXPECT_EQ(RegistryText(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline]\r\n"
              "\"v\"=dword:00000007\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]\r\n\r\n");
    reg::CloseKey(maker);
    reg::CloseKey(software);
}

TEST_F(RegistryFileTest, CreatesTheRegistryDirectoryWhenMissing)
{
    const std::string nested = directory.File("etc/qxzaq16/qxzaq16.reg");
    ASSERT_TRUE(platform::SetEnvironmentVariable("QXZAQ_REGISTRY", nested));
    EXPECT_EQ(reg::StoreLocation(), nested);
    reg::CloseKey(Create("Software\\Tessaline"));
    EXPECT_TRUE(fs::exists(nested));
}

TEST_F(RegistryFileTest, WritesLeaveNoTemporaryFilesAndKeepTheFileMode)
{
    reg::CloseKey(Create("Software"));
    EXPECT_EQ(fs::status(registryPath).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(registryPath, fs::perms::owner_read | fs::perms::owner_write);
    reg::CloseKey(Create("Software\\Tessaline"));
    EXPECT_EQ(fs::status(registryPath).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"qxzaq16.reg", "qxzaq16.reg.lock"}));
}

TEST_F(RegistryFileTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    // Larger than any registry: taken for damage, not for an empty registry.
    const std::string oversized = "Windows Registry Editor Version 5.00\r\n" + std::string(9u << 20, ';');
    WriteRegistry(oversized);
    reg::Key key = 0;
    EXPECT_EQ(reg::OpenKey(reg::kLocalMachine, "Software", reg::kAccessAll, key), reg::kBadDatabase);
    EXPECT_EQ(reg::CreateKey(reg::kLocalMachine, "Software", reg::kAccessAll, key), reg::kBadDatabase);
    EXPECT_EQ(fs::file_size(registryPath), oversized.size());

    fs::remove(registryPath);
    fs::create_directory(registryPath);
    EXPECT_EQ(reg::OpenKey(reg::kLocalMachine, "Software", reg::kAccessAll, key), reg::kAccessDenied);
    EXPECT_NE(reg::CreateKey(reg::kLocalMachine, "Software", reg::kAccessAll, key), reg::kSuccess);
    EXPECT_TRUE(fs::is_directory(registryPath));
}
