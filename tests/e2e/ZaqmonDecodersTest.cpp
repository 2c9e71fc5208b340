// The whole chain as a user runs it: zaqsim plays a scenario of Definity and
// Meridian packets, zaqmon --json prints what the library decoded. The events
// and display texts, board by board, are those of the golden file.
#include <algorithm>
#include <sstream>

#include "LinkFixture.h"
#include "platform/Program.h"

namespace {

// The JSON lines without their time stamps, ordered by board (each board's own order kept).
std::vector<std::string> EventsByBoard(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        const size_t stamp = line.find(",\"timeStamp\":");
        if (line.rfind("{\"code\":", 0) != 0 || stamp == std::string::npos) {
            continue;
        }
        const size_t end = line.find_first_of(",}", stamp + 1);
        lines.push_back(line.substr(0, stamp) + line.substr(end));
    }
    auto board = [](const std::string& line) { return std::stoi(line.substr(line.find("\"board\":") + 8)); };
    std::stable_sort(lines.begin(), lines.end(),
                     [&board](const std::string& a, const std::string& b) { return board(a) < board(b); });
    return lines;
}

class ZaqmonDecoders : public LinkFixture {};

TEST_F(ZaqmonDecoders, JsonEventsAndDisplayTextsMatchTheGoldenList)
{
    const std::string fixtures = std::string(ZAQ_SOURCE_DIR) + "/tests/e2e/fixtures/";
    const platform::Program::Environment environment = {{"QXZAQ_REGISTRY", dir.File("qxzaq16.reg")},
                                                        {"QXZAQ_COMDIR", dir.File("com")}};
    auto units = platform::Program::Start({std::string(ZAQ_BINARY_DIR) + "/tools/zaqsim/zaqsim", "--units", "2",
                                           "--pbx", "Definity2D,MeridianD", "--comdir", dir.File("com"),
                                           "--registry", dir.File("qxzaq16.reg"), "--trace-dir",
                                           dir.path().string(), "--scenario", fixtures + "two_pbx.scn"},
                                          environment);
    ASSERT_TRUE(units);
    ASSERT_TRUE(units->WaitForOutput("COM2 ->", 10000)) << units->Output();

    auto monitor = platform::Program::Start(
        {std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon", "--json", "--poll"}, environment);
    ASSERT_TRUE(monitor);
    ASSERT_TRUE(monitor->WaitForOutput("\"text\":\"120", 10000)) << monitor->Output();
    monitor->Interrupt();
    EXPECT_EQ(monitor->Wait(5000), 0);
    units->Interrupt();
    units->Wait(5000);

    std::vector<std::string> expected;
    std::istringstream golden(ReadWholeFile(fixtures + "two_pbx.expected"));
    for (std::string line; std::getline(golden, line);) {
        expected.push_back(line);
    }
    EXPECT_EQ(EventsByBoard(monitor->Output()), expected) << monitor->Output();
}

}  // namespace
