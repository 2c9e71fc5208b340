// Firmware upload through the library into a simulated unit, and into a
// receiver nobody here wrote (rx of lrzsz behind socat).
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "LinkFixture.h"
#include "platform/Program.h"
#include "qxzaqlnk.h"
#include "support/EventCollector.h"
#include "unit/ZAQ16PORT.h"

namespace {

using namespace std::chrono_literals;

std::mutex progressLock;
std::vector<uint32_t>* progress = nullptr;

uint32_t QXZAQ_CALL NoteProgress(ZAQ16_EVENT* event)
{
    std::lock_guard<std::mutex> guard(progressLock);
    if (progress != nullptr && event->eventCode == QXEVT_DOWNLOAD_STATUS) {
        progress->push_back(event->param);
    }
    return 0;
}

std::string ImageBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 13) ^ (i >> 5));
    }
    return bytes;
}

class FirmwareUpload : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        progress = &percents;
    }
    void TearDown() override
    {
        LinkFixture::TearDown();
        std::lock_guard<std::mutex> guard(progressLock);
        progress = nullptr;
    }
    std::string WriteImage(size_t size)
    {
        const std::string path = dir.File("image.zaq");
        WriteWholeFile(path, ImageBytes(size));
        return path;
    }
    std::vector<uint32_t> percents;
};

TEST_F(FirmwareUpload, ImageArrivesWholeWithItsProgress)
{
    ASSERT_EQ(StartLinkWith(1, NoteProgress), 1u);
    EXPECT_EQ(QXZAQUploadFirmware(0, WriteImage(300).c_str()), ZAQ16_RET_SUCCESS);
    const auto received = sim->FirmwareImage(0);
    ASSERT_TRUE(received.has_value());
    ASSERT_EQ(received->size(), 384u);
    EXPECT_EQ(received->substr(0, 300), ImageBytes(300));
    EXPECT_EQ(received->substr(300), std::string(84, '\0'));
    std::lock_guard<std::mutex> guard(progressLock);
    EXPECT_EQ(percents, (std::vector<uint32_t>{0, 100}));
    // The unit answers commands again afterwards.
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_PBX_LUCENT_DEFINITY2D);
}

TEST_F(FirmwareUpload, RefusedBlockIsSentAgain)
{
    ASSERT_EQ(StartLinkWith(1, NoteProgress), 1u);
    sim->SetFirmwareInjections(0, {2, 0, false});
    EXPECT_EQ(QXZAQUploadFirmware(0, WriteImage(1000).c_str()), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->FirmwareImage(0).has_value());
    EXPECT_EQ(sim->FirmwareImage(0)->substr(0, 1000), ImageBytes(1000));
}

TEST_F(FirmwareUpload, CancelAndRefusalAreFailures)
{
    ASSERT_EQ(StartLinkWith(1, NoteProgress), 1u);
    sim->SetFirmwareInjections(0, {0, 3, false});
    EXPECT_EQ(QXZAQUploadFirmware(0, WriteImage(1000).c_str()), ZAQ16_RET_FAILED);
    sim->SetFirmwareInjections(0, {0, 0, true});
    EXPECT_EQ(QXZAQUploadFirmware(0, WriteImage(500).c_str()), ZAQ16_RET_UNIT_ERROR);
    EXPECT_EQ(QXZAQUploadFirmware(0, dir.File("absent.zaq").c_str()), ZAQ16_RET_FILE_NOT_FOUND);
    EXPECT_EQ(QXZAQUploadFirmware(1, WriteImage(10).c_str()), ZAQ16_RET_INVALID_PARAM);
}

TEST_F(FirmwareUpload, SecondUploadToABoardWhoseTransferRunsIsRefused)
{
    ASSERT_EQ(StartLinkWith(1, NoteProgress), 1u);
    const std::string image = WriteImage(128 * 40);
    std::atomic<uint32_t> first{ZAQ16_RET_PENDING};
    std::thread upload([&] { first = QXZAQUploadFirmware(0, image.c_str()); });
    // The unit asks for the first block a second after "DOWNLOAD": the transfer runs meanwhile.
    ASSERT_TRUE(sim->WaitForCommand(0, "DOWNLOAD", 5000));
    EXPECT_EQ(QXZAQUploadFirmware(0, image.c_str()), ZAQ16_RET_NOT_READY);
    EXPECT_EQ(QXZAQGetBusType(0), 0xFFFFFFFFu);
    upload.join();
    EXPECT_EQ(first.load(), ZAQ16_RET_SUCCESS);
    ASSERT_TRUE(sim->FirmwareImage(0).has_value());
    EXPECT_EQ(sim->FirmwareImage(0)->substr(0, 128 * 40), ImageBytes(128 * 40));
    EXPECT_EQ(QXZAQGetPBXType(0), ZAQ16_PBX_LUCENT_DEFINITY2D);
}

// rx (lrzsz) as an XMODEM-CRC receiver, behind socat so that its final ACK
// is not lost when it flushes its terminal.
TEST_F(FirmwareUpload, ReceiverNobodyHereWroteGetsTheSameBytes)
{
    const bool haveTools = std::filesystem::exists("/usr/bin/rx") && std::filesystem::exists("/usr/bin/socat");
    if (!haveTools) {
        GTEST_SKIP() << "rx (lrzsz) or socat is not installed";
    }
    const std::filesystem::path work = dir.path() / "rx";
    std::filesystem::create_directories(work);
    const std::string link = (work / "tty").string();
    auto receiver = platform::Program::Start(
        {"/usr/bin/socat", "pty,raw,echo=0,link=" + link, "SYSTEM:cd " + work.string() + " && exec rx -c -X -b out.bin"});
    ASSERT_TRUE(receiver);
    for (int waited = 0; waited < 100 && !std::filesystem::exists(link); ++waited) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(std::filesystem::exists(link));

    const std::string image = WriteImage(128 * 20 + 37);
    // The port is reached as a COM port of the COM directory.
    std::filesystem::create_directories(dir.File("com"));
    std::filesystem::create_symlink(link, dir.File("com/COM9"));
    EventCollector events;
    auto port = std::make_shared<ZAQ16PORT>("\\\\.\\COM9", 1, events);
    ASSERT_TRUE(port->IsOpen());
    ASSERT_TRUE(port->StartThread(0));
    std::atomic<uint32_t> status{ZAQ16_RET_PENDING};
    std::thread upload([&] { status = port->UploadFirmware(image.c_str()); });
    // rx ends after the transfer; it never answers "OK", so the port is stopped then.
    const int rxResult = receiver->Wait(60000);
    port->StopThread(3000);
    upload.join();
    EXPECT_EQ(rxResult, 0) << receiver->Output();
    const std::string got = ReadWholeFile((work / "out.bin").string());
    ASSERT_GE(got.size(), 128u * 21);
    EXPECT_EQ(got.substr(0, 128 * 20 + 37), ImageBytes(128 * 20 + 37));
    EXPECT_EQ(got.substr(128 * 20 + 37), std::string(got.size() - (128 * 20 + 37), '\0'));
}

}  // namespace
