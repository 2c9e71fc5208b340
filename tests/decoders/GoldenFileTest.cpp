// Packet sequences in fixtures/*.packets played through their decoder; the
// events, with the display text an application reads for each display change,
// must match fixtures/*.events line for line.
//
// A .packets file: "decoder DEFINITY2D|DMERIDIAN|ERRICSOND|NORSTARD|CNeax2400D|
// FUJITSU|HICOMD|MERLINMAGIXD|INTERTELD",
// then one line per packet "[+MS] X|H CHANNEL BYTES..." (a delay after the
// previous line, the packet type, the local channel, the payload as hex bytes,
// "quoted text" or esc; a Definity payload gets its frame check sequence
// appended, an MD110 payload its header byte and checksum), "wait MS" and
// "updates on|off". '#' starts a comment.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>

#include "PacketDriver.h"
#include "DefinityFrames.h"
#include "EricssonFrames.h"
#include "EventLog.h"
#include "decoders/CNeax2400D.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
#include "decoders/ERRICSOND.h"
#include "decoders/NORSTARD.h"
#include "decoders/FUJITSU.h"
#include "decoders/HICOMD.h"
#include "decoders/INTERTELD.h"
#include "decoders/MERLINMAGIXD.h"
#include "support/TempDir.h"

namespace {

std::vector<uint8_t> Payload(std::istringstream& words)
{
    std::vector<uint8_t> bytes;
    std::string word;
    while (words >> word) {
        if (word[0] == '#') {
            break;
        }
        if (word == "esc") {
            bytes.push_back(0x1B);
        } else if (word[0] == '"') {
            // A quoted text may hold blanks: read on to its closing quote.
            std::string text = word.substr(1);
            while (text.empty() || text.back() != '"') {
                std::string more;
                if (!std::getline(words, more, '"')) {
                    break;
                }
                text += more + '"';
            }
            text.pop_back();
            bytes.insert(bytes.end(), text.begin(), text.end());
        } else {
            bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
        }
    }
    return bytes;
}

// Completes a payload as its PBX sends it (frame check, header, checksum); null: as it stands.
using Framing = std::function<std::vector<uint8_t>(const std::vector<uint8_t>& payload)>;

template <typename Decoder>
std::string Play(std::istream& lines, const Framing& framing)
{
    PacketDriver<Decoder> driver;
    EventLog log(driver.decoder, driver.clock);
    driver.context.SetEventSink(log);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word[0] == '#') {
            continue;
        }
        if (word[0] == '+') {
            driver.Advance(std::stoul(word.substr(1)));
            words >> word;
        }
        if (word == "wait") {
            uint32_t ms = 0;
            words >> ms;
            driver.Advance(ms);
        } else if (word == "updates") {
            words >> word;
            driver.EventUpdates(word == "on");
        } else {
            const uint8_t type = word == "X" ? 0x58 : word == "H" ? 0x48 : static_cast<uint8_t>(std::stoul(word, nullptr, 16));
            unsigned channel = 0;
            words >> channel;
            std::vector<uint8_t> payload = Payload(words);
            if (framing != nullptr) {
                payload = framing(payload);
            }
            driver.Send(static_cast<uint8_t>(channel), type, payload);
        }
    }
    return log.text;
}

struct Player {
    const char* firstLine;
    std::string (*play)(std::istream& lines, const Framing& framing);
    Framing framing;
};

const Player kPlayers[] = {
    {"decoder DEFINITY2D", &Play<DEFINITY2D>, &definity_test::WithFcs},
    {"decoder DMERIDIAN", &Play<DMERIDIAN>, nullptr},
    {"decoder ERRICSOND", &Play<ERRICSOND>, &md110_test::Frame},
    {"decoder NORSTARD", &Play<NORSTARD>, nullptr},
    {"decoder CNeax2400D", &Play<CNeax2400D>, nullptr},
    {"decoder FUJITSU", &Play<FUJITSU>, nullptr},
    {"decoder HICOMD", &Play<HICOMD>, nullptr},
    {"decoder MERLINMAGIXD", &Play<MERLINMAGIXD>, nullptr},
    {"decoder INTERTELD", &Play<INTERTELD>, nullptr},
};

std::vector<std::filesystem::path> PacketFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(ZAQ_DECODER_FIXTURES)) {
        if (entry.path().extension() == ".packets") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(GoldenFiles, EveryPacketSequenceGivesItsEvents)
{
    const std::vector<std::filesystem::path> files = PacketFiles();
    ASSERT_GE(files.size(), 3u);
    for (const std::filesystem::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream packets(file);
        std::string first;
        std::getline(packets, first);
        const auto player = std::find_if(std::begin(kPlayers), std::end(kPlayers),
                                         [&first](const Player& p) { return first == p.firstLine; });
        if (player == std::end(kPlayers)) {
            ADD_FAILURE() << "first line names no decoder: " << first;
            continue;
        }
        const std::string actual = player->play(packets, player->framing);
        std::filesystem::path expectedFile = file;
        expectedFile.replace_extension(".events");
        EXPECT_EQ(actual, ReadWholeFile(expectedFile.string())) << "played:\n" << actual;
    }
}

}  // namespace
