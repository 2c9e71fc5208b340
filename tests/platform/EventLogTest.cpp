// The system event log entries: their message text, and writing from threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/EventLog.h"

namespace {

struct MessageCase {
    const char* name;
    std::vector<std::string> strings;
    std::string data;
    std::string expected;
};

const MessageCase kMessageCases[] = {
    {"attach notice", {"Nopex", "QXZAQLNK"}, std::string("PROCESS ATTACH", 15),
     "Nopex : QXZAQLNK [50 52 4f 43 45 53 53 20 41 54 54 41 43 48 00]"},
    {"error entry", {"Nopex", "0x1", "QXZAQLNK : Ericsson Checksum Error"}, std::string("\x01\x02\xfe\xff", 4),
     "Nopex : 0x1 : QXZAQLNK : Ericsson Checksum Error [01 02 fe ff]"},
    {"no data", {"Nopex", "0x1", "Error log reached specified maximum"}, "",
     "Nopex : 0x1 : Error log reached specified maximum"},
    {"data only", {}, std::string("\x7f", 1), "[7f]"},
    {"nothing", {}, "", ""},
    {"percent signs stay text", {"100% %s %n"}, "", "100% %s %n"},
};

}  // namespace

TEST(EventLog, MessageJoinsTheStringsAndShowsTheDataInHex)
{
    for (const MessageCase& entry : kMessageCases) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(platform::FormatEventLogMessage(entry.strings, entry.data.data(), entry.data.size()), entry.expected);
    }
}

TEST(EventLog, LongDataIsCut)
{
    const std::string data(platform::kMaxLoggedDataBytes + 10, 'A');
    const std::string message = platform::FormatEventLogMessage({"x"}, data.data(), data.size());
    EXPECT_EQ(message.size(), std::string("x [").size() + platform::kMaxLoggedDataBytes * 3 - 1 + std::string(" ...]").size());
    EXPECT_TRUE(message.ends_with("41 41 ...]"));
}

TEST(EventLog, EntriesFromSeveralThreadsAreSafe)
{
    const std::string data("PROCESS ATTACH", 15);
    const bool reachable = platform::WriteEventLogEntry("QXZAQLNK", platform::EventLogType::Information, 2,
                                                        0x400707E6, {"Nopex", "QXZAQLNK"}, data.data(), data.size());
    std::vector<std::thread> threads;
    std::atomic<int> disagreements{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const auto type = static_cast<platform::EventLogType>(t % 3);
            for (int i = 0; i < 10; ++i) {
                if (platform::WriteEventLogEntry(t % 2 ? "QXZAQLNK" : "QXZAQLNK-test", type, 2, 0xC00707D0,
                                                 {"Nopex", "0x1", "test entry"}, nullptr, 0) != reachable) {
                    ++disagreements;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(disagreements, 0);
}
