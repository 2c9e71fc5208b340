// The trace-line writer: the line layout, the level filter, the log file and
// its rotation, and lines from many threads.
#include <gtest/gtest.h>

#include <cstdarg>
#include <filesystem>
#include <thread>

#include "TraceText.h"
#include "common/TraceWriter.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kTime = "Thu Dec 10 00:48:56 2026";

std::string Line(int32_t level, const char* function, const char* format, ...) __attribute__((format(printf, 3, 4)));

std::string Line(int32_t level, const char* function, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string line = TraceWriter::FormatLine(kTime, level, function, format, args);
    va_end(args);
    return line;
}

class TraceFileTest : public ::testing::Test {
protected:
    std::string LogText() const { return ReadWholeFile(logPath); }

    TempDir directory;
    const std::string logPath = directory.File("qxzaqlnk.log");
    TraceWriter writer;
};

}  // namespace

TEST(TraceLine, HasTheFixedLayout)
{
    EXPECT_EQ(Line(TRACE_INFO, "SetupPort", "Board found"),
              "\nThu Dec 10 00:48:56 2026 INFO   -SetupPort       Board found");
    EXPECT_EQ(Line(TRACE_WARNING, "SendEvent", "%d events, %s", 3, "dropped"),
              "\nThu Dec 10 00:48:56 2026 WARNING-SendEvent       3 events, dropped");
    EXPECT_EQ(Line(TRACE_ERROR, "REGISTRY", "RegOpenKeyEx(%s) failed.  %#08x", "Software\\Tessaline\\QXZAQ16", 2u),
              "\nThu Dec 10 00:48:56 2026 ERROR  -REGISTRY        RegOpenKeyEx(Software\\Tessaline\\QXZAQ16) failed.  0x000002");
    EXPECT_EQ(Line(TRACE_DEBUG, "HandlePacket::Lucent2w", "x"),
              "\nThu Dec 10 00:48:56 2026 DEBUG  -HandlePacket::Lucent2w x")
        << "a longer function text is not cut";
    EXPECT_EQ(Line(TRACE_INFO, "QXZAQSetTraceLevel", "Trace Set to %d\n", 4),
              "\nThu Dec 10 00:48:56 2026 INFO   -QXZAQSetTraceLevel Trace Set to 4\n");
    EXPECT_EQ(Line(TRACE_FATAL, "", "%s", ""), "\nThu Dec 10 00:48:56 2026 FATAL  -                ");
    EXPECT_EQ(Line(9, nullptr, "odd level"), "\nThu Dec 10 00:48:56 2026        -                odd level");
}

TEST(TraceLine, MessagesOfAnyLengthAreWhole)
{
    const std::string longText(100000, 'm');
    const std::string line = Line(TRACE_INFO, "Big", "<%s>", longText.c_str());
    EXPECT_EQ(line, "\nThu Dec 10 00:48:56 2026 INFO   -Big             <" + longText + ">");
}

TEST(TraceLine, LevelNames)
{
    const char* const expected[] = {"FATAL", "ERROR", "WARNING", "INFO", "TRACE", "DEBUG"};
    for (int32_t level = 0; level < 6; ++level) {
        EXPECT_STREQ(TraceWriter::LevelName(level), expected[level]);
    }
    EXPECT_STREQ(TraceWriter::LevelName(-1), "");
    EXPECT_STREQ(TraceWriter::LevelName(6), "");
}

TEST_F(TraceFileTest, WritesEachLineWithTheCurrentTime)
{
    writer.SetPath(logPath);
    EXPECT_EQ(writer.Path(), logPath);
    writer.Write(TRACE_INFO, "SetupPort", "Board found");
    writer.Write(TRACE_FATAL, "STARTING UP DLL", "DLL VERSION %s", "1.4.0.52");
    EXPECT_EQ(MaskTimes(LogText()),
              "\n<time> INFO   -SetupPort       Board found"
              "\n<time> FATAL  -STARTING UP DLL DLL VERSION 1.4.0.52");
}

TEST_F(TraceFileTest, LevelFilterPassesLinesUpToTheTraceLevel)
{
    writer.SetPath(logPath);
    EXPECT_EQ(writer.Level(), TRACE_INFO) << "the initial trace level";
    struct Case {
        int32_t traceLevel;
        std::string written;
    };
    const Case cases[] = {
        {3, "FATAL,ERROR,WARNING,INFO,"},
        {5, "FATAL,ERROR,WARNING,INFO,TRACE,DEBUG,"},
        {0, "FATAL,"},
        {-1, "FATAL,"},   // FATAL lines appear whatever the level
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.traceLevel);
        fs::remove(logPath);
        writer.SetLevel(entry.traceLevel);
        for (int32_t level = TRACE_FATAL; level <= TRACE_DEBUG; ++level) {
            writer.Write(level, "Filter", "line");
        }
        std::string written;
        for (const std::string& line : MaskedLines(LogText())) {
            const std::string name = line.substr(0, line.find('-'));
            written += name.substr(0, name.find(' ')) + ",";
        }
        EXPECT_EQ(written, entry.written);
    }
}

