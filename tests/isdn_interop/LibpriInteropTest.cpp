// Calls between a libpri network and a libpri user, captured, turned into a
// dump file by pcap2dmp, played by a simulated ISDN4WD unit to the library,
// and compared call by call with what tshark reads in the same capture:
// numbers, the events (the states the call went through) and the causes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "DumpFile.h"
#include "LinkFixture.h"
#include "TsharkCalls.h"
#include "platform/Program.h"

namespace {

struct MonitoredEvent {
    ZAQ16_EVENT event{};
    ZAQ16_CALL_STATUS status{};
};

std::mutex monitoredLock;
std::vector<MonitoredEvent> monitored;

uint32_t QXZAQ_CALL Collect(ZAQ16_EVENT* event)
{
    MonitoredEvent kept;
    kept.event = *event;
    if (event->callRecord != nullptr && event->param == sizeof(ZAQ16_CALL_STATUS)) {
        kept.status = *static_cast<const ZAQ16_CALL_STATUS*>(event->callRecord);
    }
    std::lock_guard<std::mutex> guard(monitoredLock);
    monitored.push_back(kept);
    return 0;
}

size_t MonitoredCount()
{
    std::lock_guard<std::mutex> guard(monitoredLock);
    return monitored.size();
}

bool IsCallStatusEvent(uint32_t code)
{
    return (code >= QXEVT_CALL_CONNECTED && code <= QXEVT_CALL_REJECTED) || code == QXEVT_CALL_ALERTING;
}

class LibpriInterop : public LinkFixture {
protected:
    void SetUp() override
    {
        if (std::string(ISDN_TRAFFIC_PROGRAM).empty()) {
            GTEST_SKIP() << "libpri (Debian libpri-dev) was not found when the project was configured";
        }
        if (std::string(TSHARK_PROGRAM).empty() || !std::filesystem::exists(TSHARK_PROGRAM)) {
            GTEST_SKIP() << "tshark (Debian tshark) was not found";
        }
        LinkFixture::SetUp();
        std::lock_guard<std::mutex> guard(monitoredLock);
        monitored.clear();
    }

    // Runs a program to its end; its output on failure.
    void Run(const std::vector<std::string>& command)
    {
        const auto [code, output] = platform::RunProgram(command, {}, 30000);
        ASSERT_EQ(code, 0) << command[0] << ":\n" << output;
    }

    // Plays `dump` from a simulated ISDN4WD unit to the library and keeps its events.
    void Monitor(const std::string& dump)
    {
        zaqsim::UnitConfig unit;
        unit.pbxName = "ISDN4WD";
        AddUnit(unit);
        StartUnits();
        WriteRegistry({"COM1"}, 3);
        Load();
        ASSERT_EQ(QXZAQStartLink(Collect), 1u);
        const std::string bytes = ReadWholeFile(dump);
        const zaqsim::DumpPlay play = zaqsim::LoadDump(bytes, 1, 0.0);
        ASSERT_EQ(play.error, "");
        ASSERT_FALSE(play.units[0].empty());
        sim->Play(0, play.units[0]);
        ASSERT_EQ(QXZAQEnableDChEvents(0), ZAQ16_RET_SUCCESS);
        ASSERT_TRUE(sim->WaitUntilSent(0, 10000));
        // The last packets are still on their way through the library: wait for quiet.
        size_t count = MonitoredCount();
        for (int quiet = 0; quiet < 10;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const size_t now = MonitoredCount();
            quiet = now == count ? quiet + 1 : 0;
            count = now;
        }
    }
};

}  // namespace

TEST_F(LibpriInterop, EveryCallAsTsharkReadsIt)
{
    const std::string capture = dir.File("libpri.pcap");
    const std::string dump = dir.File("libpri.dmp");
    ASSERT_NO_FATAL_FAILURE(Run({ISDN_TRAFFIC_PROGRAM, capture}));
    ASSERT_NO_FATAL_FAILURE(Run({std::string(ZAQ_BINARY_DIR) + "/tools/pcap2dmp/pcap2dmp", capture, dump}));

    interop::CallMessages calls;
    std::string error;
    ASSERT_TRUE(interop::ReadWithTshark(TSHARK_PROGRAM, capture, calls, error)) << error;
    ASSERT_GE(calls.size(), 6u) << "the generator's six calls";

    ASSERT_NO_FATAL_FAILURE(Monitor(dump));
    std::map<uint32_t, std::vector<MonitoredEvent>> byCall;
    {
        std::lock_guard<std::mutex> guard(monitoredLock);
        for (const MonitoredEvent& event : monitored) {
            if (IsCallStatusEvent(event.event.eventCode)) {
                byCall[event.status.callRef].push_back(event);
            }
        }
    }
    EXPECT_EQ(byCall.size(), calls.size()) << "a call the monitor saw that tshark did not, or the reverse";

    for (const auto& [callRef, messages] : calls) {
        SCOPED_TRACE(testing::Message() << "call reference " << callRef);
        const interop::ExpectedCall expected = interop::Expect(messages);
        ASSERT_FALSE(expected.events.empty());
        const std::vector<MonitoredEvent>& seen = byCall[callRef];
        std::vector<interop::ExpectedEvent> events;
        for (const MonitoredEvent& event : seen) {
            const bool clearing = event.event.eventCode == QXEVT_CALL_RELEASED ||
                                  event.event.eventCode == QXEVT_CALL_REJECTED ||
                                  event.event.eventCode == QXEVT_CALL_ABANDONED;
            events.push_back({event.event.eventCode, clearing ? event.status.cause : 0});
            EXPECT_STREQ(event.status.callingNumber.digits, expected.calling.c_str());
            EXPECT_STREQ(event.status.calledNumber.digits, expected.called.c_str());
            EXPECT_EQ(event.event.board, 0u);
            EXPECT_EQ(event.event.channel, expected.bChannel) << "line 0: B1 is channel 1, B2 channel 2";
            if (event.event.eventCode == QXEVT_CALL_CONNECTED || event.event.eventCode == QXEVT_CALL_HELD ||
                event.event.eventCode == QXEVT_CALL_RETRIEVED) {
                EXPECT_EQ(event.status.callState, 10u) << "Active";
            }
        }
        EXPECT_EQ(events, expected.events);

        // Every call has ended: its entities are free again. The copy that a
        // broadcast SETUP left on the line's second data link (no terminal
        // answers there) waits out the network's T303 (4 s) after a refusal.
        ZAQ16_CALL_STATUS status{};
        uint32_t size = 0;
        uint32_t result = 0;
        for (int wait = 0; wait < 100; ++wait) {
            result = QXZAQ_CC_GetStatusByRef(0, callRef, &status, &size);
            if (result == 0xE009000Cu) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(result, 0xE009000Cu) << "state " << status.callState;
    }
}
