#include <gtest/gtest.h>

#include "PlaySource.h"
#include "support/TempDir.h"

using zaqsim::LoadDumpFile;
using zaqsim::LoadScenarioFile;

TEST(PlaySource, ScenarioForUnitsThatAreNotSimulatedIsRefused)
{
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("s.scn"), "packet 0 0 58\npacket 2 0 58\n"));
    const zaqsim::PlaySource refused = LoadScenarioFile(dir.File("s.scn"), 2, 1.0);
    EXPECT_EQ(refused.error, dir.File("s.scn") + ": unit 2 is not simulated (2 unit(s))");
    EXPECT_TRUE(refused.units.empty());

    const zaqsim::PlaySource played = LoadScenarioFile(dir.File("s.scn"), 3, 1.0);
    EXPECT_TRUE(played.error.empty());
    ASSERT_EQ(played.units.size(), 3u);
    EXPECT_TRUE(played.units[1].empty());
    EXPECT_EQ(played.units[2].size(), 1u);
}

TEST(PlaySource, ScenarioErrorsCarryFileAndLine)
{
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("s.scn"), "# header\npacket 0 99 58\n"));
    EXPECT_EQ(LoadScenarioFile(dir.File("s.scn"), 1, 1.0).error,
              dir.File("s.scn") + ":2: bad channel \"99\" (0 to 15)");
}

TEST(PlaySource, DamagedDumpIsPlayedUpToTheDamageWithWarnings)
{
    TempDir dir;
    const std::string file = std::string("\x02\x01\x02", 3) + std::string("\x01\x00\x00\x00\x00\x00\x03\x58\x00\x00", 10) +
                             std::string("\x01\x04\x00\x00\x00\x00\x03\x58\x00\x00", 10) + "\x01\x00";
    ASSERT_TRUE(WriteWholeFile(dir.File("d.dmp"), file));
    const zaqsim::PlaySource source = LoadDumpFile(dir.File("d.dmp"), 1, 1.0);
    EXPECT_TRUE(source.error.empty());
    ASSERT_EQ(source.warnings.size(), 2u);
    EXPECT_NE(source.warnings[0].find("offset 23: record cut short"), std::string::npos) << source.warnings[0];
    EXPECT_NE(source.warnings[1].find("1 record(s) of boards that are not simulated"), std::string::npos);
    EXPECT_EQ(source.units.at(0).size(), 1u);
}

TEST(PlaySource, MissingFileIsAnError)
{
    EXPECT_NE(LoadDumpFile("/nonexistent/x.dmp", 1, 1.0).error.find("cannot be read"), std::string::npos);
    EXPECT_NE(LoadScenarioFile("/nonexistent/x.scn", 1, 1.0).error.find("cannot be read"), std::string::npos);
}
