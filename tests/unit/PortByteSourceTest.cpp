// A unit port reading from a byte source in memory instead of a COM port:
// lines and packets reach their parts, commands reach the source, and a line
// that vanishes, closes or stops under a waiting command ends that command.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/EventCollector.h"
#include "support/MemoryByteSource.h"
#include "support/RecordingDecoder.h"
#include "unit/ZAQ16PORT.h"

namespace {

using namespace std::chrono_literals;

class PortOnAMemorySource : public testing::Test {
protected:
    void SetUp() override
    {
        port = std::make_shared<ZAQ16PORT>(nullptr, 33, events, RecordInto(seen));
        auto owned = std::make_unique<MemoryByteSource>();
        source = owned.get();
        port->AttachSource(std::move(owned));
    }
    void TearDown() override { port->StopThread(2000); }

    // Waits (bounded) until the port has written `text`.
    bool WaitUntilWritten(const std::string& text)
    {
        for (int waited = 0; waited < 5000; ++waited) {
            if (source->Written().find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    // A command waiting for its answer (60 s allowed), ended by `interruption`.
    uint32_t CommandEndedBy(const std::function<void()>& interruption)
    {
        std::atomic<uint32_t> result{ZAQ16_RET_PENDING};
        std::thread waiting([&] { result = port->SetOption("RESTART", ZAQ16PORT::kRestartWaitMs); });
        EXPECT_TRUE(WaitUntilWritten("RESTART\r"));
        interruption();
        waiting.join();
        return result;
    }

    EventCollector events;
    std::vector<SeenPacket> seen;
    std::shared_ptr<ZAQ16PORT> port;
    MemoryByteSource* source = nullptr;
};

TEST_F(PortOnAMemorySource, LinesAndPacketsReachTheirParts)
{
    source->idleWaitMs = 0;
    source->Feed("5Y\r\n");
    source->Feed(std::string{0x01, 0x03, 0x58, 0x02, 0x41, 0x42, 0x7D});
    for (int pass = 0; pass < 20 && seen.empty(); ++pass) {
        ASSERT_TRUE(port->Step());
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].channel, 3);
    EXPECT_EQ(seen[0].type, 0x58);
    EXPECT_EQ(seen[0].payload, (std::vector<uint8_t>{0x41, 0x42}));
    const std::vector<ZAQ16_EVENT> posted = events.Events();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].eventCode, static_cast<uint32_t>(QXEVT_STARTSTOP_ON));
    EXPECT_EQ(posted[0].channel, 5u);
}

TEST_F(PortOnAMemorySource, CommandsGoToTheSourceAndTakeItsAnswers)
{
    source->Respond([](const std::string& written) {
        return written == std::string("SET BUS\r") ? std::string("Bus=MVIP\r\n") : std::string("OK\r\n");
    });
    ASSERT_TRUE(port->StartThread(0));
    EXPECT_EQ(port->SetOption("ENRAW"), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(port->GetOptionValue(UnitOption::Bus), 1);
    EXPECT_EQ(source->Written(), "ENRAW\rSET BUS\r");
}

TEST_F(PortOnAMemorySource, VanishingLineEndsTheWaitingCommandAndLaterOnesFailAtOnce)
{
    ASSERT_TRUE(port->StartThread(0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CommandEndedBy([this] { source->Vanish(); }), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->SetOption("ENRAW"), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->GetPBXType(), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(PortOnAMemorySource, StopWhileACommandWaitsEndsIt)
{
    ASSERT_TRUE(port->StartThread(0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CommandEndedBy([this] { EXPECT_TRUE(port->StopThread(2000)); }), ZAQ16_RET_NOT_READY);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(PortOnAMemorySource, ClosedLineRefusesCommandsAndTheReaderStillStops)
{
    ASSERT_TRUE(port->StartThread(0));
    EXPECT_EQ(port->Close(), 1u);
    EXPECT_EQ(port->Close(), 0u);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(port->SetOption("ENRAW"), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->GetPBXType(), -1);
    EXPECT_TRUE(port->StopThread(2000));
}

}  // namespace
