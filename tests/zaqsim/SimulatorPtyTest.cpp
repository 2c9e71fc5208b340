// The simulator over real pseudo-terminals: a test thread plays the library on
// the slave side of each unit's link.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
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
    platform::SerialDevice& Device() { return *device_; }
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
    void StartUnits(std::vector<UnitConfig> units, double speed = 0, size_t maxUnreadBytes = 0)
    {
        simulator = std::make_unique<Simulator>(
            zaqsim::SimulatorSettings{dir.File("com"), speed, dir.File("fw"), maxUnreadBytes});
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

namespace {

const std::vector<uint8_t> kLamp = {0x41, 0x42};  // a 7-byte packet with its header and checksum
constexpr size_t kLampPacketSize = 7;

// Whole packets per channel in what the library read (answer lines between them skipped).
std::map<uint8_t, uint64_t> PacketsIn(const std::string& bytes)
{
    std::map<uint8_t, uint64_t> packets;
    for (size_t at = 0; at < bytes.size();) {
        if (bytes[at] == 0x01 && at + 4 <= bytes.size()) {
            const size_t size = 5 + static_cast<uint8_t>(bytes[at + 3]);
            if (at + size <= bytes.size()) {
                ++packets[static_cast<uint8_t>(bytes[at + 1])];
                at += size;
                continue;
            }
        }
        ++at;
    }
    return packets;
}

}  // namespace

TEST_F(SimulatorOverPty, SentCountsAndUnplugsPutWhatTheLibraryCannotHaveReadAtRisk)
{
    StartUnits({Named("Definity2D")});
    simulator->QueuePacket(0, 2, 0x58, kLamp);
    simulator->QueuePacket(0, 2, 0x58, kLamp);
    simulator->QueuePacket(0, 5, 0x58, kLamp);
    {
        LibrarySide library(simulator->LinkPath(0));
        EXPECT_EQ(PacketsIn(library.Command("ENRAW", 4 + 3 * kLampPacketSize)),
                  (std::map<uint8_t, uint64_t>{{2, 2}, {5, 1}}));
        ASSERT_TRUE(simulator->WaitUntilSent(0, 2000));
        // Two more the library never reads: the unplug finds them unread.
        simulator->QueuePacket(0, 7, 0x58, kLamp);
        simulator->QueuePacket(0, 7, 0x58, kLamp);
        ASSERT_TRUE(simulator->WaitUntilSent(0, 2000));
        simulator->Unplug(0, 100);
    }
    zaqsim::SentCounter::Counts counts = simulator->SentCounts(0);
    EXPECT_EQ(counts.sent[2], 2u);
    EXPECT_EQ(counts.sent[5], 1u);
    EXPECT_EQ(counts.sent[7], 2u);
    EXPECT_EQ(counts.atRisk[2] + counts.atRisk[5], 0u);
    EXPECT_EQ(counts.atRisk[7], 2u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(simulator->LinkPath(0))));

    // Back with raw output still on: a packet sent before the library has the
    // unit's raw output off again may go to no decoder, so it is at risk...
    std::string error;
    ASSERT_TRUE(simulator->PlugIn(0, error)) << error;
    simulator->QueuePacket(0, 9, 0x58, kLamp);
    ASSERT_TRUE(simulator->WaitUntilSent(0, 2000));
    LibrarySide again(simulator->LinkPath(0));
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(PacketsIn(again.Command("DISRAW", kLampPacketSize + 4)), (std::map<uint8_t, uint64_t>{{9, 1}}));
    // ...and once it is, packets count as safely sent again.
    EXPECT_EQ(again.Command("ENRAW", 4), "OK\r\n");
    simulator->QueuePacket(0, 9, 0x58, kLamp);
    EXPECT_EQ(PacketsIn(again.Read(kLampPacketSize, 2000)), (std::map<uint8_t, uint64_t>{{9, 1}}));
    counts = simulator->SentCounts(0);
    EXPECT_EQ(counts.sent[9], 2u);
    EXPECT_EQ(counts.atRisk[9], 1u);
}

// The library reads all the time: the unplug waits for it to read what was
// written, so what it read is exactly what was counted sent, nothing at risk,
// and what was not sent yet stays with the unit.
TEST_F(SimulatorOverPty, UnplugLetsTheReaderCatchUpFirst)
{
    StartUnits({Named("Definity2D")}, 1.0);
    LibrarySide library(simulator->LinkPath(0));
    ASSERT_EQ(library.Command("ENRAW", 4), "OK\r\n");
    for (int i = 0; i < 400; ++i)
        simulator->QueuePacket(0, static_cast<uint8_t>(i % 16), 0x58, kLamp);
    std::string read;
    std::thread reader([&] {
        for (;;) {
            char buffer[512];
            const platform::IoResult io = library.Device().Read(buffer, sizeof buffer, 100);
            read.append(buffer, io.bytes);
            if (io.error != 0)
                return;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    simulator->Unplug(0, 2000);
    reader.join();

    const zaqsim::SentCounter::Counts counts = simulator->SentCounts(0);
    const std::map<uint8_t, uint64_t> received = PacketsIn(read);
    uint64_t sent = 0;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        const auto found = received.find(channel);
        EXPECT_EQ(counts.sent[channel], found == received.end() ? 0u : found->second) << "channel " << int{channel};
        EXPECT_EQ(counts.atRisk[channel], 0u);
        sent += counts.sent[channel];
    }
    EXPECT_GT(sent, 0u);
    EXPECT_GT(simulator->HeldItems(0), 0u);  // 400 packets take 0.25 s at line rate
}

// A reader that falls behind holds the unit back instead of the pty filling up.
TEST_F(SimulatorOverPty, UnreadLimitHoldsTheUnitBackUntilTheReaderCatchesUp)
{
    StartUnits({Named("Definity2D")}, 0, 64);
    LibrarySide library(simulator->LinkPath(0));
    ASSERT_EQ(library.Command("ENRAW", 4), "OK\r\n");
    for (int i = 0; i < 50; ++i)
        simulator->QueuePacket(0, 1, 0x58, kLamp);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The pty counts what it has passed on, a moment after each write: the
    // limit is kept roughly, and the unit holds the rest back.
    EXPECT_GT(simulator->HeldItems(0), 0u);
    EXPECT_LT(simulator->SentCounts(0).sent[1], 50u);
    EXPECT_EQ(PacketsIn(library.Read(50 * kLampPacketSize, 5000)), (std::map<uint8_t, uint64_t>{{1, 50}}));
    EXPECT_EQ(simulator->SentCounts(0).sent[1], 50u);
}
