// The command channel on its own, against a fake unit line whose answers a
// stand-in reader thread hands back: answers, silence, late answers, several
// threads at once, a stop and a lost device while a command waits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <thread>

#include "unit/CommandChannel.h"

namespace {

using namespace std::chrono_literals;

// What the unit does with each command line: its answer lines (empty: silence).
using Responder = std::function<std::string(const std::string& command)>;

// The unit's side of the line: takes whole command lines and answers them on a
// reader thread of its own, as the port's reader would deliver them.
class FakeUnitLine final : public CommandChannel::UnitLine {
public:
    FakeUnitLine() : reader_([this] { Deliver(); }) {}
    ~FakeUnitLine() override { Stop(); }

    // Ends the reader thread; answers not yet handed back are dropped.
    void Stop()
    {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            ending_ = true;
        }
        changed_.notify_all();
        if (reader_.joinable()) {
            reader_.join();
        }
    }

    void Attach(CommandChannel& channel) { channel_ = &channel; }
    void Respond(Responder responder)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        responder_ = std::move(responder);
    }

    uint32_t Send(const void* bytes, size_t size) override
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!connected) {
            return 0;
        }
        const std::string text(static_cast<const char*>(bytes), size);
        written_.push_back(text);
        if (responder_) {
            std::string answer = responder_(text);
            // One answer line per CR LF, as the reader hands them (CR kept).
            for (size_t end; (end = answer.find("\r\n")) != std::string::npos; answer.erase(0, end + 2)) {
                pending_.push_back(answer.substr(0, end + 1));
            }
        }
        changed_.notify_all();
        return static_cast<uint32_t>(size);
    }
    bool Connected() const override { return connected; }

    std::vector<std::string> Written()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return written_;
    }
    // Waits (bounded) until `count` lines have been written.
    bool WaitForWrites(size_t count)
    {
        std::unique_lock<std::mutex> guard(mutex_);
        return changed_.wait_for(guard, 5s, [&] { return written_.size() >= count; });
    }

    std::atomic<bool> connected{true};

