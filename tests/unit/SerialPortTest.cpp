// The COM port wrapper: opening, bounded transfers and the error latch.
#include <gtest/gtest.h>

#include "support/MemorySerialDevice.h"
#include "support/TraceCapture.h"
#include "unit/CommSettings.h"
#include "unit/SerialPort.h"

namespace {

TEST(SerialPort, PortThatDoesNotExistStaysClosedAndMovesNothing)
{
    CSerialPort port("\\\\.\\/nonexistent/tty");
    EXPECT_FALSE(port.IsOpen());
    char byte = 0;
    EXPECT_EQ(port.OutString("X", 1, 1), 0u);
    EXPECT_EQ(port.InString(&byte, 1, 1), 0u);
    EXPECT_EQ(port.Close(), 0u);
}

TEST(SerialPort, NameTooLongForItsFieldIsRefusedNotCut)
{
    TraceCapture trace;
    CSerialPort port("\\\\.\\COM123456789012345");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(trace.Contains("Port name too long"));
}

TEST(SerialPort, FailedWriteReturnsZeroAndIsReportedOnce)
{
    TraceCapture trace;
    auto wire = std::make_shared<Wire>();
    CSerialPort port(nullptr);
    port.AttachDevice(std::make_unique<MemorySerialDevice>(wire));
    EXPECT_EQ(port.OutString("AB", 1, 2), 2u);
    wire->vanished = true;
    EXPECT_EQ(port.OutString("AB", 1, 2), 0u);
    EXPECT_EQ(port.OutString("AB", 1, 2), 0u);
    EXPECT_EQ(trace.Count("ShowError"), 1u) << trace.Text();
}

struct SettingsCase {
    const char* text;
    bool accepted;
    uint32_t baud;
    char parity;
    uint32_t dataBits;
    uint32_t stopBits;
};

class LineSettingsText : public testing::TestWithParam<SettingsCase> {};

TEST_P(LineSettingsText, ReadLikeTheDcbBuilder)
{
    platform::LineSettings settings;
    EXPECT_EQ(BuildLineSettings(GetParam().text, settings), GetParam().accepted) << GetParam().text;
    if (GetParam().accepted) {
        EXPECT_EQ(settings.baud, GetParam().baud);
        EXPECT_EQ(settings.parity, GetParam().parity);
        EXPECT_EQ(settings.dataBits, GetParam().dataBits);
        EXPECT_EQ(settings.stopBits, GetParam().stopBits);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SerialPort, LineSettingsText,
    testing::Values(SettingsCase{"baud=115200 parity=N data=8 stop=1", true, 115200, 'N', 8, 1},
                    SettingsCase{"BAUD=9600 parity=e data=7 stop=2", true, 9600, 'E', 7, 2},
                    SettingsCase{"baud=115200 parity=X data=8 stop=1", false, 0, 0, 0, 0},
                    SettingsCase{"baud=115200 data=9", false, 0, 0, 0, 0},
                    SettingsCase{"speed=115200", false, 0, 0, 0, 0},
                    SettingsCase{"baud=", false, 0, 0, 0, 0}));

}  // namespace
