// The serial device over a pseudo-terminal: a read of what has arrived hands
// over a whole burst at once, loses and repeats nothing across bursts, ends on
// a quiet line, on Interrupt and on a vanished unit.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/Pty.h"
#include "platform/SerialDevice.h"

namespace {

using namespace std::chrono_literals;

class SerialDeviceOnPty : public testing::Test {
protected:
    void SetUp() override
    {
        uint32_t error = 0;
        pty = platform::PtyPair::Open(error);
        ASSERT_TRUE(pty) << error;
        device = platform::OpenSerialDevice(pty->SlaveName(), error);
        ASSERT_TRUE(device) << error;
        ASSERT_TRUE(device->Configure({115200, 'N', 8, 1}));
        device->SetTimeouts({100, 50, 250, 50, 0});
    }
    void Send(const std::string& bytes)
    {
        ASSERT_EQ(pty->Write(bytes.data(), bytes.size()).bytes, bytes.size());
    }
    // Reads what has arrived until `count` bytes are in (each read waits at most `capMs`).
    std::string ReceiveArrived(size_t count, int64_t capMs = 2000)
    {
        std::string got;
        char buffer[512];
        for (int reads = 0; reads < 100 && got.size() < count; ++reads) {
            const platform::IoResult result = device->ReadArrived(buffer, sizeof buffer, capMs);
            EXPECT_EQ(result.error, 0u);
            got.append(buffer, result.bytes);
        }
        return got;
    }

    std::unique_ptr<platform::PtyPair> pty;
    std::unique_ptr<platform::SerialDevice> device;
};

TEST_F(SerialDeviceOnPty, BurstComesWholeInOneReadOfWhatArrived)
{
    const std::string burst(300, 'x');
    Send(burst);
    std::this_thread::sleep_for(50ms);  // let the pty pass it on
    char buffer[512];
    const platform::IoResult result = device->ReadArrived(buffer, sizeof buffer, 2000);
    EXPECT_EQ(result.error, 0u);
    EXPECT_EQ(std::string(buffer, result.bytes), burst);
}

TEST_F(SerialDeviceOnPty, BytesOfManyBurstsComeInOrderWithoutLossOrRepeat)
{
    std::string sent;
    for (int burst = 0; burst < 20; ++burst) {
        const std::string piece = std::to_string(burst) + std::string(static_cast<size_t>(burst * 7 + 1), 'a' + burst);
        Send(piece);
        sent += piece;
        if (burst % 3 == 0) {
            std::this_thread::sleep_for(2ms);
        }
    }
    EXPECT_EQ(ReceiveArrived(sent.size()), sent);
}

TEST_F(SerialDeviceOnPty, ReadLargerThanTheCallersBufferLeavesTheRestForTheNextRead)
{
    const std::string burst = "0123456789abcdef";
    Send(burst);
    std::this_thread::sleep_for(50ms);
    char small[6];
    std::string got;
    for (int reads = 0; reads < 10 && got.size() < burst.size(); ++reads) {
        const platform::IoResult result = device->ReadArrived(small, sizeof small, 2000);
        ASSERT_LE(result.bytes, sizeof small);
        got.append(small, result.bytes);
    }
    EXPECT_EQ(got, burst);
}

// A reader that comes after its time is up (a thread kept from running on a
// busy machine) still takes the bytes that arrived in time: a bound of 0 ms
// stands for it. Both kinds of read, and a line with nothing waiting.
TEST_F(SerialDeviceOnPty, ReadWhoseTimeIsUpStillTakesWhatHasArrived)
{
    Send("abc");
    std::this_thread::sleep_for(50ms);  // let the pty pass it on
    char buffer[16];
    platform::IoResult result = device->ReadArrived(buffer, sizeof buffer, 0);
    EXPECT_EQ(result.error, 0u);
    EXPECT_EQ(std::string(buffer, result.bytes), "abc");

    Send("defg");
    std::this_thread::sleep_for(50ms);
    result = device->Read(buffer, 4, 0);
    EXPECT_EQ(std::string(buffer, result.bytes), "defg");

    result = device->ReadArrived(buffer, sizeof buffer, 0);
    EXPECT_EQ(result.bytes, 0u);
    EXPECT_EQ(result.error, 0u);
}

TEST_F(SerialDeviceOnPty, QuietLineEndsTheReadEmptyAtItsCap)
{
    char buffer[16];
    const auto start = std::chrono::steady_clock::now();
    const platform::IoResult result = device->ReadArrived(buffer, sizeof buffer, 30);
    EXPECT_EQ(result.bytes, 0u);
    EXPECT_EQ(result.error, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(SerialDeviceOnPty, InterruptEndsAWaitingRead)
{
    device->SetTimeouts({100, 0, 60000, 0, 0});
    auto read = std::async(std::launch::async, [&] {
        char buffer[16];
        return device->ReadArrived(buffer, sizeof buffer, -1);
    });
    std::this_thread::sleep_for(50ms);
    device->Interrupt();
    ASSERT_EQ(read.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(read.get().bytes, 0u);
}

TEST_F(SerialDeviceOnPty, VanishedUnitFailsTheRead)
{
    pty->Close();
    char buffer[16];
    const platform::IoResult result = device->ReadArrived(buffer, sizeof buffer, 2000);
    EXPECT_EQ(result.bytes, 0u);
    EXPECT_NE(result.error, 0u);
}

}  // namespace
