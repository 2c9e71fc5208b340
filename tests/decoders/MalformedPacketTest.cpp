// Short, oversized and random packets never take a decoder outside its
// buffers (the sanitizer build checks every access) and leave its display
// state within bounds.
#include <gtest/gtest.h>

#include <random>

#include "PacketDriver.h"
#include "DefinityFrames.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"

namespace {

constexpr uint8_t kTypes[] = {0x58, 0x48, 0x00, 0xFF};

// Every message of `codes` x `subCodes`, cut at every length up to 12, with
// argument bytes of one pattern.
std::vector<std::vector<uint8_t>> CutMessages(std::vector<uint8_t> codes, std::vector<uint8_t> subCodes)
{
    std::vector<std::vector<uint8_t>> messages;
    for (const uint8_t code : codes) {
        for (const uint8_t sub : subCodes) {
            for (const uint8_t fill : {0x00, 0x1B, 0x1C, 0xFF}) {
                std::vector<uint8_t> message{code, sub};
                message.resize(12, fill);
                for (size_t length = 0; length <= message.size(); ++length) {
                    messages.emplace_back(message.begin(), message.begin() + length);
                }
            }
        }
    }
    return messages;
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    return bytes;
}

void ExpectDefinityWithinBounds(PacketDriver<DEFINITY2D>& driver)
{
    for (uint8_t line = 0; line < 16; ++line) {
        const DisplayRecord& record = driver.Record(line);
        EXPECT_EQ(record.text[50], '\0') << "line " << int(line);
        EXPECT_LE(driver.decoder.Display().Cursor(line), 50u);
        EXPECT_TRUE(record.offset == 0 || record.offset == 51) << record.offset;
    }
}

void ExpectMeridianWithinBounds(PacketDriver<DMERIDIAN>& driver)
{
    for (uint8_t line = 0; line < 16; ++line) {
        const DisplayRecord& record = driver.Record(line);
        EXPECT_LT(record.length, DisplayRecord::kTextSize);
        EXPECT_LE(record.auxCount, DisplayRecord::kTextSize - 2);
        EXPECT_LT(driver.decoder.Display().Cursor(line), DisplayRecord::kTextSize);
        EXPECT_LT(driver.decoder.Display().RowSplit(line), DisplayRecord::kTextSize - 1);
    }
    for (const Posted& event : driver.Take()) {
        if (event.code == QXEVT_MESSAGE_CHANGE) {
            EXPECT_LE(event.param, DisplayRecord::kTextSize);
        }
    }
}

TEST(MalformedPackets, DefinityMessagesCutAtEveryLength)
{
    PacketDriver<DEFINITY2D> driver;
    for (const std::vector<uint8_t>& message : CutMessages({0x80, 0x81, 0x82, 0xE3}, {0x01, 0x02, 0x20, 0x2F, 0x1B})) {
        for (const uint8_t type : kTypes) {
            driver.Send(3, type, definity_test::Frame(message));
        }
    }
    ExpectDefinityWithinBounds(driver);
}

TEST(MalformedPackets, DefinityRandomFramesWithAndWithoutTheirCheckSequence)
{
    std::mt19937 random(2604);
    PacketDriver<DEFINITY2D> driver;
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bytes = RandomBytes(random, random() % 254);
        if (i % 2 == 0) {
            bytes.insert(bytes.begin(), {0xE3, 0x03, static_cast<uint8_t>(i % 4 == 0 ? 0xE3 : 0x80)});
            bytes = definity_test::WithFcs(bytes);
            bytes.resize(std::min<size_t>(bytes.size(), 255));
        }
        driver.Send(static_cast<uint8_t>(random() % 16), kTypes[random() % 4], bytes);
        driver.EventUpdates(static_cast<uint8_t>(random() % 2) != 0);
    }
    ExpectDefinityWithinBounds(driver);
}

TEST(MalformedPackets, MeridianMessagesCutAtEveryLength)
{
    PacketDriver<DMERIDIAN> driver;
    const std::vector<uint8_t> codes{0x10, 0x14, 0x18, 0x20, 0x21, 0x24, 0x25, 0x28, 0x29, 0x11, 0x40, 0x42, 0x43};
    const std::vector<uint8_t> subCodes{0x02, 0x05, 0x06, 0x0C, 0x11, 0x12, 0x13, 0x14, 0x2A, 0xFF};
    for (const std::vector<uint8_t>& message : CutMessages(codes, subCodes)) {
        for (const uint8_t type : kTypes) {
            driver.Send(7, type, message);
        }
        driver.Advance(100);
    }
    ExpectMeridianWithinBounds(driver);
}

TEST(MalformedPackets, MeridianRandomMessages)
{
    std::mt19937 random(1989);
    PacketDriver<DMERIDIAN> driver;
    const uint8_t codes[] = {0x10, 0x14, 0x18, 0x40, 0x42, 0x43, 0x11, 0x21};
    for (int i = 0; i < 5000; ++i) {
        std::vector<uint8_t> bytes = RandomBytes(random, random() % 256);
        if (!bytes.empty() && i % 3 != 0) {
            bytes[0] = codes[random() % std::size(codes)];
        }
        driver.Send(static_cast<uint8_t>(random() % 16), kTypes[random() % 2], bytes);
        driver.Advance(random() % 300);
    }
    ExpectMeridianWithinBounds(driver);
}

}  // namespace
