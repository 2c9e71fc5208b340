// pcap2dmp: turns a capture of ISDN D-channel (LAPD) frames into a dump file
// that the library and zaqsim play as the traffic of one basic-rate unit.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Conversion.h"

namespace {

constexpr const char* kUsage =
    "Usage: pcap2dmp [--quiet] CAPTURE DUMP\n"
    "\n"
    "Reads CAPTURE, a pcap or pcapng file of LAPD frames (link type LINUX_LAPD, 177,\n"
    "or LAPD, 203), and writes DUMP, a dump file (format 2) of one ISDN basic-rate\n"
    "unit (PBX type 30) with the capture's time gaps:\n"
    "  frames sent by the network (CO)  on channel 0, packet type 0x58 ('X')\n"
    "  frames sent by the subscriber    on channel 1, packet type 0x48 ('H')\n"
    "each with its HDLC frame check sequence. Frames longer than 253 bytes do not\n"
    "fit a packet and are left out, as are packets of other link types; each gets a\n"
    "warning on standard error unless --quiet is given.\n"
    "Play the dump with zaqsim --pbx ISDN4WD --dump DUMP, or with QXZAQPlayDChannelEvents.\n";

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace

int main(int argc, char** argv)
{
    bool quiet = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::printf("%s", kUsage);
            return 0;
        }
        if (argument == "--quiet" || argument == "-q") {
            quiet = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "pcap2dmp: unknown option: %s\n%s", argument.c_str(), kUsage);
            return 2;
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "pcap2dmp: a capture file and a dump file are needed\n%s", kUsage);
        return 2;
    }
    std::vector<uint8_t> capture;
    if (!ReadFile(files[0], capture)) {
        std::fprintf(stderr, "pcap2dmp: %s: cannot be read\n", files[0].c_str());
        return 1;
    }
    const pcap2dmp::Conversion conversion = pcap2dmp::ConvertCapture(capture);
    if (!quiet) {
        for (const std::string& warning : conversion.warnings) {
            std::fprintf(stderr, "pcap2dmp: %s: %s\n", files[0].c_str(), warning.c_str());
        }
    }
    if (!conversion.error.empty()) {
        std::fprintf(stderr, "pcap2dmp: %s: %s\n", files[0].c_str(), conversion.error.c_str());
        return 1;
    }
    if (!WriteFile(files[1], conversion.dump)) {
        std::fprintf(stderr, "pcap2dmp: %s: cannot be written\n", files[1].c_str());
        return 1;
    }
    std::printf("%zu frames written to %s, %zu packets left out\n", conversion.framesWritten, files[1].c_str(),
                conversion.packetsSkipped);
    return 0;
}
