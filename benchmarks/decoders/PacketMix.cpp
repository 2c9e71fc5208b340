#include "PacketMix.h"

#include <fstream>
#include <sstream>

#include "PacketFrame.h"
#include "Scenario.h"
#include "qxzaqlnk.h"

namespace {

constexpr uint8_t kLines = 16;
constexpr uint8_t kSentinelLine = 15;

std::vector<std::string> OnEveryLine(const std::vector<zaqsim::PlayItem>& items)
{
    std::vector<std::string> packets;
    for (const zaqsim::PlayItem& item : items) {
        if (item.bytes.size() < 5 || static_cast<uint8_t>(item.bytes[0]) != zaqsim::kPacketStart) {
            continue;
        }
        for (uint8_t line = 0; line < kLines; ++line) {
            std::string packet = item.bytes;
            packet[1] = static_cast<char>(line);  // the checksum covers the payload only
            packets.push_back(packet);
        }
    }
    return packets;
}

std::string Sentinel(uint8_t type, std::vector<uint8_t> payload)
{
    return zaqsim::BuildPacket(kSentinelLine, type, payload);
}

}  // namespace

std::vector<PacketMix> DemoPacketMixes(std::string& error)
{
    std::ifstream file(ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.scn");
    std::stringstream text;
    text << file.rdbuf();
    const zaqsim::Scenario scenario = zaqsim::ParseScenario(text.str());
    if (!file || !scenario.errors.empty() || scenario.units.size() < 2) {
        error = "the demo scenario cannot be read";
        return {};
    }
    PacketMix definity{"DEFINITY2D", "Definity2D", OnEveryLine(scenario.units[0]),
                       // soft key 0x1B, with its frame check sequence
                       Sentinel(0x48, {0xE3, 0x03, 0x82, 0x00, 0x1B, 0x96, 0xCB}), QXEVT_SOFT_BUTTON_PRESSED, 0x1B};
    PacketMix meridian{"DMERIDIAN", "MeridianD", OnEveryLine(scenario.units[1]),
                       Sentinel(0x48, {0x11, 0xDB}), QXEVT_DIGIT_PRESSED, '#'};
    std::vector<PacketMix> mixes = {definity, meridian};
    constexpr size_t kMerlinUnit = 6;
    if (scenario.units.size() > kMerlinUnit) {
        // the redial key
        mixes.push_back({"MERLINMAGIXD", "MerlinMagixD", OnEveryLine(scenario.units[kMerlinUnit]),
                         Sentinel(0x48, {0x00, 0x11, 0x00, 0x00, 0x08, 0x00, 0x7B, 0x96, 0x57, 0x01, 0x37}),
                         QXEVT_REDIAL_BUTTON_PRESSED, 0});
    }
    constexpr size_t kInterTelUnit = 7;
    if (scenario.units.size() > kInterTelUnit) {
        // the # key, with its checksum
        mixes.push_back({"INTERTELD", "Inter-TelD", OnEveryLine(scenario.units[kInterTelUnit]),
                         Sentinel(0x48, {0x00, 0x01, 0x4D, 0x5C}), QXEVT_DIGIT_PRESSED, '#'});
    }
    return mixes;
}
