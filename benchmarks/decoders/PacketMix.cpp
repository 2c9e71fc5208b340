#include "PacketMix.h"

#include <fstream>
#include <sstream>

#include "Scenario.h"
#include "common/PacketFrame.h"
#include "qxzaqlnk.h"

namespace {

constexpr uint8_t kLines = 16;
constexpr uint8_t kSentinelLine = 15;
constexpr size_t kFujitsuUnit = 8;
constexpr size_t kHicomUnit = 9;

std::vector<std::string> OnEveryLine(const std::vector<zaqsim::PlayItem>& items)
{
    std::vector<std::string> packets;
    for (const zaqsim::PlayItem& item : items) {
        if (item.bytes.size() < 5 || static_cast<uint8_t>(item.bytes[0]) != wire::kPacketStart) {
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
    std::vector<uint8_t> packet;
    wire::AppendPacket(packet, kSentinelLine, type, payload);
    return std::string(packet.begin(), packet.end());
}

}  // namespace

std::vector<PacketMix> DemoPacketMixes(std::string& error)
{
    std::ifstream file(ZAQ_SOURCE_DIR "/tools/zaqsim/scenarios/demo.scn");
    std::stringstream text;
    text << file.rdbuf();
    const zaqsim::Scenario scenario = zaqsim::ParseScenario(text.str());
    if (!file || !scenario.errors.empty() || scenario.units.size() <= kHicomUnit) {
        error = "the demo scenario cannot be read";
        return {};
    }
    PacketMix definity{"DEFINITY2D", "Definity2D", OnEveryLine(scenario.units[0]),
                       // soft key 0x1B, with its frame check sequence
                       Sentinel(0x48, {0xE3, 0x03, 0x82, 0x00, 0x1B, 0x96, 0xCB}), QXEVT_SOFT_BUTTON_PRESSED, 0x1B};
    PacketMix meridian{"DMERIDIAN", "MeridianD", OnEveryLine(scenario.units[1]),
                       Sentinel(0x48, {0x11, 0xDB}), QXEVT_DIGIT_PRESSED, '#'};
    std::vector<PacketMix> mixes{definity, meridian};
    if (scenario.units.size() > 3) {
        // the digit '#', with the MD110 header byte and checksum
        mixes.push_back({"ERRICSOND", "MD110D", OnEveryLine(scenario.units[3]),
                         Sentinel(0x48, {0x00, 0x04, 0x0B, 0x13}), QXEVT_DIGIT_PRESSED, '#'});
    }
    if (scenario.units.size() > 4) {
        mixes.push_back({"NORSTARD", "NorstarD", OnEveryLine(scenario.units[4]), Sentinel(0x48, {0x8C}),
                         QXEVT_DIGIT_PRESSED, '#'});
    }
    if (scenario.units.size() > 5) {
        mixes.push_back({"CNeax2400D", "NEAX2400D", OnEveryLine(scenario.units[5]), Sentinel(0x48, {0x2C}),
                         QXEVT_DIGIT_PRESSED, '#'});
    }
    PacketMix fujitsu{"FUJITSU", "FUJI9600D", OnEveryLine(scenario.units[kFujitsuUnit]),
                      Sentinel(0x48, {0x0C, 0x0C}), QXEVT_DIGIT_PRESSED, '#'};
    PacketMix hicom{"HICOMD", "HicomD", OnEveryLine(scenario.units[kHicomUnit]),
                    Sentinel(0x48, {0x00, 0x00, 0xBD, 0x40, 0x4C}), QXEVT_DIGIT_PRESSED, '#'};
    mixes.push_back(fujitsu);
    mixes.push_back(hicom);
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
