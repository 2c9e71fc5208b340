// The pcap2dmp program: its usage text, its errors and exit codes, and the
// dump file it writes.
#include <gtest/gtest.h>

#include <filesystem>

#include "CaptureWriter.h"
#include "Conversion.h"
#include "LapdFrames.h"
#include "platform/Program.h"
#include "support/TempDir.h"

namespace {

class Pcap2dmpProgram : public testing::Test {
protected:
    std::pair<int, std::string> Run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), std::string(ZAQ_BINARY_DIR) + "/tools/pcap2dmp/pcap2dmp");
        return platform::RunProgram(arguments, {}, 10000);
    }

    // Two LAPD frames and an Ethernet packet.
    std::string WriteCapture()
    {
        pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLapd);
        capture.Add(1'000'000'000, std::vector<uint8_t>{0x02, 0x81, 0x7F});
        capture.Add(1'020'000'000, std::vector<uint8_t>(300, 0x03));
        capture.Add(1'040'000'000, std::vector<uint8_t>{0x02, 0x81, 0x73});
        const std::string path = dir.File("in.pcap");
        const std::vector<uint8_t>& bytes = capture.Bytes();
        EXPECT_TRUE(WriteWholeFile(path, std::string(bytes.begin(), bytes.end())));
        return path;
    }

    TempDir dir;
};

}  // namespace

TEST_F(Pcap2dmpProgram, WritesTheDumpAndWarnsOfWhatItLeftOut)
{
    const std::string capture = WriteCapture();
    const std::string dump = dir.File("out.dmp");
    const auto [code, output] = Run({capture, dump});
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("packet 2 left out: a frame of 300 bytes does not fit a packet"), std::string::npos)
        << output;
    EXPECT_NE(output.find("2 frames written to " + dump + ", 1 packets left out"), std::string::npos) << output;
    const std::string captured = ReadWholeFile(capture);
    const pcap2dmp::Conversion expected =
        pcap2dmp::ConvertCapture(std::vector<uint8_t>(captured.begin(), captured.end()));
    EXPECT_EQ(ReadWholeFile(dump), std::string(expected.dump.begin(), expected.dump.end()));

    const auto [quietCode, quietOutput] = Run({"--quiet", capture, dump});
    EXPECT_EQ(quietCode, 0);
    EXPECT_EQ(quietOutput.find("left out:"), std::string::npos) << quietOutput;
}

TEST_F(Pcap2dmpProgram, ExplainsItsUseAndRefusesWhatItCannotDo)
{
    const std::string capture = WriteCapture();
    const std::string damaged = dir.File("damaged.pcap");
    ASSERT_TRUE(WriteWholeFile(damaged, ReadWholeFile(capture).substr(0, 30)));
    struct Case {
        std::vector<std::string> arguments;
        int code;
        std::string text;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: pcap2dmp [--quiet] CAPTURE DUMP"},
        {{}, 2, "pcap2dmp: a capture file and a dump file are needed\nUsage:"},
        {{capture}, 2, "a capture file and a dump file are needed"},
        {{"--speed", capture, "x"}, 2, "pcap2dmp: unknown option: --speed\nUsage:"},
        {{dir.File("missing.pcap"), dir.File("x.dmp")}, 1, "missing.pcap: cannot be read"},
        {{damaged, dir.File("y.dmp")}, 1, "damaged.pcap: packet 1: truncated record header at offset 24"},
        {{capture, dir.File("no/such/dir/z.dmp")}, 1, "z.dmp: cannot be written"},
    };
    for (const Case& c : cases) {
        const auto [code, output] = Run(c.arguments);
        EXPECT_EQ(code, c.code) << testing::PrintToString(c.arguments) << "\n" << output;
        EXPECT_NE(output.find(c.text), std::string::npos) << output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("y.dmp"))) << "nothing is written from a damaged capture";
}
