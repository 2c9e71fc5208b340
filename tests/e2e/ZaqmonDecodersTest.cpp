// The whole chain as a user runs it: zaqsim plays a scenario of PBX packets
// (Definity and Meridian; MD110, Norstar and NEAX 2400), zaqmon --json prints
// what the library decoded. The events and display texts, board by board, are
// those of the golden file.
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

const std::string kFixtures = std::string(ZAQ_SOURCE_DIR) + "/tests/e2e/fixtures/";

std::vector<std::string> GoldenLines(const std::string& name)
{
    std::vector<std::string> lines;
    std::istringstream golden(ReadWholeFile(kFixtures + name));
    for (std::string line; std::getline(golden, line);) {
        lines.push_back(line);
    }
    return lines;
}

class ZaqmonDecoders : public LinkFixture {
protected:
    // zaqsim plays `scenario` on units that report the PBX names of `pbx`
    // (comma-separated); zaqmon --json runs until `last` appears in its
    // output, which is returned.
    std::string Monitor(const std::string& scenario, const std::string& pbx, const std::string& last)
    {
        const std::string unitCount = std::to_string(std::count(pbx.begin(), pbx.end(), ',') + 1);
        const platform::Program::Environment environment = {{"QXZAQ_REGISTRY", dir.File("qxzaq16.reg")},
                                                            {"QXZAQ_COMDIR", dir.File("com")}};
        auto units = platform::Program::Start(
            {std::string(ZAQ_BINARY_DIR) + "/tools/zaqsim/zaqsim", "--units", unitCount, "--pbx", pbx, "--comdir",
             dir.File("com"), "--registry", dir.File("qxzaq16.reg"), "--trace-dir", dir.path().string(),
             "--scenario", kFixtures + scenario},
            environment);
        EXPECT_TRUE(units);
        if (!units) {
            return {};
        }
        EXPECT_TRUE(units->WaitForOutput("COM" + unitCount + " ->", 10000)) << units->Output();

        auto monitor = platform::Program::Start(
            {std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon", "--json", "--poll"}, environment);
        EXPECT_TRUE(monitor);
        if (!monitor) {
            return {};
        }
        EXPECT_TRUE(monitor->WaitForOutput(last, 10000)) << monitor->Output();
        monitor->Interrupt();
        EXPECT_EQ(monitor->Wait(5000), 0);
        units->Interrupt();
        units->Wait(5000);
        return monitor->Output();
    }
};

TEST_F(ZaqmonDecoders, JsonEventsAndDisplayTextsMatchTheGoldenList)
{
    const std::string output = Monitor("two_pbx.scn", "Definity2D,MeridianD", "\"text\":\"120");
    EXPECT_EQ(EventsByBoard(output), GoldenLines("two_pbx.expected")) << output;
}

TEST_F(ZaqmonDecoders, Md110NorstarAndNeaxUnitsGiveTheirEventsAndDisplays)
{
    const std::string output = Monitor("three_families.scn", "MD110D,NorstarD,NEAX2400D", "\"text\":\"Kim 4410");
    EXPECT_EQ(EventsByBoard(output), GoldenLines("three_families.expected")) << output;
}

}  // namespace
