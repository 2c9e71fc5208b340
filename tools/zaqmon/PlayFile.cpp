#include "PlayFile.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "PlayableFile.h"

namespace {

constexpr uint8_t kFormatTwo = 2;

// A name no other run of this or another process picks.
std::filesystem::path TemporaryDumpPath()
{
    static std::atomic<uint32_t> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::error_code error;
    std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    if (error) {
        directory = "/tmp";
    }
    return directory / ("zaq-capture-" + std::to_string(now) + "-" + std::to_string(counter++) + ".dmp");
}

}  // namespace

PlayFile::PlayFile(const std::string& path, uint32_t liveBoards)
{
    pcap2dmp::PlayableFile playable = pcap2dmp::LoadPlayableFile(path);
    warnings_ = std::move(playable.warnings);
    if (!playable.error.empty()) {
        error_ = playable.error;
        return;
    }
    const std::vector<uint8_t>& dump = playable.dump;
    boards_ = !dump.empty() && dump[0] == kFormatTwo ? (dump.size() > 1 ? dump[1] : 0) : liveBoards;
    if (!playable.fromCapture) {
        dumpPath_ = path;
        return;
    }
    const std::filesystem::path temporary = TemporaryDumpPath();
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(dump.data()), static_cast<std::streamsize>(dump.size()));
    out.close();
    temporaryPath_ = temporary.string();
    if (out.fail()) {
        error_ = temporaryPath_ + ": the converted capture cannot be written";
        return;
    }
    dumpPath_ = temporaryPath_;
}

PlayFile::~PlayFile()
{
    if (!temporaryPath_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporaryPath_, ignored);
    }
}
