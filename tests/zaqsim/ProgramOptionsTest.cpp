#include <gtest/gtest.h>

#include "ProgramOptions.h"

using zaqsim::ParseProgramOptions;
using zaqsim::ProgramOptions;

TEST(ProgramOptions, PerUnitListsRepeatTheirLastItem)
{
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(ParseProgramOptions({"--units", "3", "--pbx", "Definity2D,ISDN4WD", "--serial=7,8", "--hardware", "4",
                                     "--firmware", "2.0.1", "--comdir", "/tmp/x", "--speed", "0", "--loop",
                                     "--option", "BUS=SCSA", "--nak-block", "2", "--fail-upload",
                                     "--silent-commands", "SET BUS,ERRCHECK"},
                                    options, error))
        << error;
    ASSERT_EQ(options.units.size(), 3u);
    EXPECT_EQ(options.units[0].pbxName, "Definity2D");
    EXPECT_EQ(options.units[1].pbxName, "ISDN4WD");
    EXPECT_EQ(options.units[2].pbxName, "ISDN4WD");
    EXPECT_EQ(options.units[0].serialNumber, 7u);
    EXPECT_EQ(options.units[2].serialNumber, 8u);
    EXPECT_EQ(options.units[2].hardwareVersion, 4u);
    EXPECT_EQ(options.units[1].firmwareVersion, "2.0.1");
    EXPECT_EQ(options.units[1].powerOnOptions.at("BUS"), "SCSA");
    EXPECT_EQ(options.units[2].firmwareInjections.nakBlock, 2u);
    EXPECT_TRUE(options.units[0].firmwareInjections.finalError);
    EXPECT_EQ(options.units[0].silentCommands, (std::vector<std::string>{"SET BUS", "ERRCHECK"}));
    EXPECT_EQ(options.settings.comDirectory, "/tmp/x");
    EXPECT_EQ(options.settings.speed, 0.0);
    EXPECT_TRUE(options.loop);
}

TEST(ProgramOptions, DefaultsGiveOneUnitWithItsOwnSerial)
{
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(ParseProgramOptions({"--units", "2"}, options, error));
    EXPECT_EQ(options.units[0].serialNumber, 10001u);
    EXPECT_EQ(options.units[1].serialNumber, 10002u);
    EXPECT_EQ(options.units[1].pbxName, "Definity2D");
    EXPECT_EQ(options.settings.speed, 1.0);
}

TEST(ProgramOptions, BadArgumentsAreNamed)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--units", "0"}, {"--units", "17"},      {"--units"},          {"--speed", "-1"},
        {"--serial", "x"}, {"--bogus"},           {"--loop=yes"},       {"--option", "BUS"},
        {"--nak-block", "0"}, {"--scenario", "a", "--dump", "b"}, {"--pbx", ""},
    };
    for (const auto& args : bad) {
        ProgramOptions options;
        std::string error;
        EXPECT_FALSE(ParseProgramOptions(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(ProgramOptions, CountingUnplugsAndTheUnreadLimit)
{
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(ParseProgramOptions({"--sent-counts", "sent.txt", "--unplug-every", "1.5", "--unplug-away", "300",
                                     "--unplug-count", "4", "--max-unread", "2048"},
                                    options, error))
        << error;
    EXPECT_EQ(options.sentCountsFile, "sent.txt");
    EXPECT_EQ(options.unplug.everyMs, 1500u);
    EXPECT_EQ(options.unplug.awayMs, 300u);
    EXPECT_EQ(options.unplug.count, 4u);
    EXPECT_EQ(options.settings.maxUnreadBytes, 2048u);

    ProgramOptions defaults;
    ASSERT_TRUE(ParseProgramOptions({}, defaults, error));
    EXPECT_EQ(defaults.unplug.everyMs, 0u);  // no unit vanishes unless asked
    EXPECT_EQ(defaults.settings.maxUnreadBytes, 0u);
    EXPECT_TRUE(defaults.sentCountsFile.empty());

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--unplug-every", "0"}, {"--unplug-every", "x"}, {"--unplug-away", "-1"}, {"--unplug-count", ""},
             {"--max-unread", "lots"}, {"--sent-counts", ""}}) {
        ProgramOptions rejected;
        EXPECT_FALSE(ParseProgramOptions(bad, rejected, error)) << bad[0] << " " << bad[1];
    }
}

TEST(ProgramOptions, HelpIsRecognised)
{
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(ParseProgramOptions({"-h"}, options, error));
    EXPECT_TRUE(options.help);
    EXPECT_NE(zaqsim::HelpText().find("--scenario"), std::string::npos);
}