TEST_F(TraceFileTest, NoPathWritesNothing)
{
    writer.Write(TRACE_FATAL, "Nowhere", "lost");
    writer.SetPath(logPath);
    writer.SetPath("");
    writer.Write(TRACE_FATAL, "Nowhere", "lost");
    EXPECT_TRUE(fs::is_empty(directory.path()));
}

TEST_F(TraceFileTest, AFileThatCannotBeOpenedLosesOnlyTheLine)
{
    writer.SetPath(directory.File("missing/qxzaqlnk.log"));
    writer.Write(TRACE_FATAL, "Lost", "line");
    writer.SetPath(logPath);
    writer.Write(TRACE_FATAL, "Kept", "line");
    EXPECT_EQ(MaskTimes(LogText()), "\n<time> FATAL  -Kept            line");
}

TEST_F(TraceFileTest, ANewPathTakesTheFollowingLines)
{
    const std::string other = directory.File("other.log");
    writer.SetPath(logPath);
    writer.Write(TRACE_INFO, "A", "first");
    writer.SetPath(other);
    writer.Write(TRACE_INFO, "B", "second");
    EXPECT_EQ(MaskedLines(LogText()), std::vector<std::string>{"INFO   -A               first"});
    EXPECT_EQ(MaskedLines(ReadWholeFile(other)), std::vector<std::string>{"INFO   -B               second"});
}

TEST_F(TraceFileTest, RotationKeepsThePreviousRunsLog)
{
    const std::string previous = directory.File("qxzaqlnk.org");
    ASSERT_TRUE(WriteWholeFile(previous, "two runs ago"));
    writer.SetPath(logPath);
    writer.Write(TRACE_INFO, "Run", "first");

    // The next start, from another writer (another process), as at library load.
    TraceWriter::RotateLog(directory.path().string(), "qxzaqlnk");
    EXPECT_EQ(MaskedLines(ReadWholeFile(previous)), std::vector<std::string>{"INFO   -Run             first"});
    EXPECT_FALSE(fs::exists(logPath));

    TraceWriter next;
    next.SetPath(logPath);
    next.Write(TRACE_INFO, "Run", "second");
    // The first writer still holds the old file open; its next line follows the path.
    writer.Write(TRACE_INFO, "Run", "first again");
    EXPECT_EQ(MaskedLines(LogText()),
              (std::vector<std::string>{"INFO   -Run             second", "INFO   -Run             first again"}));
    EXPECT_EQ(MaskedLines(ReadWholeFile(previous)), std::vector<std::string>{"INFO   -Run             first"});
}

TEST_F(TraceFileTest, RotationWithoutALogRemovesTheOldOne)
{
    ASSERT_TRUE(WriteWholeFile(directory.File("qxzaqlnk.org"), "old"));
    TraceWriter::RotateLog(directory.path().string() + "/", "qxzaqlnk");
    EXPECT_TRUE(fs::is_empty(directory.path()));
}

TEST_F(TraceFileTest, LinesFromManyThreadsAreEachWhole)
{
    writer.SetPath(logPath);
    writer.SetLevel(TRACE_DEBUG);
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            const std::string function = "Thread" + std::to_string(t);
            for (int n = 0; n < kLines; ++n) {
                writer.Write(TRACE_DEBUG, function.c_str(), "%d %s|", n, std::string(static_cast<size_t>(n * 37 % 3000), 'z').c_str());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::vector<int> next(kThreads, 0);
    const std::vector<std::string> lines = MaskedLines(LogText());
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    for (const std::string& line : lines) {
        int t = -1;
        int n = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "DEBUG  -Thread%d        %d ", &t, &n), 2) << line.substr(0, 60);
        ASSERT_TRUE(t >= 0 && t < kThreads);
        char expected[64];
        std::snprintf(expected, sizeof expected, "DEBUG  -%-15s %d ", ("Thread" + std::to_string(t)).c_str(), n);
        EXPECT_EQ(line, expected + std::string(static_cast<size_t>(n * 37 % 3000), 'z') + "|");
        EXPECT_EQ(n, next[t]++);
    }
}
