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
#include "common/XmodemFormat.h"
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
    uint32_t silentFrame = 0;       // never answer this frame (1-based)
    bool nakEveryFrame = false;     // refuse every frame
    bool finalError = false;
    uint32_t eotSeen = 0;
    // The answers to the first and to every later EOT: a standard receiver
    // acknowledges it, then the unit gives its final line.
    std::string firstEotAnswer = std::string(1, static_cast<char>(xmodem::kAck));
    std::string laterEotAnswer = std::string(1, static_cast<char>(xmodem::kAck));

    std::string Respond(const std::string& written)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (written == "DOWNLOAD\r") {
            return "CC";
        }
        if (written.size() == 1 && written[0] == xmodem::kEot) {
            const std::string& answer = ++eotSeen == 1 ? firstEotAnswer : laterEotAnswer;
            if (answer == std::string(1, static_cast<char>(xmodem::kNak))) {
                return answer;
            }
            return answer + (finalError ? "ERROR\r\n" : "OK\r\n");
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
        if (number == silentFrame) {
            return "";
        }
        if (nakEveryFrame || number == nakFrame) {
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
        port = std::make_shared<ZAQ16PORT>(nullptr, 33, events);
        port->AttachDevice(std::make_unique<MemorySerialDevice>(wire));
        // Ample for a transfer in memory; a fault shows as a time-out, not a hang.
        port->uploadWaitMs = 5000;
        ASSERT_TRUE(port->StartThread(0));
    }
    void TearDown() override { port->StopThread(2000); }

    // The unit back in its command mode: it answers "SET BUS" and confirms every other command.
    void AnswerCommands()
    {
        std::lock_guard<std::mutex> guard(wire->mutex);
        wire->responder = [](const std::string& written) -> std::string {
            if (written == "SET BUS\r") {
                return "Bus=MVIP\r\n";
            }
            return !written.empty() && written.back() == '\r' ? "OK\r\n" : "";
        };
    }
    // A query and a confirmed command both answered: the reader is back in text mode.
    void ExpectCommandsAnswered()
    {
        EXPECT_EQ(port->GetOptionValue(UnitOption::Bus), 1);
        EXPECT_EQ(port->SetOptionValue(UnitOption::Clock, 0), ZAQ16_RET_SUCCESS);
    }
    void WaitUntilWritten(const std::string& text)
    {
        for (int waited = 0; waited < 3000 && Written(*wire).find(text) == std::string::npos; ++waited) {
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_NE(Written(*wire).find(text), std::string::npos);
    }

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
    EXPECT_EQ(receiver.eotSeen, 1u);
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
    EXPECT_EQ(receiver.eotSeen, 1u);
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

TEST_F(FirmwareUpload, CancelFailsTheUploadAndCommandsAreAnsweredAgain)
{
    receiver.cancelFrame = 2;
    EXPECT_EQ(port->UploadFirmware(Image(1000).c_str()), ZAQ16_RET_FAILED);
    AnswerCommands();
    ExpectCommandsAnswered();
}

// How a unit may end the transfer after the EOT: with the EOT's ACK (standard
// receivers), with its final line only, or refusing the first EOT.
struct EotCase {
    const char* name;
    std::string firstAnswer;
    std::string laterAnswer;
    uint32_t eotsSent;
};

void PrintTo(const EotCase& eotCase, std::ostream* out)
{
    *out << eotCase.name;
}

class EndOfTransfer : public FirmwareUpload, public testing::WithParamInterface<EotCase> {};

TEST_P(EndOfTransfer, FinalAnswerEndsTheUploadAndTheNextCommandIsAnswered)
{
    receiver.firstEotAnswer = GetParam().firstAnswer;
    receiver.laterEotAnswer = GetParam().laterAnswer;
    EXPECT_EQ(port->UploadFirmware(Image(300).c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(receiver.eotSeen, GetParam().eotsSent);
    AnswerCommands();
    ExpectCommandsAnswered();
}

const std::string kAckByte(1, static_cast<char>(xmodem::kAck));
const std::string kNakByte(1, static_cast<char>(xmodem::kNak));

INSTANTIATE_TEST_SUITE_P(Receivers, EndOfTransfer,
                         testing::Values(EotCase{"AckThenOk", kAckByte, kAckByte, 1},
                                         EotCase{"OkOnly", "", "", 1},
                                         EotCase{"NakThenAck", kNakByte, kAckByte, 2}),
                         [](const testing::TestParamInfo<EotCase>& info) { return info.param.name; });

TEST_F(FirmwareUpload, TimeOutInTheMiddleOfATransferLeavesThePortAnsweringCommands)
{
    receiver.silentFrame = 2;
    port->uploadWaitMs = 300;
    EXPECT_EQ(port->UploadFirmware(Image(1000).c_str()), ZAQ16_RET_TIMEOUT);
    // The withheld ACK comes late: a stray control byte before the next answer.
    Feed(*wire, kAckByte);
    AnswerCommands();
    ExpectCommandsAnswered();
}

TEST_F(FirmwareUpload, TimeOutWhileTheReaderIsBusyWithTheTransferLeavesThePortAnsweringCommands)
{
    // Every block refused: the reader changes the transfer state all the time.
    receiver.nakEveryFrame = true;
    port->uploadWaitMs = 200;
    for (int attempt = 0; attempt < 5; ++attempt) {
        EXPECT_EQ(port->UploadFirmware(Image(1000).c_str()), ZAQ16_RET_TIMEOUT);
    }
    AnswerCommands();
    ExpectCommandsAnswered();
}

TEST_F(FirmwareUpload, SecondUploadWhileOneRunsIsRefusedAndTouchesNothing)
{
    // The receiver asks for blocks only when the test says so.
    {
        std::lock_guard<std::mutex> guard(wire->mutex);
        wire->responder = [this](const std::string& written) {
            return written == "DOWNLOAD\r" ? std::string() : receiver.Respond(written);
        };
    }
    const std::string first = Image(300);
    std::atomic<uint32_t> status{ZAQ16_RET_PENDING};
    std::thread upload([&] { status = port->UploadFirmware(first.c_str()); });
    WaitUntilWritten("DOWNLOAD\r");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->UploadFirmware(first.c_str()), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->UploadFirmware(dir.File("absent.zaq").c_str()), ZAQ16_RET_NOT_READY);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(Written(*wire), "DOWNLOAD\r");
    Feed(*wire, "CC");
    upload.join();
    EXPECT_EQ(status.load(), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(receiver.image.substr(0, 300), ReadWholeFile(first));
}

TEST_F(FirmwareUpload, UploadsFromManyThreadsAtOnceEndCleanly)
{
    const std::string path = Image(600);
    std::vector<std::thread> uploads;
    std::atomic<int> succeeded{0};
    std::atomic<int> refused{0};
    for (int i = 0; i < 4; ++i) {
        uploads.emplace_back([&] {
            const uint32_t status = port->UploadFirmware(path.c_str());
            (status == ZAQ16_RET_SUCCESS ? succeeded : refused) += 1;
            EXPECT_TRUE(status == ZAQ16_RET_SUCCESS || status == ZAQ16_RET_NOT_READY) << std::hex << status;
        });
    }
    for (std::thread& upload : uploads) {
        upload.join();
    }
    EXPECT_GE(succeeded.load(), 1);
    EXPECT_EQ(succeeded + refused, 4);
}

TEST_F(FirmwareUpload, StaleAnswerParsedJustBeforeTheHandOverDoesNotEndTheUpload)
{
    // The end of an earlier "OK" arrives while the upload takes the line over.
    Feed(*wire, "OK");
    auto consumed = [this] {
        std::lock_guard<std::mutex> guard(wire->mutex);
        return wire->input.empty();
    };
    for (int waited = 0; waited < 2000 && !consumed(); ++waited) {
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(50ms);
    {
        std::lock_guard<std::mutex> guard(wire->mutex);
        wire->onInterrupt = [this] { wire->input.insert(wire->input.end(), {'\r', '\n'}); };
    }
    const std::string path = Image(300);
    EXPECT_EQ(port->UploadFirmware(path.c_str()), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(receiver.frames.size(), 3u);
    EXPECT_EQ(receiver.image.substr(0, 300), ReadWholeFile(path));
}

TEST_F(FirmwareUpload, EveryCommandIsRefusedWhileATransferRuns)
{
    wire->responder = [](const std::string&) { return std::string(); };  // a receiver that never asks
    port->uploadWaitMs = 3000;
    std::atomic<uint32_t> status{ZAQ16_RET_PENDING};
    std::thread upload([&] { status = port->UploadFirmware(Image(300).c_str()); });
    WaitUntilWritten("DOWNLOAD\r");
    uint8_t tables[64] = {};
    uint32_t serial = 0;
    EXPECT_EQ(port->GetOptionValue(UnitOption::Bus), -1);
    EXPECT_EQ(port->GetBoardInfo(), 0);
    EXPECT_EQ(port->GetSerialNumber(&serial), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->CheckErrors(tables), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->CheckErrors(nullptr), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->SetOptionValue(UnitOption::Bus, 1), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(port->SetPBXLevel(3), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(Written(*wire), "DOWNLOAD\r");
    port->StopThread(2000);
    upload.join();
    EXPECT_NE(status.load(), ZAQ16_RET_SUCCESS);
}

TEST_F(FirmwareUpload, UploadOnAPortWithoutReaderIsNotReady)
{
    EventCollector events;
    auto idle = std::make_shared<ZAQ16PORT>(nullptr, 1, events);
    idle->AttachDevice(std::make_unique<MemorySerialDevice>(std::make_shared<Wire>()));
    EXPECT_EQ(idle->UploadFirmware(Image(300).c_str()), ZAQ16_RET_NOT_READY);
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
