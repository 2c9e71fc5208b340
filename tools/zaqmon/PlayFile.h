// A file to play through the library: a dump file is played as it is; a
// pcap/pcapng capture is converted in memory and its dump written to a
// temporary file (the library plays files by name), removed afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PlayFile {
public:
    // `liveBoards`: what an old-format dump (no header) plays on.
    PlayFile(const std::string& path, uint32_t liveBoards);
    ~PlayFile();
    PlayFile(const PlayFile&) = delete;
    PlayFile& operator=(const PlayFile&) = delete;

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::vector<std::string>& Warnings() const { return warnings_; }
    // The dump file to hand to the library.
    const std::string& DumpPath() const { return dumpPath_; }
    // The boards it plays, each ending with one QXEVT_FINISHED_PLAY.
    uint32_t Boards() const { return boards_; }

private:
    std::string dumpPath_;
    std::string temporaryPath_;
    uint32_t boards_ = 0;
    std::vector<std::string> warnings_;
    std::string error_;
};
