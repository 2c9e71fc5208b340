// isdn_traffic: ISDN D-channel traffic that nobody here wrote. A libpri
// network and a libpri user on one basic-rate line (point-to-multipoint)
// place and clear calls; every frame goes, with its direction, into a capture
// file (pcap, LINUX_LAPD) for the interoperability test.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CallScript.h"
#include "CaptureWriter.h"
#include "LapdFrames.h"

// libpri 1.6 has no call that frees a D-channel: the two of the line live
// until the process ends, which a leak check under AddressSanitizer must not
// count against the program.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libpri.so\n";
}

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(argc == 2 ? stdout : stderr,
                     "Usage: isdn_traffic CAPTURE\n"
                     "Writes the D-channel frames of a scripted set of calls between a libpri network\n"
                     "and a libpri user (EuroISDN basic rate, point-to-multipoint) to CAPTURE\n"
                     "(pcap, link type LINUX_LAPD, captured on the network side).\n");
        return argc == 2 ? 0 : 2;
    }
    pcap2dmp::PcapWriter capture(pcap2dmp::kLinkTypeLinuxLapd);
    std::vector<isdntraffic::ScriptedCall> calls;
    std::string error;
    const bool complete = isdntraffic::WriteCallScript(capture, calls, error);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(capture.Bytes().data()),
              static_cast<std::streamsize>(capture.Bytes().size()));
    out.close();
    if (out.fail()) {
        std::fprintf(stderr, "isdn_traffic: %s: cannot be written\n", argv[1]);
        return 1;
    }
    for (const isdntraffic::ScriptedCall& call : calls) {
        std::printf("%s: %s -> %s\n", call.name.c_str(), call.caller.c_str(), call.called.c_str());
    }
    if (!complete) {
        std::fprintf(stderr, "isdn_traffic: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