private:
    void Deliver()
    {
        std::unique_lock<std::mutex> guard(mutex_);
        for (;;) {
            changed_.wait(guard, [this] { return ending_ || !pending_.empty(); });
            if (ending_) {
                return;
            }
            const std::string line = pending_.front();
            pending_.pop_front();
            guard.unlock();
            channel_->TakeLine(line);
            guard.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    Responder responder_;
    std::vector<std::string> written_;
    std::deque<std::string> pending_;
    bool ending_ = false;
    CommandChannel* channel_ = nullptr;
    std::thread reader_;
};

// A unit that confirms every command and answers the queries it knows.
std::string OrdinaryUnit(const std::string& command)
{
    static const std::map<std::string, std::string> kQueries = {
        {"SET BUS\r", "Bus=SCSA\r\n"},
        {"SET LIGHTMASK1\r", "LightMask1=0110\r\n"},
    };
    if (const auto query = kQueries.find(command); query != kQueries.end()) {
        return query->second;
    }
    return command.find('=') != std::string::npos || command.rfind("PBXLEVELSET", 0) == 0 ? "OK\r\n" : "";
}

class CommandChannelTest : public testing::Test {
protected:
    void SetUp() override { line.Attach(channel); }
    // The reader goes before the channel it hands answers to.
    void TearDown() override { line.Stop(); }

    FakeUnitLine line;
    CommandChannel channel{line};
};

TEST_F(CommandChannelTest, ConfirmedCommandsAndQueriesGetTheirAnswers)
{
    line.Respond(OrdinaryUnit);
    char mask[10] = {};
    EXPECT_EQ(channel.SetOptionValue(UnitOption::Stream, 7), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(channel.Answers().stream, 7);
    EXPECT_EQ(channel.GetOptionValue(UnitOption::Bus), 2);
    EXPECT_EQ(channel.GetLightMask(1, mask), '0');
    EXPECT_STREQ(mask, "0110");
    EXPECT_EQ(channel.SetPBXLevel(65), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(line.Written(), (std::vector<std::string>{"SET STREAM=7\r", "SET BUS\r", "SET LIGHTMASK1\r",
                                                         "PBXLEVELSETA\r"}));
}

TEST_F(CommandChannelTest, RefusalIsUnitErrorAndOutOfRangeValuesAreNotSent)
{
    line.Respond([](const std::string&) { return std::string("ERROR\r\n"); });
    EXPECT_EQ(channel.SetOptionValue(UnitOption::Clock, 1), ZAQ16_RET_UNIT_ERROR);
    EXPECT_EQ(channel.SetOptionValue(UnitOption::Clock, 2), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(channel.SetLightMask(0, "0123456789"), ZAQ16_RET_INVALID_PARAM);
    EXPECT_EQ(line.Written(), (std::vector<std::string>{"SET CLOCK=SLAVE\r"}));
}

TEST_F(CommandChannelTest, SilenceEndsEachWaitAtItsBound)
{
    EXPECT_EQ(channel.SetOption("ENRAW", 100), ZAQ16_RET_TIMEOUT);
    EXPECT_EQ(channel.GetOptionValue(UnitOption::Slots), -1);
    uint8_t tables[64] = {};
    EXPECT_EQ(channel.CheckErrors(tables), ZAQ16_RET_TIMEOUT);
}

TEST_F(CommandChannelTest, AnswerArrivingJustAfterTheBoundIsNotTakenForTheNextCommand)
{
    EXPECT_EQ(channel.SetOption("ENRAW", 50), ZAQ16_RET_TIMEOUT);
    // The unit's late "OK" comes between the two commands.
    channel.TakeLine("OK\r");
    line.Respond([](const std::string&) { return std::string("ERROR\r\n"); });
    EXPECT_EQ(channel.SetOption("DISRAW", 2000), ZAQ16_RET_UNIT_ERROR);
    // A late value line does not answer the next query either.
    line.Respond(nullptr);
    EXPECT_EQ(channel.GetOptionValue(UnitOption::Bus), -1);
    channel.TakeLine("Bus=MVIP\r");
    EXPECT_EQ(channel.GetOptionValue(UnitOption::Bus), -1);
}

TEST_F(CommandChannelTest, CommandsFromSeveralThreadsEachGetTheirOwnAnswer)
{
    // The unit refuses odd slot counts: each thread must see its own verdict.
    line.Respond([](const std::string& command) {
        const int value = std::stoi(command.substr(command.find('=') + 1));
        return std::string(value % 2 != 0 ? "ERROR\r\n" : "OK\r\n");
    });
    constexpr int kThreads = 4;
    constexpr int kCommands = 25;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kCommands; ++i) {
                const int value = t * 1000 + i;
                const uint32_t expected = value % 2 != 0 ? ZAQ16_RET_UNIT_ERROR : ZAQ16_RET_SUCCESS;
                if (channel.SetOptionValue(UnitOption::Slots, value) != expected) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    const std::vector<std::string> written = line.Written();
    ASSERT_EQ(written.size(), static_cast<size_t>(kThreads * kCommands));
    for (const std::string& command : written) {
        EXPECT_EQ(command.rfind("SET SLOTS=", 0), 0u) << command;
        EXPECT_EQ(command.back(), '\r');
    }
}

TEST_F(CommandChannelTest, StopWhileACommandWaitsEndsItAtOnce)
{
    std::atomic<uint32_t> result{ZAQ16_RET_PENDING};
    const auto start = std::chrono::steady_clock::now();
    std::thread waiting([&] { result = channel.SetOption("RESTART", CommandChannel::kRestartWaitMs); });
    ASSERT_TRUE(line.WaitForWrites(1));
    channel.Abandon();
    waiting.join();
    EXPECT_EQ(result.load(), ZAQ16_RET_NOT_READY);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(CommandChannelTest, LostLineEndsTheWaitsAndLaterCommandsFailAtOnce)
{
    std::atomic<uint32_t> setResult{ZAQ16_RET_PENDING};
    std::atomic<int32_t> queryResult{0};
    const auto start = std::chrono::steady_clock::now();
    std::thread setter([&] { setResult = channel.SetOption("RESTART", CommandChannel::kRestartWaitMs); });
    ASSERT_TRUE(line.WaitForWrites(1));
    std::thread query([&] { queryResult = channel.GetOptionValue(UnitOption::Bus); });
    ASSERT_TRUE(line.WaitForWrites(2));
    EXPECT_TRUE(channel.LineLost());
    EXPECT_FALSE(channel.LineLost());
    setter.join();
    query.join();
    EXPECT_EQ(setResult.load(), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(queryResult.load(), -1);
    EXPECT_EQ(channel.SetOption("ENRAW"), ZAQ16_RET_NOT_READY);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST_F(CommandChannelTest, ClosedLineSendsNothing)
{
    line.connected = false;
    EXPECT_EQ(channel.SetOption("ENRAW"), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(channel.GetPBXType(), -1);
    EXPECT_TRUE(line.Written().empty());
}

TEST_F(CommandChannelTest, WhileAnUploadHoldsTheLineEveryCommandIsRefused)
{
    line.Respond(OrdinaryUnit);
    ASSERT_TRUE(channel.ClaimForUpload());
    EXPECT_FALSE(channel.ClaimForUpload());
    uint8_t tables[64] = {};
    EXPECT_EQ(channel.SetOption("ENRAW"), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(channel.GetOptionValue(UnitOption::Bus), -1);
    EXPECT_EQ(channel.CheckErrors(tables), ZAQ16_RET_NOT_READY);
    // The upload's own command goes out, and its final answer ends its wait.
    channel.ArmAnswer();
    EXPECT_EQ(channel.WriteCommandLine("DOWNLOAD", 8), 9u);
    channel.TakeLine("OK\r");
    EXPECT_EQ(channel.AwaitAnswer(2000), std::optional<uint32_t>(ZAQ16_RET_SUCCESS));
    channel.ReleaseUpload();
    EXPECT_EQ(channel.GetOptionValue(UnitOption::Bus), 2);
    EXPECT_EQ(line.Written(), (std::vector<std::string>{"DOWNLOAD\r", "SET BUS\r"}));
}

TEST_F(CommandChannelTest, UploadTakesTheLineOnlyAfterTheCommandInFlightHasItsAnswer)
{
    std::atomic<uint32_t> commandResult{ZAQ16_RET_PENDING};
    std::thread command([&] { commandResult = channel.SetOption("ENRAW", 10000); });
    ASSERT_TRUE(line.WaitForWrites(1));
    ASSERT_TRUE(channel.ClaimForUpload());
    std::atomic<bool> turnTaken{false};
    std::thread upload([&] {
        const auto turn = channel.TakeTurn(10000);
        turnTaken = static_cast<bool>(turn);
        channel.ArmAnswer();
        channel.WriteCommandLine("DOWNLOAD", 8);
        EXPECT_EQ(channel.AwaitAnswer(10000), std::optional<uint32_t>(ZAQ16_RET_UNIT_ERROR));
    });
    // The command's "OK" is its own; the upload's final "ERROR" is the upload's.
    channel.TakeLine("OK\r");
    command.join();
    EXPECT_EQ(commandResult.load(), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(line.WaitForWrites(2));
    channel.TakeLine("ERROR\r");
    upload.join();
    EXPECT_TRUE(turnTaken.load());
    channel.ReleaseUpload();
    EXPECT_EQ(line.Written(), (std::vector<std::string>{"ENRAW\r", "DOWNLOAD\r"}));
}

}  // namespace
