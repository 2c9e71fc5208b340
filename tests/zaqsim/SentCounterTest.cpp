// What the simulator counts as sent: a packet once its last byte is written,
// per channel; which packets an unplug may have cost the reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PacketFrame.h"
#include "PlayItem.h"
#include "SentCounter.h"

using zaqsim::SentCounter;

namespace {

std::string Packet(uint8_t channel, size_t payload = 2)
{
    return zaqsim::BuildPacket(channel, 0x58, std::vector<uint8_t>(payload, 0x41));
}

// Queues `items` as one piece of output, as the simulator takes them.
void QueueItems(SentCounter& counter, const std::vector<std::string>& items)
{
    std::string bytes;
    std::vector<size_t> sizes;
    for (const std::string& item : items) {
        bytes += item;
        sizes.push_back(item.size());
    }
    counter.Queue(bytes, sizes);
}

}  // namespace

TEST(SentCounter, APacketCountsOnceItsLastByteIsWritten)
{
    SentCounter counter;
    const std::string packet = Packet(3);
    QueueItems(counter, {packet, Packet(5)});
    counter.Written(packet.size() - 1);
    EXPECT_EQ(counter.counts().sent[3], 0u);
    counter.Written(1);
    EXPECT_EQ(counter.counts().sent[3], 1u);
    EXPECT_EQ(counter.counts().sent[5], 0u);
    counter.Written(1000);  // more than was queued: the rest is ignored
    EXPECT_EQ(counter.counts().sent[5], 1u);
    EXPECT_EQ(counter.counts().atRisk[3] + counter.counts().atRisk[5], 0u);
}

TEST(SentCounter, OnlyWholePacketFramesAreCounted)
{
    struct Case {
        const char* what;
        std::string item;
        bool counted;
    };
    std::string longer = Packet(2);
    longer.push_back('x');
    const std::vector<Case> cases = {
        {"packet", Packet(7), true},
        {"packet of 255 bytes", Packet(9, 255), true},
        {"answer line", zaqsim::TextLine("OK"), false},
        {"notice", zaqsim::TextLine(zaqsim::NoticeText(12, true)), false},
        {"start byte, wrong length", longer, false},
        {"cut packet", Packet(4).substr(0, 4), false},
    };
    for (const Case& c : cases) {
        SentCounter counter;
        QueueItems(counter, {c.item});
        counter.Written(c.item.size());
        uint64_t total = 0;
        for (uint64_t sent : counter.counts().sent)
            total += sent;
        EXPECT_EQ(total, c.counted ? 1u : 0u) << c.what;
    }
}

TEST(SentCounter, UnplugPutsThePacketsStillUnreadAtRisk)
{
    struct Case {
        const char* what;
        size_t unread;
        uint64_t atRisk[3];  // channels 0, 1, 2
    };
    // Written in order: channel 0, an answer line, channel 1, channel 2 (7 bytes each packet).
    const std::vector<Case> cases = {
        {"all read", 0, {0, 0, 0}},
        {"a piece of the last packet", 3, {0, 0, 1}},
        {"the last packet", 7, {0, 0, 1}},
        {"the last two", 14, {0, 1, 1}},
        {"back to the answer line", 18, {0, 1, 1}},
        {"everything", 25, {1, 1, 1}},
        {"more than was written", 1000, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        SentCounter counter;
        QueueItems(counter, {Packet(0), zaqsim::TextLine("OK"), Packet(1), Packet(2)});
        counter.Written(25);
        counter.Unplugged(c.unread);
        for (size_t channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(counter.counts().atRisk[channel], c.atRisk[channel]) << c.what << ", channel " << channel;
            EXPECT_EQ(counter.counts().sent[channel], 1u) << c.what;
        }
    }
}

TEST(SentCounter, APacketCutByTheUnplugIsNotSentAndItsPieceIsUnread)
{
    SentCounter counter;
    QueueItems(counter, {Packet(0), Packet(1)});
    counter.Written(7 + 3);  // channel 0 whole, 3 bytes of channel 1
    // The reader has 5 unread: the piece of channel 1 and the end of channel 0.
    counter.Unplugged(5);
    EXPECT_EQ(counter.counts().sent[0], 1u);
    EXPECT_EQ(counter.counts().sent[1], 0u);
    EXPECT_EQ(counter.counts().atRisk[0], 1u);
    EXPECT_EQ(counter.counts().atRisk[1], 0u);
    // What was queued and not written is forgotten: a later write counts the new items only.
    QueueItems(counter, {Packet(2)});
    counter.Written(7);
    EXPECT_EQ(counter.counts().sent[1], 0u);
    EXPECT_EQ(counter.counts().sent[2], 1u);
}

TEST(SentCounter, PacketsWrittenWhileSettlingAreAtRisk)
{
    SentCounter counter;
    counter.SetSettling(true);
    QueueItems(counter, {Packet(6), Packet(6)});
    counter.Written(7);
    counter.SetSettling(false);
    counter.Written(7);
    EXPECT_EQ(counter.counts().sent[6], 2u);
    EXPECT_EQ(counter.counts().atRisk[6], 1u);
}
