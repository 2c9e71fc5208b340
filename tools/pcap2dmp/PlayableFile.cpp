#include "PlayableFile.h"

#include <fstream>
#include <iterator>

#include "CaptureFile.h"
#include "Conversion.h"

namespace pcap2dmp {

PlayableFile LoadPlayableFile(const std::string& path)
{
    PlayableFile playable;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        playable.error = path + ": cannot be read";
        return playable;
    }
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        playable.error = path + ": cannot be read";
        return playable;
    }
    if (!IsCaptureFile(bytes)) {
        playable.dump = std::move(bytes);
        return playable;
    }
    playable.fromCapture = true;
    Conversion conversion = ConvertCapture(bytes);
    for (const std::string& warning : conversion.warnings) {
        playable.warnings.push_back(path + ": " + warning);
    }
    if (!conversion.error.empty()) {
        playable.error = path + ": " + conversion.error;
        return playable;
    }
    playable.dump = std::move(conversion.dump);
    return playable;
}

}  // namespace pcap2dmp
