// A file given to be played (zaqmon --play, zaqsim --dump, zaqbridge --play):
// a dump file as it stands, or a pcap/pcapng capture of LAPD frames, found by
// its magic number and converted in memory as pcap2dmp converts it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pcap2dmp {

struct PlayableFile {
    std::vector<uint8_t> dump;          // the dump file's bytes
    bool fromCapture = false;
    std::vector<std::string> warnings;  // the conversion's, one per packet left out
    std::string error;                  // the file cannot be read or converted
};

PlayableFile LoadPlayableFile(const std::string& path);

}  // namespace pcap2dmp
