// Packet sequences in fixtures/*.packets played through their decoder; the
// events, with the display text an application reads for each display change,
// must match fixtures/*.events line for line.
//
// A .packets file: "decoder DEFINITY2D|DMERIDIAN|MERLINMAGIXD|INTERTELD", then one line per packet
// "[+MS] X|H CHANNEL BYTES..." (a delay after the previous line, the packet
// type, the local channel, the payload as hex bytes, "quoted text" or esc; a
// Definity payload gets its frame check sequence appended), "wait MS" and
// "updates on|off". '#' starts a comment.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "PacketDriver.h"
#include "DefinityFrames.h"
#include "EventLog.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
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

template <typename Decoder>
std::string Play(std::istream& lines, bool definityFrames)
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
            if (definityFrames) {
                payload = definity_test::WithFcs(payload);
            }
            driver.Send(static_cast<uint8_t>(channel), type, payload);
        }
    }
    return log.text;
}

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
        std::string actual;
        if (first == "decoder DEFINITY2D") {
            actual = Play<DEFINITY2D>(packets, true);
        } else if (first == "decoder DMERIDIAN") {
            actual = Play<DMERIDIAN>(packets, false);
        } else if (first == "decoder MERLINMAGIXD") {
            actual = Play<MERLINMAGIXD>(packets, false);
        } else if (first == "decoder INTERTELD") {
            actual = Play<INTERTELD>(packets, false);
        } else {
            ADD_FAILURE() << "first line names no decoder: " << first;
            continue;
        }
        std::filesystem::path expectedFile = file;
        expectedFile.replace_extension(".events");
        EXPECT_EQ(actual, ReadWholeFile(expectedFile.string())) << "played:\n" << actual;
    }
}

}  // namespace
