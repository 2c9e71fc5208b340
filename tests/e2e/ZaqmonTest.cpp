// zaqmon against simulated units, as a separate program: start-up lines, one
// line (or JSON object) per event in both delivery modes, the channel filter,
// and a clean end on Ctrl-C.
#include "LinkFixture.h"
#include "platform/Program.h"

namespace {

class Zaqmon : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        AddUnit();
        zaqsim::UnitConfig second;
        second.pbxName = "Merlin";
        AddUnit(second);
        StartUnits();
        WriteRegistry({"COM1", "COM2"}, 3);
    }

    std::unique_ptr<platform::Program> Start(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon");
        return platform::Program::Start(arguments, {{"QXZAQ_REGISTRY", dir.File("qxzaq16.reg")},
                                                    {"QXZAQ_COMDIR", dir.File("com")}});
    }

    // Sends the notices once the monitor has switched both units' output on.
    void SendNotices()
    {
        ASSERT_TRUE(sim->WaitForCommand(0, "ENRAW", 5000));
        ASSERT_TRUE(sim->WaitForCommand(1, "ENRAW", 5000));
        sim->SendNotice(0, 3, true);
        sim->SendNotice(1, 20, false);
    }
};

TEST_F(Zaqmon, ListsStartUpAndEventLinesAndEndsOnInterrupt)
{
    for (const bool polling : {false, true}) {
        auto monitor = polling ? Start({"--poll"}) : Start({});
        ASSERT_TRUE(monitor);
        SendNotices();
        ASSERT_TRUE(monitor->WaitForOutput("Channel 20 QXEVT_STARTSTOP_OFF", 5000)) << monitor->Output();
        monitor->Interrupt();
        EXPECT_EQ(monitor->Wait(5000), 0);
        const std::string output = monitor->Output();
        EXPECT_NE(output.find("Board Found 0 on \\\\.\\COM1 Starting Channel 1 PBX Type 2"), std::string::npos);
        EXPECT_NE(output.find("PBX is MERLIN MAGIX\n"), std::string::npos);
        EXPECT_NE(output.find("Board 1 Firmware Version 1.4.52"), std::string::npos);
        EXPECT_NE(output.find("Board 0 QXZAQEnableDChEvents SUCCESS"), std::string::npos);
        EXPECT_NE(output.find("Board 1 QXZAQGetDChannelStatus ON"), std::string::npos);
        EXPECT_NE(output.find("Number of ZAQs 2 "), std::string::npos);
        EXPECT_NE(output.find("Board 0, Channel 3 QXEVT_STARTSTOP_ON \n"), std::string::npos) << output;
        // The link was stopped: the units' output is off again.
        EXPECT_FALSE(sim->RawOutput(0));
        sim->ClearCommandLog(0);
        sim->ClearCommandLog(1);
    }
}

TEST_F(Zaqmon, JsonObjectsOnStandardOutputAndTheChannelFilter)
{
    auto monitor = Start({"--json", "--channels", "1-16", "--poll"});
    ASSERT_TRUE(monitor);
    SendNotices();
    ASSERT_TRUE(monitor->WaitForOutput("\"channel\":3", 5000)) << monitor->Output();
    monitor->Interrupt();
    EXPECT_EQ(monitor->Wait(5000), 0);
    const std::string output = monitor->Output();
    EXPECT_NE(output.find("{\"code\":4105,\"name\":\"QXEVT_STARTSTOP_ON\",\"param\":0,\"board\":0,\"channel\":3,"
                          "\"timeStamp\":"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("\"channel\":20"), std::string::npos);
}

TEST_F(Zaqmon, RefusesAnUnknownOption)
{
    auto monitor = Start({"--colour"});
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->Wait(5000), 2);
    EXPECT_NE(monitor->Output().find("unknown option: --colour"), std::string::npos);
}

}  // namespace
