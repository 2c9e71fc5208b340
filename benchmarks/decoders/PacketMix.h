// The packets a benchmark feeds a decoder: the demo scenario's packets for its
// unit, as every one of the sixteen lines would send them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PacketMix {
    std::string name;                  // the decoder's class
    std::string pbxName;               // as the unit reports it
    std::vector<std::string> packets;  // whole packets, start marker to checksum
    std::string sentinel;              // a packet whose event appears nowhere in `packets`
    uint32_t sentinelCode = 0;
    uint32_t sentinelParam = 0;
};

// The mixes of the demo's Definity (unit 0), Meridian (unit 1), MD110 (unit 3),
// Norstar (unit 4), NEAX 2400 (unit 5), Merlin Magix (unit 6), Inter-Tel (unit 7),
// Fujitsu 9600 (unit 8) and Hicom (unit 9); empty with `error` set when the
// scenario cannot be read.
std::vector<PacketMix> DemoPacketMixes(std::string& error);
