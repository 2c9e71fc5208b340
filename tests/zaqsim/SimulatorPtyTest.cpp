// The simulator over real pseudo-terminals: a test thread plays the library on
// the slave side of each unit's link.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Crc16.h"
#include "PacketFrame.h"
#include "Simulator.h"
#include "platform/SerialDevice.h"
#include "support/TempDir.h"

using zaqsim::Simulator;
using zaqsim::UnitConfig;

namespace {

class LibrarySide {
public:
    explicit LibrarySide(const std::string& path)
    {
        uint32_t error = 0;
        device_ = platform::OpenSerialDevice(path, error);
        if (device_) {
            device_->Configure(platform::LineSettings{115200, 'N', 8, 1});
            device_->SetTimeouts(platform::SerialTimeouts{100, 0, 100, 0, 0});
        }
    }
    bool IsOpen() const { return device_ != nullptr; }

    void Write(const std::string& bytes) { device_->Write(bytes.data(), bytes.size()); }
    // Reads until `wanted` bytes arrived or `timeoutMs` passed.
    std::string Read(size_t wanted, uint32_t timeoutMs)
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < wanted && std::chrono::steady_clock::now() < deadline) {
            char buffer[4096];
            const platform::IoResult io = device_->Read(buffer, std::min(sizeof buffer, wanted - got.size()), 100);
            if (io.error != 0)
                break;
            got.append(buffer, io.bytes);
        }
        return got;
    }
    std::string Command(const std::string& line, size_t answerSize)
    {
        Write(line + "\r");
        return Read(answerSize, 2000);
    }
    platform::IoResult RawRead()
    {
        char byte;
        return device_->Read(&byte, 1, 200);
    }

private:
    std::unique_ptr<platform::SerialDevice> device_;
};

class SimulatorOverPty : public ::testing::Test {
protected:
    void StartUnits(std::vector<UnitConfig> units, double speed = 0)
    {
        simulator = std::make_unique<Simulator>(zaqsim::SimulatorSettings{dir.File("com"), speed, dir.File("fw")});
        for (UnitConfig& unit : units)
            simulator->AddUnit(std::move(unit));
        std::string error;
        ASSERT_TRUE(simulator->Start(error)) << error;
    }

    TempDir dir;
    std::unique_ptr<Simulator> simulator;
};

UnitConfig Named(const char* pbx)
{
    UnitConfig config;
    config.pbxName = pbx;
    return config;
}

}  // namespace

TEST_F(SimulatorOverPty, EachUnitAnswersOnItsOwnLink)
{
    StartUnits({Named("Definity2D"), Named("ISDN4WD")});
    EXPECT_EQ(simulator->LinkName(1), "COM2");
    EXPECT_EQ(simulator->LinkPath(0), dir.File("com") + "/COM1");
    EXPECT_TRUE(simulator->DeviceName(0).starts_with("/dev/pts/"));

    LibrarySide first(simulator->LinkPath(0));
    LibrarySide second(simulator->LinkPath(1));
    ASSERT_TRUE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    EXPECT_EQ(second.Command("SET PBX", 13), "PBX=ISDN4WD\r\n");
    EXPECT_EQ(first.Command("SET PBX", 16), "PBX=Definity2D\r\n");
    EXPECT_EQ(first.Command("SET BUS=SCSA", 4), "OK\r\n");
    EXPECT_EQ(simulator->OptionValue(0, "BUS"), "SCSA");
    EXPECT_EQ(simulator->OptionValue(1, "BUS"), "MVIP");
    EXPECT_EQ(simulator->CommandLog(1), (std::vector<std::string>{"SET PBX"}));
}

TEST_F(SimulatorOverPty, PacketsFlowOnlyAfterEnraw)
{
    StartUnits({Named("Definity2D")});
    EXPECT_FALSE(simulator->QueuePacket(0, 3, 0x58, std::vector<uint8_t>(256)));
    EXPECT_TRUE(simulator->QueuePacket(0, 3, 0x58, {0x41, 0x42}));
    LibrarySide library(simulator->LinkPath(0));
    ASSERT_TRUE(library.IsOpen());
    EXPECT_EQ(library.Read(1, 300), "");
    EXPECT_EQ(simulator->HeldItems(0), 1u);
    EXPECT_EQ(library.Command("ENRAW", 11), "OK\r\n" + std::string("\x01\x03\x58\x02\x41\x42\x7D", 7));
    EXPECT_TRUE(simulator->RawOutput(0));
    simulator->SendNotice(0, 5, true);
    EXPECT_EQ(library.Read(4, 2000), "5Y\r\n");
}

