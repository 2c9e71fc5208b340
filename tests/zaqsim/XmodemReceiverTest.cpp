#include <gtest/gtest.h>

#include "Crc16.h"
#include "UnitHarness.h"

using zaqsim::SimUnit;
using zaqsim::UnitConfig;
namespace xm = zaqsim::xmodem;

namespace {

const std::string kAck(1, static_cast<char>(xm::kAck));
const std::string kNak(1, static_cast<char>(xm::kNak));
const std::string kCan(1, static_cast<char>(xm::kCan));
const std::string kEot(1, static_cast<char>(xm::kEot));

std::string Block(uint8_t fill)
{
    return std::string(xm::kBlockSize, static_cast<char>(fill));
}

// A 133-byte frame as the library sends it.
std::string Frame(uint8_t number, const std::string& data)
{
    std::string frame;
    frame.push_back(static_cast<char>(xm::kSoh));
    frame.push_back(static_cast<char>(number));
    frame.push_back(static_cast<char>(255 - number));
    frame += data;
    const uint16_t crc = zaqsim::Crc16Xmodem(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    frame.push_back(static_cast<char>(crc >> 8));
    frame.push_back(static_cast<char>(crc & 0xFF));
    return frame;
}

class Download : public ::testing::Test {
protected:
    Download()
    {
        harness.unit.SetFirmwareSaver([this](const std::string& image) {
            saved.push_back(image);
            return saveWorks;
        });
    }

    void StartTransfer() { ASSERT_EQ(harness.Command("DOWNLOAD"), "C"); }

    UnitHarness harness;
    std::vector<std::string> saved;
    bool saveWorks = true;
};

}  // namespace

TEST(Crc16Xmodem, CheckValue)
{
    const std::string text = "123456789";
    EXPECT_EQ(zaqsim::Crc16Xmodem(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), 9)),
              0x31C3);
}

TEST_F(Download, AsksWithCEverySecondUntilTheFirstBlock)
{
    StartTransfer();
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Download);
    EXPECT_EQ(harness.After(999), "");
    EXPECT_EQ(harness.After(1), "C");
    EXPECT_EQ(harness.After(1000), "C");
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0xAA))), kAck);
    EXPECT_EQ(harness.After(3000), "");  // no more polls once blocks flow
}

TEST_F(Download, GoodBlocksThenEotKeepTheImageAndAnswerOk)
{
    StartTransfer();
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x11))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(2, Block(0x22))), kAck);
    // The EOT is acknowledged like any XMODEM receiver does, then the final answer follows.
    EXPECT_EQ(harness.Bytes(kEot), kAck + "OK\r\n");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], Block(0x11) + Block(0x22));
    EXPECT_EQ(harness.unit.FirmwareImage(), saved[0]);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_EQ(harness.Command("SET BUS"), "Bus=MVIP\r\n");
}

TEST_F(Download, BlockArrivingInSmallPiecesIsOneBlock)
{
    StartTransfer();
    const std::string frame = Frame(1, Block(0x5A));
    std::string answers;
    for (char byte : frame)
        answers += harness.Bytes(std::string(1, byte));
    EXPECT_EQ(answers, kAck);
}

TEST_F(Download, BadCrcAndWrongComplementAreRefusedThenResent)
{
    StartTransfer();
    std::string badCrc = Frame(1, Block(0x33));
    badCrc[132] = static_cast<char>(badCrc[132] ^ 0x01);
    EXPECT_EQ(harness.Bytes(badCrc), kNak);
    std::string badComplement = Frame(1, Block(0x33));
    badComplement[2] = 0;
    EXPECT_EQ(harness.Bytes(badComplement), kNak);
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x33))), kAck);
    EXPECT_EQ(harness.Bytes(kEot), kAck + "OK\r\n");
    EXPECT_EQ(saved.at(0), Block(0x33));
}

TEST_F(Download, RepeatedBlockIsAcknowledgedAndKeptOnce)
{
    StartTransfer();
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x01))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x01))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(2, Block(0x02))), kAck);
    harness.Bytes(kEot);
    EXPECT_EQ(saved.at(0), Block(0x01) + Block(0x02));
}

TEST_F(Download, BlockNumbersWrapAfter255)
{
    StartTransfer();
    std::string expected;
    for (int i = 1; i <= 257; ++i) {
        ASSERT_EQ(harness.Bytes(Frame(static_cast<uint8_t>(i), Block(static_cast<uint8_t>(i)))), kAck) << i;
        expected += Block(static_cast<uint8_t>(i));
    }
    harness.Bytes(kEot);
    EXPECT_EQ(saved.at(0), expected);
}

