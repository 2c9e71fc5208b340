// zaqmon on a simulated ISDN4WD unit: call events come out with the call's
// reference, direction, state, cause and numbers, as text lines and as JSON,
// in callback mode (the event's own record) and in polling mode (the call
// read by its channel).
#include <gtest/gtest.h>

#include "IsdnTestSupport.h"
#include "LinkFixture.h"
#include "platform/Program.h"

using namespace isdntest;

namespace {

class ZaqmonCallEvents : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        zaqsim::UnitConfig isdn;
        isdn.pbxName = "ISDN4WD";
        AddUnit(isdn);
        StartUnits();
        WriteRegistry({"COM1"}, 3);
    }

    std::unique_ptr<platform::Program> Start(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), std::string(ZAQ_BINARY_DIR) + "/tools/zaqmon/zaqmon");
        return platform::Program::Start(arguments, {{"QXZAQ_REGISTRY", dir.File("qxzaq16.reg")},
                                                    {"QXZAQ_COMDIR", dir.File("com")}});
    }

    // An incoming call on B1 of the second line (channels 3 and 4), answered,
    // then cleared by the caller; the frames are spaced so that a polling
    // monitor reads each state before the next message.
    void PlayACall()
    {
        ASSERT_TRUE(sim->WaitForCommand(0, "ENRAW", 5000));
        uint8_t coNs = 0;
        uint8_t cpeNs = 0;
        auto co = [&](const Bytes& message) {
            sim->QueuePacket(0, 2, 0x58, Frame(0, 1, 64, {static_cast<uint8_t>(coNs++ << 1), 0x00}, message), 300);
        };
        auto cpe = [&](const Bytes& message) {
            sim->QueuePacket(0, 3, 0x48, Frame(0, 0, 64, {static_cast<uint8_t>(cpeNs++ << 1), 0x00}, message), 300);
        };
        co(Q931(9, kSetup, ChannelB(1) + CallingNumber("5550199") + CalledNumber("31")));
        cpe(Q931(0x89, kConnect));
        co(Q931(9, kDisconnect, Cause(16)));
        cpe(Q931(0x89, kRelease));
        co(Q931(9, kReleaseComplete));
    }
};

}  // namespace

TEST_F(ZaqmonCallEvents, PrintTheNumbersStateAndCauseOfEveryCallEvent)
{
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{},
         {"Board 0, Channel 3 Calling Number : 5550199", "Board 0, Channel 3 Called Number : 31",
          "Board 0, Channel 3   call 9 in: state 10, cause 0, called 31, calling 5550199",
          "Board 0, Channel 3   call 9 in: state 0, cause 16, called 31, calling 5550199"}},
        {{"--poll"},
         {"Board 0, Channel 3 Calling Number : 5550199",
          "Board 0, Channel 3   call 9 in: state 10, cause 0, called 31, calling 5550199"}},
        {{"--json"},
         {"\"callRef\":9,\"direction\":1,\"state\":10,\"cause\":0,\"bChannel\":1,\"calledNumber\":\"31\","
          "\"callingNumber\":\"5550199\"",
          "\"callRef\":9,\"direction\":1,\"state\":0,\"cause\":16,\"bChannel\":1,\"calledNumber\":\"31\","
          "\"callingNumber\":\"5550199\""}},
        {{"--json", "--poll"},
         {"\"name\":\"QXEVT_CALL_CONNECTED\",\"param\":332,\"board\":0,\"channel\":3,",
          "\"callRef\":9,\"direction\":1,\"state\":10,\"cause\":0,\"bChannel\":1,\"calledNumber\":\"31\","
          "\"callingNumber\":\"5550199\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        auto monitor = Start(c.arguments);
        ASSERT_TRUE(monitor);
        PlayACall();
        ASSERT_TRUE(monitor->WaitForOutput("QXEVT_CALL_RELEASED", 8000)) << monitor->Output();
        monitor->Interrupt();
        EXPECT_EQ(monitor->Wait(5000), 0);
        const std::string output = monitor->Output();
        for (const std::string& line : c.expected) {
            EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
        }
        ASSERT_TRUE(sim->WaitUntilSent(0, 3000));
    }
}
