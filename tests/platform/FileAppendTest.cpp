// Whole-line appends shared by threads and processes, and a held-open file
// that follows its path through renames and deletions.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "platform/ChildProcess.h"
#include "platform/FileAppend.h"
#include "platform/FileSizeLimit.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

bool AppendText(platform::AppendFile& file, const std::string& path, const std::string& text)
{
    return file.Append(path, text.data(), text.size());
}

// "<writer> <n> <n x 'x'>|" with a length that varies from line to line, up to ~12 KB.
std::string NumberedLine(const std::string& writer, int n)
{
    return writer + " " + std::to_string(n) + " " + std::string(static_cast<size_t>((n * 997) % 12000), 'x') + "|\n";
}

}  // namespace

TEST(FileAppend, AppendToFileCreatesAndAppends)
{
    TempDir directory;
    const std::string path = directory.File("out.log");
    EXPECT_TRUE(platform::AppendToFile(path, "one\n", 4));
    EXPECT_TRUE(platform::AppendToFile(path, "two\n", 4));
    EXPECT_EQ(ReadWholeFile(path), "one\ntwo\n");
    EXPECT_FALSE(platform::AppendToFile(directory.File("missing/out.log"), "x", 1));
    EXPECT_FALSE(platform::AppendToFile("", "x", 1));
}

// A full disk cuts an append short: what it wrote is taken back, so the file
// ends on the last whole append and a later one follows that.
TEST(FileAppend, AnAppendThatDoesNotFitLeavesNothingOfItself)
{
    TempDir directory;
    const std::string path = directory.File("full.log");
    const std::string line(100, 'x');
    platform::AppendFile held;
    {
        platform::FileSizeLimit full(250);
        ASSERT_TRUE(full.Applied());
        EXPECT_TRUE(platform::AppendToFile(path, line.data(), line.size()));
        EXPECT_TRUE(AppendText(held, path, line));
        EXPECT_FALSE(platform::AppendToFile(path, line.data(), line.size()));
        EXPECT_EQ(fs::file_size(path), 200u);
        EXPECT_FALSE(AppendText(held, path, line));
        EXPECT_EQ(fs::file_size(path), 200u);
        EXPECT_TRUE(platform::AppendToFile(path, "end\n", 4));
    }
    EXPECT_EQ(ReadWholeFile(path), line + line + "end\n");
}

TEST(FileAppend, HeldFileFollowsItsPath)
{
    TempDir directory;
    const std::string first = directory.File("first.log");
    const std::string second = directory.File("second.log");
    platform::AppendFile file;
    EXPECT_TRUE(AppendText(file, first, "a"));
    EXPECT_TRUE(AppendText(file, second, "b"));
    EXPECT_TRUE(AppendText(file, first, "c"));
    EXPECT_EQ(ReadWholeFile(first), "ac");
    EXPECT_EQ(ReadWholeFile(second), "b");

    // A rotation renames the file away: the next line starts a new file under the path.
    fs::rename(first, directory.File("first.org"));
    EXPECT_TRUE(AppendText(file, first, "d"));
    EXPECT_EQ(ReadWholeFile(first), "d");
    EXPECT_EQ(ReadWholeFile(directory.File("first.org")), "ac");

    fs::remove(first);
    EXPECT_TRUE(AppendText(file, first, "e"));
    EXPECT_EQ(ReadWholeFile(first), "e");

    EXPECT_FALSE(AppendText(file, directory.File("missing/x.log"), "f"));
    EXPECT_TRUE(AppendText(file, first, "g"));
    EXPECT_EQ(ReadWholeFile(first), "eg");
}

TEST(FileAppend, LinesFromThreadsAndProcessesNeverMix)
{
    TempDir directory;
    const std::string path = directory.File("shared.log");
    constexpr int kLines = 150;

    const platform::ChildProcess child = platform::StartChildProcess([&] {
        for (int n = 0; n < kLines; ++n) {
            const std::string line = NumberedLine("process", n);
            if (!platform::AppendToFile(path, line.data(), line.size())) {
                return 1;
            }
        }
        return 0;
    });
    ASSERT_NE(child, platform::kNoChildProcess);
    const std::vector<std::string> writers = {"thread0", "thread1", "thread2", "thread3"};
    std::vector<std::thread> threads;
    for (const std::string& writer : writers) {
        threads.emplace_back([&path, writer] {
            platform::AppendFile file;
            for (int n = 0; n < kLines; ++n) {
                AppendText(file, path, NumberedLine(writer, n));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ASSERT_EQ(platform::WaitChildProcess(child, 60000), 0);

    std::map<std::string, int> nextOf;
    std::istringstream lines(ReadWholeFile(path));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string writer;
        int n = -1;
        fields >> writer >> n;
        ASSERT_EQ(line + "\n", NumberedLine(writer, n)) << "line " << count << " is not whole";
        EXPECT_EQ(n, nextOf[writer]++) << writer << ": each writer's lines stay in order";
        ++count;
    }
    EXPECT_EQ(count, kLines * 5);
}