TEST_F(SimulatorOverPty, SilenceOnChosenCommandsIsSeenAsNoAnswer)
{
    StartUnits({Named("Definity2D")});
    simulator->SetSilentCommands(0, {"SET BUS"});
    LibrarySide library(simulator->LinkPath(0));
    library.Write("SET BUS\r");
    EXPECT_EQ(library.Read(1, 300), "");
    EXPECT_TRUE(simulator->WaitForCommand(0, "SET BUS", 2000));
    EXPECT_EQ(library.Command("SET CLOCK", 14), "Clock=Master\r\n");
}

TEST_F(SimulatorOverPty, VanishedUnitFailsTheLibrarysReads)
{
    StartUnits({Named("Definity2D")});
    LibrarySide library(simulator->LinkPath(0));
    ASSERT_TRUE(library.IsOpen());
    simulator->Vanish(0);
    platform::IoResult io{};
    for (int i = 0; i < 10 && io.error == 0; ++i)
        io = library.RawRead();
    EXPECT_NE(io.error, 0u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(simulator->LinkPath(0))));
}

TEST_F(SimulatorOverPty, FirmwareImageIsWrittenPerUnit)
{
    UnitConfig config = Named("Definity2D");
    config.xmodemPollMs = 50;
    StartUnits({config});
    LibrarySide library(simulator->LinkPath(0));
    library.Write("DOWNLOAD\r");
    EXPECT_EQ(library.Read(2, 2000), "CC");
    std::string frame = "\x01\x01\xFE" + std::string(128, 'Z');
    const uint16_t crc = zaqsim::Crc16Xmodem(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(frame.data() + 3), 128));
    frame.push_back(static_cast<char>(crc >> 8));
    frame.push_back(static_cast<char>(crc & 0xFF));
    library.Write(frame);
    EXPECT_EQ(library.Read(1, 2000), "\x06");
    library.Write("\x04");
    EXPECT_EQ(library.Read(5, 2000), "\x06OK\r\n");
    EXPECT_EQ(simulator->FirmwareImage(0), std::string(128, 'Z'));
    EXPECT_EQ(ReadWholeFile(dir.File("fw") + "/COM1.zaq"), std::string(128, 'Z'));
}

// Seconds until `packets` packets of 260 bytes queued after ENRAW have arrived
// at the library's side; -1 when they did not all arrive within 10 s.
double SecondsToReceive(Simulator& simulator, LibrarySide& library, size_t packets)
{
    if (library.Command("ENRAW", 4) != "OK\r\n")
        return -1;
    const std::vector<uint8_t> payload(255, 0x55);
    for (size_t i = 0; i < packets; ++i)
        simulator.QueuePacket(0, 1, 0x10, payload);
    const auto start = std::chrono::steady_clock::now();
    if (library.Read(packets * 260, 10000).size() != packets * 260)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(SimulatorOverPty, OutputIsPacedRoughlyAtLineRate)
{
    StartUnits({Named("Definity2D")}, 1.0);
    LibrarySide library(simulator->LinkPath(0));
    // 10400 bytes: about 0.9 s at 11520 bytes per second.
    const double seconds = SecondsToReceive(*simulator, library, 40);
    EXPECT_GT(seconds, 0.6);
    EXPECT_LT(seconds, 4.0);
}

TEST_F(SimulatorOverPty, UnpacedOutputIsFast)
{
    StartUnits({Named("Definity2D")}, 0);
    LibrarySide library(simulator->LinkPath(0));
    // 52000 bytes: 4.5 s at line rate.
    const double seconds = SecondsToReceive(*simulator, library, 200);
    EXPECT_GE(seconds, 0.0);
    EXPECT_LT(seconds, 3.0);
}

TEST_F(SimulatorOverPty, UnitAddedAfterStartGetsTheNextLink)
{
    StartUnits({Named("Definity2D")});
    const size_t added = simulator->AddUnit(Named("NorstarD"));
    EXPECT_EQ(simulator->LinkName(added), "COM2");
    LibrarySide library(simulator->LinkPath(added));
    ASSERT_TRUE(library.IsOpen());
    EXPECT_EQ(library.Command("SET PBX", 14), "PBX=NorstarD\r\n");
}

TEST_F(SimulatorOverPty, LinkStaysUsableAcrossReopens)
{
    StartUnits({Named("MeridianD")});
    {
        LibrarySide library(simulator->LinkPath(0));
        EXPECT_EQ(library.Command("SET PBX", 15), "PBX=MeridianD\r\n");
    }
    LibrarySide again(simulator->LinkPath(0));
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(again.Command("SET PBX", 15), "PBX=MeridianD\r\n");
}

TEST_F(SimulatorOverPty, StopRemovesTheLinks)
{
    StartUnits({Named("Definity2D"), Named("Definity2D")});
    simulator->Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.File("com") + "/COM1")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.File("com") + "/COM2")));
}
