// Units whose lines carry noise for a while (random bytes, frames with random
// payloads, lying length bytes, bad checksums): once a line is quiet again,
// the next command on it is answered at once.
#include <chrono>
#include <random>
#include <thread>

#include "LinkFixture.h"
#include "qxzaqlnk.h"

namespace {

using namespace std::chrono_literals;

// One burst of noise as a unit might send it on a bad line.
std::string NoiseBurst(std::mt19937& random)
{
    auto byte = [&random] { return static_cast<char>(random() & 0xFF); };
    std::string burst;
    switch (random() % 4) {
    case 0:  // random bytes
        for (int i = 0; i < 20; ++i) {
            burst.push_back(byte());
        }
        break;
    case 1:  // a frame whose length byte lies: far more than follows
        burst = {0x01, static_cast<char>(random() % 16), byte(), static_cast<char>(100 + random() % 156)};
        for (int i = 0; i < 5; ++i) {
            burst.push_back(byte());
        }
        break;
    case 2:  // a frame with a bad checksum
        burst = {0x01, static_cast<char>(random() % 16), byte(), 0x03, byte(), byte(), byte(), byte()};
        burst.back() = static_cast<char>(~(burst[4] + burst[5] + burst[6]) + 2);
        break;
    default: {  // a well-formed frame with a random payload
        const int length = static_cast<int>(random() % 12);
        burst = {0x01, static_cast<char>(random() % 16), byte(), static_cast<char>(length)};
        uint8_t sum = 0;
        for (int i = 0; i < length; ++i) {
            burst.push_back(byte());
            sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(burst.back()));
        }
        burst.push_back(static_cast<char>(0x100 - sum));
        break;
    }
    }
    return burst;
}

class LineNoise : public LinkFixture {};

TEST_F(LineNoise, AfterNoiseStopsTheNextCommandIsAnswered)
{
    const char* const families[] = {"Definity2D", "MeridianD", "ISDN4WD"};
    std::vector<std::string> cards;
    for (const char* family : families) {
        zaqsim::UnitConfig unit;
        unit.pbxName = family;
        AddUnit(unit);
        cards.push_back("COM" + std::to_string(cards.size() + 1));
    }
    StartUnits();
    WriteRegistry(cards);
    Load();
    ASSERT_EQ(QXZAQStartLink(nullptr), 3u);

    std::mt19937 random(20261210);
    for (int round = 0; round < 3; ++round) {
        for (int burst = 0; burst < 20; ++burst) {
            for (size_t unit = 0; unit < 3; ++unit) {
                sim->SendBytes(unit, NoiseBurst(random));
            }
            std::this_thread::sleep_for(20ms);
        }
        // The line is quiet again; a Set entry gets its answer well within its 3 s.
        std::this_thread::sleep_for(300ms);
        for (uint32_t board = 0; board < 3; ++board) {
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(QXZAQSetBusType(board, round % 2 + 1), ZAQ16_RET_SUCCESS) << "board " << board << " round " << round;
            EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
            EXPECT_EQ(QXZAQGetBusType(board), round % 2 + 1u);
        }
    }
}

}  // namespace
