// Frame sequences in fixtures/*.frames and the events they must produce in
// the .events file beside each: one line per event, and one per frame the
// front end refused. With ZAQ_UPDATE_GOLDEN set the .events files are
// written from what the run produced.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "IsdnTestSupport.h"

using namespace isdntest;

namespace {

const std::filesystem::path kFixtures = std::filesystem::path(ZAQ_SOURCE_DIR) / "tests/isdn/fixtures";

std::string RunScenario(const std::filesystem::path& frames)
{
    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd(monitor, events);
    EXPECT_EQ(frontEnd.Start(1, 32, 60), 0u);
    std::ifstream input(frames);
    std::ostringstream output;
    std::string line;
    while (std::getline(input, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.rfind("tick ", 0) == 0) {
            for (int i = std::atoi(line.c_str() + 5); i > 0; --i) {
                frontEnd.Tick();
            }
        } else {
            const uint32_t framer = static_cast<uint32_t>(std::atoi(line.c_str()));
            const Bytes frame = ParseHex(line.substr(line.find(' ')));
            const uint32_t result =
                frontEnd.HDLCFrameRcvd(framer, frame.data(), static_cast<uint32_t>(frame.size()), 0, 0);
            if (result != 0) {
                char text[64];
                std::snprintf(text, sizeof text, "refused framer=%u code=0x%08X", framer, result);
                output << text << '\n';
            }
        }
        for (const RecordedEvent& recorded : events.Take()) {
            output << Describe(recorded) << '\n';
        }
    }
    return output.str();
}

}  // namespace

TEST(GoldenScenarios, ProduceTheirRecordedEvents)
{
    int scenarios = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kFixtures)) {
        if (entry.path().extension() != ".frames") {
            continue;
        }
        ++scenarios;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string actual = RunScenario(entry.path());
        std::filesystem::path expectedPath = entry.path();
        expectedPath.replace_extension(".events");
        if (std::getenv("ZAQ_UPDATE_GOLDEN") != nullptr) {
            std::ofstream(expectedPath) << actual;
        }
        std::ifstream expectedFile(expectedPath);
        std::stringstream expected;
        expected << expectedFile.rdbuf();
        EXPECT_EQ(actual, expected.str());
    }
    EXPECT_GE(scenarios, 3);
}
