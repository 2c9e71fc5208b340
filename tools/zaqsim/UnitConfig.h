// What one simulated unit is: its identity, its power-on state and the faults
// it is told to show.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zaqsim {

constexpr size_t kLines = 16;

struct ErrorCounters {
    std::array<uint32_t, kLines> phoneErrors{};
    std::array<uint32_t, kLines> pbxErrors{};
    std::array<uint32_t, kLines> phoneErrorRate{};
    std::array<uint32_t, kLines> pbxErrorRate{};
};

// Firmware transfer faults. Blocks are counted from 1 in the order received
// (the 256th block is 256, whatever its wrapped block number); 0 = none.
struct FirmwareInjections {
    uint32_t nakBlock = 0;     // answer this block's first arrival with NAK
    uint32_t cancelBlock = 0;  // answer this block with CAN instead of ACK
    bool finalError = false;   // answer "ERROR" after the transfer instead of "OK"
};

struct UnitConfig {
    std::string pbxName = "Definity2D";  // as the "PBX" line reports it
    uint32_t serialNumber = 10001;
    uint32_t hardwareVersion = 3;
    std::string firmwareVersion = "1.4.52";
    std::array<uint8_t, kLines> levels{};
    ErrorCounters errors;
    uint8_t pbxLevel = 100;
    // Power-on values that differ from the defaults, by option word:
    // {"BUS", "SCSA"}, {"STREAM", "3"}, {"LIGHTMASK0", "12AB"} ...
    std::map<std::string, std::string> powerOnOptions;

    bool silent = false;                      // answers nothing at all
    std::vector<std::string> silentCommands;  // command prefixes left unanswered
    uint32_t answerDelayMs = 0;               // before every text answer
    bool restartBanner = false;               // "Press M <ENTER> for menu" after a restart's "OK"

    FirmwareInjections firmwareInjections;
    uint32_t xmodemPollMs = 1000;      // between two "C" while waiting for the first block
    uint32_t xmodemByteTimeoutMs = 1000;  // a frame that stalls this long is refused (NAK)
    uint32_t quietGiveUpMs = 10000;    // a transfer or error screen left this long is abandoned
};

}  // namespace zaqsim
