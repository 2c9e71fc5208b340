// The firmware sender's transition table, driven by receiver bytes and a fake
// clock: what it writes, what it reports, and how each transfer ends.
#include <gtest/gtest.h>

#include <sstream>

#include "common/XmodemFormat.h"
#include "support/FakeClock.h"
#include "support/KeptTrace.h"
#include "unit/XmodemSender.h"

namespace {

// What the sender wrote, as words: "B<block number>" per frame, "EOT", "CAN".
std::string Words(const std::string& written)
{
    std::ostringstream words;
    for (size_t i = 0; i < written.size();) {
        const auto byte = static_cast<uint8_t>(written[i]);
        if (i > 0) {
            words << ' ';
        }
        if (byte == xmodem::kSoh && written.size() - i >= xmodem::kFrameSize) {
            words << 'B' << static_cast<unsigned>(static_cast<uint8_t>(written[i + 1]));
            i += xmodem::kFrameSize;
            continue;
        }
        words << (byte == xmodem::kEot ? "EOT" : byte == xmodem::kCan ? "CAN" : "?");
        ++i;
    }
    return words.str();
}

std::vector<uint8_t> Image(size_t size)
{
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) {
        image[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    return image;
}

struct Harness {
    explicit Harness(size_t imageSize, XmodemSender::Limits limits = {})
        : sender(Image(imageSize), clock, limits, &KeepTrace,
                 [this](uint32_t percent) { progress.push_back(percent); })
    {
        TraceLines().clear();
    }

    // Steps, separated by blanks: "C", "ACK", "NAK", "CAN", "x" (any other
    // byte), "+<ms>" (time passes, then a poll), "WF" (the last write failed).
    void Run(const std::string& script)
    {
        std::istringstream steps(script);
        std::string step;
        while (steps >> step) {
            if (step[0] == '+') {
                clock.Advance(static_cast<uint32_t>(std::stoul(step.substr(1))));
                sender.Poll(written);
            } else if (step == "WF") {
                sender.WriteFailed();
            } else {
                const uint8_t byte = step == "C"     ? xmodem::kCrcRequest
                                     : step == "ACK" ? xmodem::kAck
                                     : step == "NAK" ? xmodem::kNak
                                     : step == "CAN" ? xmodem::kCan
                                                     : static_cast<uint8_t>(step[0]);
                lastByteTaken = sender.Feed(byte, written);
            }
        }
    }

    FakeClock clock;
    std::vector<uint32_t> progress;
    XmodemSender sender;
    std::string written;
    bool lastByteTaken = true;
};

using Outcome = XmodemSender::Outcome;

struct Row {
    const char* name;
    size_t imageSize;
    uint32_t maxRetries;
    const char* script;
    const char* words;                // what the sender wrote
    Outcome outcome;
    std::vector<uint32_t> progress;
    bool lastByteTaken;
};

void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

class SenderTable : public testing::TestWithParam<Row> {};

TEST_P(SenderTable, WritesReportsAndEndsAsTheTableSays)
{
    const Row& row = GetParam();
    XmodemSender::Limits limits;
    limits.maxRetries = row.maxRetries;
    Harness harness(row.imageSize, limits);
    harness.Run(row.script);
    EXPECT_EQ(Words(harness.written), row.words);
    EXPECT_EQ(harness.sender.outcome(), row.outcome);
    EXPECT_EQ(harness.progress, row.progress);
    EXPECT_EQ(harness.lastByteTaken, row.lastByteTaken);
}

// 300 bytes: three blocks, the last one short.
INSTANTIATE_TEST_SUITE_P(
    Rows, SenderTable,
    testing::Values(
        // Waiting for the receiver.
        Row{"OneRequestSendsNothing", 300, 10, "C", "", Outcome::Running, {}, true},
        Row{"TwoRequestsInARowStartTheTransfer", 300, 10, "C C", "B1", Outcome::Running, {0}, true},
        Row{"AnyOtherByteBetweenTwoRequestsStartsTheCountAgain", 300, 10, "C x C ACK C NAK C", "",
            Outcome::Running, {}, true},
        Row{"ControlBytesBeforeTheFirstRequestAreIgnored", 300, 10, "ACK NAK x C C", "B1", Outcome::Running, {0},
            true},
        Row{"CancelBeforeTheFirstRequestFails", 300, 10, "CAN", "", Outcome::Failed, {}, true},
        Row{"CancelAfterOneRequestFails", 300, 10, "C CAN C C", "", Outcome::Failed, {}, true},
        Row{"NoTimeLimitWhileWaitingForTheReceiver", 300, 0, "+60000 C C", "B1", Outcome::Running, {0}, true},
        // A block sent.
        Row{"EveryAckSendsTheNextBlockThenEot", 300, 10, "C C ACK ACK ACK", "B1 B2 B3 EOT", Outcome::Running,
            {0, 100}, true},
        Row{"NakSendsTheSameBlockAgain", 300, 10, "C C ACK NAK ACK", "B1 B2 B2 B3", Outcome::Running, {0}, true},
        Row{"NaksAreNotCountedAsRetries", 300, 1, "C C NAK NAK NAK NAK", "B1 B1 B1 B1 B1", Outcome::Running, {0},
            true},
        Row{"CancelInTheMiddleFails", 300, 10, "C C ACK CAN ACK", "B1 B2", Outcome::Failed, {0}, true},
        Row{"RequestOrOtherByteWhileABlockWaitsIsIgnored", 300, 10, "C C C x", "B1", Outcome::Running, {0}, true},
        Row{"BlockUnansweredInTimeIsSentAgain", 300, 10, "C C ACK +9999 +1", "B1 B2 B2", Outcome::Running, {0},
            true},
        Row{"RetryLimitCancelsTheTransfer", 300, 2, "C C +10000 +10000 +10000", "B1 B1 B1 CAN CAN",
            Outcome::Failed, {0}, true},
        Row{"AnAckStartsTheRetryCountAgain", 300, 1, "C C +10000 ACK +10000 ACK", "B1 B1 B2 B2 B3",
            Outcome::Running, {0}, true},
        Row{"FailedBlockWriteFails", 300, 10, "C C WF ACK", "B1", Outcome::Failed, {0}, true},
        // EOT sent.
        Row{"AckOfEotDeliversTheImage", 300, 10, "C C ACK ACK ACK ACK", "B1 B2 B3 EOT", Outcome::Delivered,
            {0, 100}, true},
        Row{"NakOfEotSendsItAgain", 300, 10, "C C ACK ACK ACK NAK ACK", "B1 B2 B3 EOT EOT", Outcome::Delivered,
            {0, 100}, true},
        Row{"TextAfterEotIsTheReceiversFinalLine", 300, 10, "C C ACK ACK ACK O", "B1 B2 B3 EOT",
            Outcome::Delivered, {0, 100}, false},
        Row{"CancelAfterEotFails", 300, 10, "C C ACK ACK ACK CAN", "B1 B2 B3 EOT", Outcome::Failed, {0, 100}, true},
        Row{"SilenceAfterEotIsWaitedOut", 300, 0, "C C ACK ACK ACK +60000 ACK", "B1 B2 B3 EOT", Outcome::Delivered,
            {0, 100}, true},
        Row{"FailedEotWriteFails", 300, 10, "C C ACK ACK ACK WF", "B1 B2 B3 EOT", Outcome::Failed, {0, 100}, true},
        // Finished: nothing more is written.
        Row{"BytesAfterTheEndAreIgnored", 300, 10, "CAN C C ACK +20000", "", Outcome::Failed, {}, true},
        // Image sizes.
        Row{"EmptyImageSendsEotAtOnce", 0, 10, "C C ACK", "EOT", Outcome::Delivered, {0}, true},
        Row{"WholeBlocksEndWithHundredPercent", 256, 10, "C C ACK ACK", "B1 B2 EOT", Outcome::Running,
            {0, 50, 100}, true}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(XmodemSender, FramesCarryTheImagePaddedWithZeros)
{
    Harness harness(300);
    harness.Run("C C ACK ACK");
    ASSERT_EQ(harness.written.size(), 3 * xmodem::kFrameSize);
    const std::vector<uint8_t> image = Image(300);
    const auto* third = reinterpret_cast<const uint8_t*>(harness.written.data()) + 2 * xmodem::kFrameSize;
    EXPECT_EQ(third[1], 3);
    EXPECT_EQ(third[2], 252);
    EXPECT_TRUE(std::equal(image.begin() + 256, image.end(), third + 3));
    EXPECT_TRUE(std::all_of(third + 3 + 44, third + 131, [](uint8_t byte) { return byte == 0; }));
    const uint16_t crc = xmodem::Crc16(third + 3, xmodem::kBlockSize);
    EXPECT_EQ(third[131], crc >> 8);
    EXPECT_EQ(third[132], crc & 0xFF);
}

TEST(XmodemSender, BlockNumbersWrapAfter255AndEveryTenPercentIsReported)
{
    Harness harness(128 * 300);
    harness.Run("C C");
    for (int block = 1; block < 300; ++block) {
        harness.Run("ACK");
    }
    const std::string words = Words(harness.written);
    EXPECT_NE(words.find("B254 B255 B0 B1 B2"), std::string::npos);
    EXPECT_EQ(harness.sender.blockNumber(), 300 % 256);
    harness.Run("ACK ACK");
    EXPECT_EQ(harness.sender.outcome(), Outcome::Delivered);
    EXPECT_EQ(harness.progress, (std::vector<uint32_t>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST(XmodemSender, RefusalsCancelsAndGivingUpAreTraced)
{
    XmodemSender::Limits limits;
    limits.maxRetries = 0;
    Harness refused(300, limits);
    refused.Run("C C ACK NAK CAN");
    EXPECT_EQ(TraceLines(), (std::vector<std::string>{
                                "ZAQ16PORT: Sending packet 1", "ZAQ16PORT: ACK 1", "ZAQ16PORT: Sending packet 2",
                                "ZAQ16PORT: XMODEM NAK 2", "ZAQ16PORT: Sending packet 2",
                                "ZAQ16PORT: XMODEM CANCEL 2"}));
    Harness silent(300, limits);
    silent.Run("C C +10000");
    EXPECT_EQ(TraceLines().back(), "ZAQ16PORT: XMODEM NO ANSWER 1");
    Harness waiting(300);
    waiting.Run("CAN");
    EXPECT_TRUE(TraceLines().empty());
}

}  // namespace
