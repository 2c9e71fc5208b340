// The firmware upload of a unit port against a scripted XMODEM-CRC receiver:
// the frames on the line, the progress events, resends, cancels and the
// unit's final answer.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "support/EventCollector.h"
#include "support/MemorySerialDevice.h"
#include "support/TempDir.h"
#include "unit/Xmodem.h"
#include "unit/ZAQ16PORT.h"

namespace {

using namespace std::chrono_literals;

// A receiver that asks for blocks, checks and acknowledges them, and answers
// the transfer's end; faults on request.
struct Receiver {
    std::mutex lock;
    std::string pending;            // bytes of a frame being assembled
    std::vector<std::vector<uint8_t>> frames;
    std::string image;
    uint32_t nakFrame = 0;          // refuse this frame (1-based) once
    uint32_t cancelFrame = 0;       // cancel at this frame
    bool finalError = false;
    bool eotSeen = false;

    std::string Respond(const std::string& written)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (written == "DOWNLOAD\r") {
            return "CC";
        }
        if (written.size() == 1 && written[0] == xmodem::kEot) {
            eotSeen = true;
            return std::string(1, static_cast<char>(xmodem::kAck)) + "\r\n" + (finalError ? "ERROR\r\n" : "OK\r\n");
        }
        pending += written;
        if (pending.size() < xmodem::kFrameSize) {
            return "";
        }
        std::vector<uint8_t> frame(pending.begin(), pending.begin() + xmodem::kFrameSize);
        pending.erase(0, xmodem::kFrameSize);
        frames.push_back(frame);
        const uint32_t number = static_cast<uint32_t>(frames.size());
        if (number == cancelFrame) {
            return std::string(1, static_cast<char>(xmodem::kCan));
        }
        if (number == nakFrame) {
            nakFrame = 0;
            frames.pop_back();
            return std::string(1, static_cast<char>(xmodem::kNak));
        }
        const uint16_t crc = xmodem::Crc16(frame.data() + 3, 128);
        if (frame[1] != static_cast<uint8_t>(255 - frame[2]) || frame[131] != (crc >> 8) || frame[132] != (crc & 0xFF)) {
            return std::string(1, static_cast<char>(xmodem::kNak));
        }
        image.append(frame.begin() + 3, frame.begin() + 131);
        return std::string(1, static_cast<char>(xmodem::kAck));
    }
};

class FirmwareUpload : public testing::Test {
protected:
    void SetUp() override
    {
        wire->waitForInput = true;
        wire->responder = [this](const std::string& written) { return receiver.Respond(written); };
        port = std::make_shared<ZAQ16PORT>(nullptr, 33);
        port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
        port->SetEventSink(events);
        ASSERT_TRUE(port->StartThread(0));
    }
    void TearDown() override { port->StopThread(2000); }

    std::string Image(size_t size)
    {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>(i * 7 + 1);
        }
        const std::string path = dir.File("image.zaq");
        WriteWholeFile(path, bytes);
        return path;
    }
    std::vector<uint32_t> Progress()
    {
        std::vector<uint32_t> percents;
        for (const ZAQ16_EVENT& event : events.Events()) {
            EXPECT_EQ(event.eventCode, QXEVT_DOWNLOAD_STATUS);
            EXPECT_EQ(event.board, 2u);
            percents.push_back(event.param);
        }
        return percents;
    }

    TempDir dir;
    Receiver receiver;
    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    EventCollector events;
    std::shared_ptr<ZAQ16PORT> port;
};

TEST_F(FirmwareUpload, ThreeHundredBytesGoOutAsThreeBlocksWithEventsZeroAndHundred)
{
    const std::string path = Image(300);
    EXPECT_EQ(port->UploadFirmware(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(receiver.frames.size(), 3u);
    EXPECT_EQ(receiver.frames[2][1], 3);
    EXPECT_EQ(receiver.image.substr(0, 300), ReadWholeFile(path));
    EXPECT_EQ(receiver.image.substr(300), std::string(84, '\0'));
    EXPECT_TRUE(receiver.eotSeen);
    EXPECT_EQ(Progress(), (std::vector<uint32_t>{0, 100}));
}

TEST_F(FirmwareUpload, BlockNumbersWrapAfter255AndEveryTenPercentIsReported)
{
    const std::string path = Image(128 * 300);
    EXPECT_EQ(port->UploadFirmware(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(receiver.frames.size(), 300u);
    EXPECT_EQ(receiver.frames[254][1], 255);
    EXPECT_EQ(receiver.frames[255][1], 0);
    EXPECT_EQ(receiver.frames[256][1], 1);
    EXPECT_EQ(Progress(), (std::vector<uint32_t>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST_F(FirmwareUpload, EmptyImageSendsEndOfTransmissionAtOnce)
{
    const std::string path = Image(0);
    EXPECT_EQ(port->UploadFirmware(path.c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_TRUE(receiver.frames.empty());
    EXPECT_TRUE(receiver.eotSeen);
}

TEST_F(FirmwareUpload, RefusedBlockIsSentAgainUnderTheSameNumber)
{
    receiver.nakFrame = 2;
    const std::string path = Image(300);
    EXPECT_EQ(port->UploadFirmware(path.c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_EQ(receiver.frames.size(), 3u);
    EXPECT_EQ(receiver.frames[1][1], 2);
    EXPECT_EQ(receiver.image.substr(0, 300), ReadWholeFile(path));
}

TEST_F(FirmwareUpload, CancelFailsTheUpload)
{
    receiver.cancelFrame = 2;
    EXPECT_EQ(port->UploadFirmware(Image(1000).c_str()), ZAQ16_RET_FAILED);
}

TEST_F(FirmwareUpload, FinalErrorGivesUnitError)
{
    receiver.finalError = true;
    EXPECT_EQ(port->UploadFirmware(Image(200).c_str()), ZAQ16_RET_UNIT_ERROR);
}

TEST_F(FirmwareUpload, MissingImageIsFileNotFound)
{
    EXPECT_EQ(port->UploadFirmware(dir.File("absent.zaq").c_str()), ZAQ16_RET_FILE_NOT_FOUND);
    EXPECT_EQ(port->UploadFirmware(nullptr), ZAQ16_RET_FILE_NOT_FOUND);
}

TEST_F(FirmwareUpload, StoppingThePortDuringATransferEndsTheUploadPromptly)
{
    wire->responder = [](const std::string&) { return std::string(); };  // a receiver that never asks
    std::atomic<uint32_t> status{0};
    std::thread upload([this, &status] { status = port->UploadFirmware(Image(1000).c_str()); });
    std::this_thread::sleep_for(200ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port->StopThread(2000));
    upload.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_NE(status.load(), ZAQ16_RET_SUCCESS);
}

}  // namespace
