// What the unit last reported: written by the answer parser on the reader
// thread, polled by the command operations on application threads.
// -1 means "no answer yet".
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>

struct UnitAnswers {
    static constexpr size_t kLightMaskSize = 10;   // at most 9 characters and a terminator
    static constexpr size_t kLevelsSize = 20;      // 16 lines and 4 spare bytes
    static constexpr size_t kErrorTableSize = 16;

    std::atomic<int32_t> pbxType{-1};
    std::atomic<int32_t> busType{-1};
    std::atomic<int32_t> clockType{-1};
    std::atomic<int32_t> encodingType{-1};
    std::atomic<int32_t> rdspType{-1};
    std::atomic<int32_t> splitType{-1};
    std::atomic<int32_t> stream{-1};
    std::atomic<int32_t> slots{-1};
    std::atomic<int32_t> startStopDetect{-1};
    std::atomic<int32_t> startStopMin{-1};
    std::atomic<int32_t> startStopMax{-1};
    std::atomic<int32_t> startStopOn{-1};
    std::atomic<int32_t> startStopOff{-1};
    std::atomic<int32_t> pbxLevel{-1};
    std::atomic<int32_t> serialNumber{-1};
    std::atomic<int32_t> hardwareVersion{-1};
    std::atomic<int32_t> firmwareMajor{0};
    std::atomic<int32_t> firmwareMinor{0};
    std::atomic<int32_t> firmwareBuild{0};
    std::atomic<int32_t> dchannelStatus{-1};
    std::atomic<int32_t> levelsReady{0};
    std::atomic<int32_t> errorsReceived{-1};
    std::atomic<int32_t> errorsDone{-1};

    // The texts and tables below are guarded by textMutex.
    mutable std::mutex textMutex;
    char lightMask0[kLightMaskSize] = {};
    char lightMask1[kLightMaskSize] = {};
    uint8_t phoneLevels[kLevelsSize] = {};
    // The four error tables, one byte per line, in this order (64 bytes together).
    enum ErrorTable { kPhoneErrors = 0, kPbxErrors = 1, kPhoneErrorRate = 2, kPbxErrorRate = 3 };
    uint8_t errorTables[4][kErrorTableSize] = {};
};
