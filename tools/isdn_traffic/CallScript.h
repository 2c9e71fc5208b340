// The calls placed and cleared on the line: incoming and outgoing, answered,
// rejected and abandoned, one held and retrieved while another is up.
#pragma once

#include <string>
#include <vector>

#include "CaptureWriter.h"

namespace isdntraffic {

// One call as the script meant it, for the reader of the capture.
struct ScriptedCall {
    std::string name;
    std::string caller;
    std::string called;
};

// Runs every call of the script on a libpri line and writes its frames into
// `capture`; false with `error` set when an answer of libpri did not come.
bool WriteCallScript(pcap2dmp::PcapWriter& capture, std::vector<ScriptedCall>& calls, std::string& error);

}  // namespace isdntraffic