TEST_F(Download, BlockOutOfSequenceCancels)
{
    StartTransfer();
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x01))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(3, Block(0x03))), kCan);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_TRUE(saved.empty());
}

TEST_F(Download, EmptyImageIsJustEot)
{
    StartTransfer();
    EXPECT_EQ(harness.Bytes(kEot), kAck + "OK\r\n");
    EXPECT_EQ(saved.at(0), "");
}

TEST_F(Download, StalledFrameIsRefusedAfterASecond)
{
    StartTransfer();
    const std::string frame = Frame(1, Block(0x44));
    EXPECT_EQ(harness.Bytes(frame.substr(0, 60)), "");
    EXPECT_EQ(harness.After(999), "");
    EXPECT_EQ(harness.After(1), kNak);
    EXPECT_EQ(harness.Bytes(frame), kAck);
}

TEST_F(Download, SilentSenderIsGivenUpAfterTenSecondsWithOneCancel)
{
    StartTransfer();
    std::string polls;
    for (int second = 1; second < 10; ++second)
        polls += harness.After(1000);
    EXPECT_EQ(polls, std::string(9, 'C'));
    EXPECT_EQ(harness.After(1000), kCan);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_EQ(harness.Command("SET BUS"), "Bus=MVIP\r\n");
}

TEST_F(Download, SenderWhoStopsMidTransferIsGivenUp)
{
    StartTransfer();
    harness.Bytes(Frame(1, Block(0x01)));
    EXPECT_EQ(harness.After(9999), "");
    EXPECT_EQ(harness.After(1), kCan);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
}

TEST_F(Download, SenderCancelEndsTheTransferQuietly)
{
    StartTransfer();
    harness.Bytes(Frame(1, Block(0x01)));
    EXPECT_EQ(harness.Bytes(kCan), "");
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_TRUE(saved.empty());
}

TEST_F(Download, ImageThatCannotBeSavedAnswersError)
{
    saveWorks = false;
    StartTransfer();
    harness.Bytes(Frame(1, Block(0x01)));
    EXPECT_EQ(harness.Bytes(kEot), kAck + "ERROR\r\n");
}

TEST_F(Download, HeldPacketsWaitUntilTheTransferEnds)
{
    harness.Command("ENRAW");
    StartTransfer();
    harness.unit.Hold({zaqsim::PlayItem{0, std::string("\x01\x00\x01\x00\x00", 5)}});
    EXPECT_EQ(harness.Output(), "");
    EXPECT_EQ(harness.Bytes(kEot), kAck + "OK\r\n" + std::string("\x01\x00\x01\x00\x00", 5));
}

TEST_F(Download, NakOnceForBlockK)
{
    harness.unit.SetFirmwareInjections({.nakBlock = 2});
    StartTransfer();
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x01))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(2, Block(0x02))), kNak);
    EXPECT_EQ(harness.Bytes(Frame(2, Block(0x02))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(3, Block(0x03))), kAck);
    harness.Bytes(kEot);
    EXPECT_EQ(saved.at(0), Block(0x01) + Block(0x02) + Block(0x03));
}

TEST_F(Download, CancelAtBlockK)
{
    harness.unit.SetFirmwareInjections({.cancelBlock = 2});
    StartTransfer();
    EXPECT_EQ(harness.Bytes(Frame(1, Block(0x01))), kAck);
    EXPECT_EQ(harness.Bytes(Frame(2, Block(0x02))), kCan);
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
    EXPECT_TRUE(saved.empty());
    EXPECT_FALSE(harness.unit.FirmwareImage().has_value());
}

TEST_F(Download, FinalError)
{
    harness.unit.SetFirmwareInjections({.finalError = true});
    StartTransfer();
    harness.Bytes(Frame(1, Block(0x01)));
    EXPECT_EQ(harness.Bytes(kEot), kAck + "ERROR\r\n");
    EXPECT_EQ(saved.size(), 1u);
}

TEST_F(Download, SilencedDownloadStartsNoTransfer)
{
    harness.unit.SetSilentCommands({"DOWNLOAD"});
    EXPECT_EQ(harness.Command("DOWNLOAD"), "");
    EXPECT_EQ(harness.unit.mode(), SimUnit::Mode::Command);
}
