// Several threads and a second process writing the one registry file: no
// change is lost, and no reader ever sees a half-written file.
#include <atomic>
#include <thread>

#include "RegistryFileFixture.h"
#include "platform/ChildProcess.h"

namespace {

constexpr int kWritesPerWriter = 25;

std::string ValueName(const std::string& writer, int n)
{
    return writer + "-" + std::to_string(n);
}

// Each write reads the file, adds one value and replaces the file; the values
// are only all there at the end if no writer overwrote another's change.
int WriteValues(const std::string& writer)
{
    reg::Key key = 0;
    if (reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessAll, key) != reg::kSuccess) {
        return 1;
    }
    for (int n = 0; n < kWritesPerWriter; ++n) {
        const uint32_t number = static_cast<uint32_t>(n);
        if (reg::SetValue(key, ValueName(writer, n), reg::kTypeDword, &number, sizeof number) != reg::kSuccess) {
            return 2;
        }
    }
    reg::CloseKey(key);
    return 0;
}

}  // namespace

TEST_F(RegistryFileTest, ConcurrentWritersInThreadsAndProcessesLoseNothing)
{
    reg::CloseKey(Create("Software\\Tessaline\\QXZAQ16"));

    // Fork before this process starts any thread.
    const platform::ChildProcess child = platform::StartChildProcess([] { return WriteValues("process"); });
    ASSERT_NE(child, platform::kNoChildProcess);

    const std::vector<std::string> writers = {"thread0", "thread1", "thread2"};
    std::atomic<bool> writing{true};
    std::atomic<int> readerFailures{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (writing) {
            reg::Key key = 0;
            if (reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessRead, key) != reg::kSuccess) {
                ++readerFailures;
            }
            reg::CloseKey(key);
            ++reads;
        }
    });
    std::vector<std::thread> threads;
    std::vector<int> results(writers.size(), -1);
    for (size_t i = 0; i < writers.size(); ++i) {
        threads.emplace_back([&, i] { results[i] = WriteValues(writers[i]); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const int childResult = platform::WaitChildProcess(child, 60000);
    writing = false;
    reader.join();

    EXPECT_EQ(childResult, 0);
    EXPECT_EQ(results, std::vector<int>(writers.size(), 0));
    EXPECT_EQ(readerFailures, 0) << "of " << reads << " reads";
    const reg::Key key = Open("Software\\Tessaline\\QXZAQ16", reg::kAccessRead);
    std::vector<std::string> all = writers;
    all.push_back("process");
    for (const std::string& writer : all) {
        for (int n = 0; n < kWritesPerWriter; ++n) {
            EXPECT_EQ(QueryStored(key, ValueName(writer, n)), DwordValue(static_cast<uint32_t>(n)))
                << ValueName(writer, n);
        }
    }
    reg::CloseKey(key);
}
