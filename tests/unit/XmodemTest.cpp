// The XMODEM-CRC frames the firmware sender builds.
#include <gtest/gtest.h>

#include <cstring>

#include "common/XmodemFormat.h"

namespace {

TEST(Xmodem, CrcOfTheCheckString)
{
    const char* check = "123456789";
    EXPECT_EQ(xmodem::Crc16(reinterpret_cast<const uint8_t*>(check), std::strlen(check)), 0x31C3);
    EXPECT_EQ(xmodem::Crc16(nullptr, 0), 0x0000);
}

TEST(Xmodem, ShortBlockIsPaddedWithZerosAndCarriesItsCrcHighByteFirst)
{
    uint8_t data[44];
    for (size_t i = 0; i < sizeof data; ++i) {
        data[i] = static_cast<uint8_t>(0xA0 + i);
    }
    const auto frame = xmodem::BuildFrame(3, data, sizeof data);
    EXPECT_EQ(frame[0], 0x01);
    EXPECT_EQ(frame[1], 3);
    EXPECT_EQ(frame[2], 252);
    EXPECT_EQ(std::memcmp(frame.data() + 3, data, sizeof data), 0);
    for (size_t i = 3 + sizeof data; i < 131; ++i) {
        ASSERT_EQ(frame[i], 0) << i;
    }
    const uint16_t crc = xmodem::Crc16(frame.data() + 3, 128);
    EXPECT_EQ(frame[131], crc >> 8);
    EXPECT_EQ(frame[132], crc & 0xFF);
}

}  // namespace
