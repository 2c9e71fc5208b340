#include "TraceWatch.h"

#include <fstream>

namespace {

constexpr const char* kLostEvent = "!!!! Timed Out !!!";
constexpr const char* kCutPacket = "::Read fails ";
constexpr const char* kPortFailure = "\\\\.\\COM";  // "\\.\COM3 Error"

}  // namespace

std::set<uint32_t> TraceWatch::Read()
{
    std::set<uint32_t> failedPorts;
    std::ifstream file(path_, std::ios::binary);
    if (!file)
        return failedPorts;
    file.seekg(0, std::ios::end);
    const uint64_t size = static_cast<uint64_t>(file.tellg());
    if (size < offset_) {
        offset_ = 0;  // a new log
        partial_.clear();
    }
    file.seekg(static_cast<std::streamoff>(offset_));
    std::string added(size - offset_, '\0');
    file.read(added.data(), static_cast<std::streamsize>(added.size()));
    added.resize(static_cast<size_t>(file.gcount()));
    offset_ += added.size();

    partial_ += added;
    size_t start = 0;
    for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1)
        Take(partial_.substr(start, end - start), failedPorts);
    partial_.erase(0, start);
    return failedPorts;
}

void TraceWatch::Take(const std::string& line, std::set<uint32_t>& failedPorts)
{
    if (line.find(kLostEvent) != std::string::npos)
        ++lostEventLines_;
    if (line.find(kCutPacket) != std::string::npos)
        ++cutPacketLines_;
    const size_t port = line.find(kPortFailure);
    if (port == std::string::npos)
        return;
    size_t at = port + std::char_traits<char>::length(kPortFailure);
    uint32_t number = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9')
        number = number * 10 + static_cast<uint32_t>(line[at++] - '0');
    if (number > 0 && line.compare(at, 6, " Error") == 0)
        failedPorts.insert(number);
}
