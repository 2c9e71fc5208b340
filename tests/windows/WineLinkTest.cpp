// The Windows DLL as an application sees it: loaded with LoadLibrary, every
// entry imported by ordinal (as the viewer and the applet import it), then
// the link run against simulated units on COM ports. Run under Wine by
// tests/windows/wine-test.sh, which starts the simulator, maps its
// pseudo-terminals as COM ports and writes the registry.
//
//   wine_link_test.exe DLL TRACE-DIR full          the whole run
//   wine_link_test.exe DLL TRACE-DIR exit-running  ends the process with the link running
//   wine_link_test.exe DLL TRACE-DIR unit-vanishes the unit goes away under a running link
//
// Prints one "ok" / "not ok" line per check; the exit code is the number of
// failed checks.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qxzaqlnk.h"

namespace {

int failures = 0;

void Check(bool passed, const std::string& what)
{
    std::printf("%s - %s\n", passed ? "ok" : "not ok", what.c_str());
    std::fflush(stdout);
    if (!passed) {
        ++failures;
    }
}

struct Import {
    int ordinal;
    const char* name;
};

// The export table applications are built against.
constexpr Import kImports[] = {
    {1, "QXZAQUploadFirmware"},
    {2, "QXZAQGetMessage"},
    {3, "PlayDChannelEvents"},
    {4, "QXZAQEnableDChEvents"},
    {5, "QXZAQDisableDChEvents"},
    {7, "QXZAQGetLinkInfo"},
    {8, "QXZAQGetBoardInfo"},
    {9, "QXZAQStartLink"},
    {10, "QXZAQStopLink"},
    {11, "QXZAQGetPBXType"},
    {12, "QXZAQRestart"},
    {13, "QXZAQGetBusType"},
    {14, "QXZAQSetBusType"},
    {16, "QXZAQGetClockType"},
    {17, "QXZAQSetClockType"},
    {18, "QXZAQGetEncodingType"},
    {19, "QXZAQSetEncodingType"},
    {20, "QXZAQGetRDSPType"},
    {21, "QXZAQSetRDSPType"},
    {22, "QXZAQSetSplitType"},
    {23, "QXZAQGetSplitType"},
    {24, "QXZAQSetStartStopDetect"},
    {25, "QXZAQGetStartStopDetect"},
    {26, "QXZAQSetStream"},
    {27, "QXZAQGetStream"},
    {28, "QXZAQSetSlots"},
    {29, "QXZAQGetSlots"},
    {30, "QXZAQSetStartStopMin"},
    {31, "QXZAQGetStartStopMin"},
    {32, "QXZAQSetStartStopMax"},
    {33, "QXZAQGetStartStopMax"},
    {34, "QXZAQSetVOXStartStopOn"},
    {35, "QXZAQGetVOXStartStopOn"},
    {36, "QXZAQSetVOXStartStopOff"},
    {37, "QXZAQGetVOXStartStopOff"},
    {38, "QXZAQSetLightMask0"},
    {39, "QXZAQGetLightMask0"},
    {40, "QXZAQSetLightMask1"},
    {41, "QXZAQGetLightMask1"},
    {42, "QXZAQGetSerialNumber"},
    {43, "QXZAQGetPBXLevel"},
    {44, "QXZAQSetPBXLevel"},
    {45, "QXZAQSetTraceLevel"},
    {46, "QXZAQGetDChannelStatus"},
    {47, "QXZAQGetPhoneLevels"},
    {48, "QXZAQCheckErrors"},
    {49, "QXZAQClearErrors"},
    {54, "QXZAQEnableEventUpdates"},
    {55, "QXZAQDisableEventUpdates"},
    {56, "QXZAQGetEvent"},
    {57, "QXZAQGetPBXDate_Time"},
    {58, "QXZAQGetPhoneStatus"},
    {59, "QXZAQRecordDChannelEvents"},
    {60, "QXZAQPlayDChannelEvents"},
    {61, "QXZAQ_CC_GetStatusByCh"},
    {62, "QXZAQ_CC_GetStatusByRef"},
    {63, "QXZAQ_CC_GetStatistics"},
    {64, "QXZAQPlayDChannelEventsTime"},
};
constexpr int kUnassignedOrdinals[] = {6, 15, 50, 51, 52, 53, 65};

HMODULE library = nullptr;

template <typename Function>
Function ByOrdinal(int ordinal)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

// The entries this test calls, each by its ordinal.
struct Entries {
    decltype(&QXZAQStartLink) StartLink = ByOrdinal<decltype(&QXZAQStartLink)>(9);
    decltype(&QXZAQStopLink) StopLink = ByOrdinal<decltype(&QXZAQStopLink)>(10);
    decltype(&QXZAQGetLinkInfo) GetLinkInfo = ByOrdinal<decltype(&QXZAQGetLinkInfo)>(7);
    decltype(&QXZAQGetBoardInfo) GetBoardInfo = ByOrdinal<decltype(&QXZAQGetBoardInfo)>(8);
    decltype(&QXZAQGetPBXType) GetPBXType = ByOrdinal<decltype(&QXZAQGetPBXType)>(11);
    decltype(&QXZAQSetStream) SetStream = ByOrdinal<decltype(&QXZAQSetStream)>(26);
    decltype(&QXZAQGetStream) GetStream = ByOrdinal<decltype(&QXZAQGetStream)>(27);
    decltype(&QXZAQSetBusType) SetBusType = ByOrdinal<decltype(&QXZAQSetBusType)>(14);
    decltype(&QXZAQSetPBXLevel) SetPBXLevel = ByOrdinal<decltype(&QXZAQSetPBXLevel)>(44);
    decltype(&QXZAQGetPBXLevel) GetPBXLevel = ByOrdinal<decltype(&QXZAQGetPBXLevel)>(43);
    decltype(&QXZAQGetSerialNumber) GetSerialNumber = ByOrdinal<decltype(&QXZAQGetSerialNumber)>(42);
    decltype(&QXZAQEnableDChEvents) EnableDChEvents = ByOrdinal<decltype(&QXZAQEnableDChEvents)>(4);
    decltype(&QXZAQGetEvent) GetEvent = ByOrdinal<decltype(&QXZAQGetEvent)>(56);
    decltype(&QXZAQGetMessage) GetMessage = ByOrdinal<decltype(&QXZAQGetMessage)>(2);
    decltype(&QXZAQRecordDChannelEvents) Record = ByOrdinal<decltype(&QXZAQRecordDChannelEvents)>(59);
    decltype(&QXZAQPlayDChannelEventsTime) PlayTime = ByOrdinal<decltype(&QXZAQPlayDChannelEventsTime)>(64);
    decltype(&QXZAQSetTraceLevel) SetTraceLevel = ByOrdinal<decltype(&QXZAQSetTraceLevel)>(45);
};

// ------------------------------------------------------------------ events

struct Seen {
    std::atomic<int> offHookChannel1{0};
    std::atomic<int> onHookChannel1{0};
    std::atomic<int> flashingChannel3{0};  // its frame carries 0x11
    std::atomic<int> finishedPlay{0};
    std::atomic<int> all{0};

    void Take(uint32_t code, uint32_t channel)
    {
        ++all;
        if (code == QXEVT_OFFHOOK && channel == 1) {
            ++offHookChannel1;
        } else if (code == QXEVT_ONHOOK && channel == 1) {
            ++onHookChannel1;
        } else if (code == QXEVT_LIGHT_FLASHING && channel == 3) {
            ++flashingChannel3;
        } else if (code == QXEVT_FINISHED_PLAY) {
            ++finishedPlay;
        }
    }
    bool CallSeen() const { return offHookChannel1 > 0 && onHookChannel1 > 0 && flashingChannel3 > 0; }
};

Seen callbackEvents;

uint32_t QXZAQ_CALL OnEvent(ZAQ16_EVENT* event)
{
    if (event != nullptr) {
        callbackEvents.Take(event->eventCode, event->channel);
    }
    return 0;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ------------------------------------------------------------------ checks

void CheckExportTable()
{
    for (const Import& entry : kImports) {
        const FARPROC byOrdinal = GetProcAddress(library, MAKEINTRESOURCEA(entry.ordinal));
        const FARPROC byName = GetProcAddress(library, entry.name);
        if (byOrdinal == nullptr || byOrdinal != byName) {
            Check(false, std::string("ordinal ") + std::to_string(entry.ordinal) + " is " + entry.name);
            return;
        }
    }
    Check(true, "all 58 entries import by ordinal, each the entry of its name");
    bool noneOther = true;
    for (int ordinal : kUnassignedOrdinals) {
        noneOther &= GetProcAddress(library, MAKEINTRESOURCEA(ordinal)) == nullptr;
    }
    Check(noneOther, "ordinals 6, 15, 50 to 53 and 65 are not assigned");
}

void CheckVersionResource(const std::string& dllPath)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(dllPath.c_str(), &ignored);
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    char* text = nullptr;
    UINT textSize = 0;
    const bool read = size > 0 && GetFileVersionInfoA(dllPath.c_str(), 0, size, info.data()) &&
                      VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
                      VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                                     reinterpret_cast<void**>(&text), &textSize);
    Check(read && fixed->dwFileVersionMS == MAKELONG(4, 1) && fixed->dwFileVersionLS == MAKELONG(52, 0) &&
              std::string(text) == "1.4.0.52",
          "version resource 1.4.0.52");
}

void CheckStartAndBoard(const Entries& qx)
{
    ZAQ16_LINK_INFO link{};
    link.size = sizeof link;
    Check(qx.GetLinkInfo(&link) == ZAQ16_RET_SUCCESS && link.boards == 1 && link.channels == 16,
          "link info: 1 board, 16 channels");
    ZAQ16_BOARD_INFO board{};
    board.size = sizeof board;
    const uint32_t result = qx.GetBoardInfo(0, &board);
    Check(result == ZAQ16_RET_SUCCESS && board.pbxType == ZAQ16_PBX_LUCENT_DEFINITY2D, "board 0 is a Definity 2D");
    Check(std::strcmp(board.devicePath, "\\\\.\\COM5") == 0, std::string("board 0 opened as \\\\.\\COM5: ") +
                                                                   board.devicePath);
    Check(board.startChannel == 1 && board.hardwareVersion == 3 && board.firmwareMajor == 1 &&
              board.firmwareMinor == 4 && board.firmwareBuild == 52,
          "board 0: channel 1, hardware 3, firmware 1.4.52");
    board.size = 44;
    Check(qx.GetBoardInfo(0, &board) == ZAQ16_RET_BAD_SIZE, "a board record of 44 bytes is refused");
}

void CheckSetAndGet(const Entries& qx)
{
    Check(qx.SetStream(0, 7) == ZAQ16_RET_SUCCESS, "SetStream(0, 7) answered OK");
    Check(qx.GetStream(0) == 7, "GetStream(0) reads 7 back");
    Check(qx.SetBusType(0, 3) == ZAQ16_RET_INVALID_PARAM, "SetBusType(0, 3) is refused");
    Check(qx.GetPBXType(0) == ZAQ16_PBX_LUCENT_DEFINITY2D, "GetPBXType(0) asks the unit again");
    uint32_t serial = 0;
    Check(qx.GetSerialNumber(0, &serial) == ZAQ16_RET_SUCCESS && serial == 10001, "serial number 10001");
    Check(qx.GetStream(1) == ZAQ16_RET_INVALID_PARAM, "board 1 is not a board (COM9 is absent)");
    // The level goes out as one raw byte and comes back as one: XON and XOFF
    // must pass the line untouched both ways.
    for (const int32_t level : {0x11, 0x13}) {
        Check(qx.SetPBXLevel(0, level) == ZAQ16_RET_SUCCESS && qx.GetPBXLevel(0) == static_cast<uint32_t>(level),
              "PBX level " + std::to_string(level) + " set and read back as a raw byte");
    }
}

void CheckPolledEvents(const Entries& qx, const std::string& dumpPath)
{
    Check(qx.Record(dumpPath.c_str()) == ZAQ16_RET_SUCCESS, "recording to " + dumpPath);
    Check(qx.EnableDChEvents(0) == ZAQ16_RET_SUCCESS, "D-channel events on (polling)");
    Seen polled;
    const bool seen = WaitFor(
        [&] {
            uint32_t words[6] = {};
            while (qx.GetEvent(&words[0], &words[1], &words[2], &words[3], &words[4], &words[5]) ==
                   ZAQ16_RET_SUCCESS) {
                polled.Take(words[2], words[5]);
            }
            return polled.CallSeen();
        },
        15000);
    Check(seen, "polled: off hook and on hook on channel 1, flashing lamp (0x11 in its frame) on channel 3 (" +
                    std::to_string(polled.all.load()) + " events)");
    char display[80] = {};
    Check(qx.GetMessage(1, display, sizeof display) == ZAQ16_RET_SUCCESS, "display text of channel 1 read");
    Check(qx.Record(nullptr) == ZAQ16_RET_SUCCESS, "recording stopped");
}

void CheckCallbackEvents(const Entries& qx)
{
    Check(qx.StartLink(&OnEvent) == 1, "link started again with a callback");
    Check(qx.EnableDChEvents(0) == ZAQ16_RET_SUCCESS, "D-channel events on (callback)");
    const bool seen = WaitFor([] { return callbackEvents.CallSeen(); }, 15000);
    Check(seen, "callback: off hook and on hook on channel 1, flashing lamp on channel 3 (" +
                    std::to_string(callbackEvents.all.load()) + " events)");
}

void CheckPlayback(const Entries& qx, const std::string& dumpPath)
{
    const int before = callbackEvents.finishedPlay;
    Check(qx.PlayTime(dumpPath.c_str(), 0) == ZAQ16_RET_SUCCESS, "playing the recording back");
    Check(WaitFor([&] { return callbackEvents.finishedPlay > before; }, 15000), "playback reached its end");
    Check(qx.PlayTime("C:\\no\\such.dmp", 0) == ZAQ16_RET_FILE_NOT_FOUND, "a missing dump file is reported");
}

void CheckTraceFile(const std::string& traceDir)
{
    const std::string log = ReadFileText(traceDir + "\\qxzaqlnk.log");
    Check(log.find("DLL VERSION 1.4.0.52") != std::string::npos, "trace file " + traceDir + "\\qxzaqlnk.log written");
    Check(log.find("Started card on \\\\.\\COM5") != std::string::npos, "trace names the started card");
    Check(log.find("Trying to start card on \\\\.\\COM9 Error") != std::string::npos, "trace names the absent card");
}

int RunFull(const std::string& dllPath, const std::string& traceDir)
{
    CheckExportTable();
    CheckVersionResource(dllPath);
    const Entries qx;
    qx.SetTraceLevel(4);
    const std::string dumpPath = traceDir + "\\wine-test.dmp";

    Check(qx.StartLink(nullptr) == 1, "link started for polling: COM5 answers, COM9 is absent");
    CheckStartAndBoard(qx);
    CheckSetAndGet(qx);
    CheckPolledEvents(qx, dumpPath);
    Check(qx.StopLink() == 0, "link stopped");
    CheckCallbackEvents(qx);
    CheckPlayback(qx, dumpPath);
    Check(qx.StopLink() == 0, "link stopped again");
    CheckTraceFile(traceDir);
    // A FreeLibrary does not unload the DLL (it pins itself); the link can run again.
    Check(FreeLibrary(library) != FALSE, "FreeLibrary");
    Check(qx.StartLink(nullptr) == 1 && qx.StopLink() == 0, "the link starts again after FreeLibrary");
    return failures;
}

// The process ends while the reader thread runs and the unit sends: the
// DLL's detach must neither hang nor crash.
int RunExitWithLinkRunning(const std::string& traceDir)
{
    const Entries qx;
    Check(qx.StartLink(&OnEvent) == 1, "link started");
    Check(qx.EnableDChEvents(0) == ZAQ16_RET_SUCCESS, "D-channel events on");
    Check(WaitFor([] { return callbackEvents.all > 0; }, 15000), "events arrive");
    Check(FileExists(traceDir + "\\qxzaqlnk.org"), "the previous run's trace kept as qxzaqlnk.org");
    return failures;
}

// The unit goes away under a running link (the script stops the simulator
// once the link is up and then creates TRACE-DIR\unit-gone): every entry
// still returns within its bound and the link stops.
int RunUnitVanishes(const std::string& traceDir)
{
    const Entries qx;
    Check(qx.StartLink(nullptr) == 1, "link started");
    Check(WaitFor([&] { return FileExists(traceDir + "\\unit-gone"); }, 60000), "the unit is gone");
    ULONGLONG start = GetTickCount64();
    const uint32_t stream = qx.GetStream(0);
    Check(stream == ZAQ16_NO_ANSWER && GetTickCount64() - start < 5000, "a Get entry answers -1 within its bound");
    start = GetTickCount64();
    const uint32_t set = qx.SetStream(0, 3);
    Check((set == ZAQ16_RET_TIMEOUT || set == ZAQ16_RET_NOT_READY) && GetTickCount64() - start < 8000,
          "a Set entry fails within its bound");
    start = GetTickCount64();
    Check(qx.StopLink() == 0 && GetTickCount64() - start < 10000, "the link stops");
    return failures;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: wine_link_test.exe DLL TRACE-DIR full|exit-running|unit-vanishes\n");
        return 2;
    }
    const std::string dllPath = argv[1];
    const std::string traceDir = argv[2];
    const std::string mode = argv[3];
    library = LoadLibraryA(dllPath.c_str());
    Check(library != nullptr, "LoadLibrary " + dllPath);
    if (library == nullptr) {
        return failures;
    }
    if (mode == "exit-running") {
        return RunExitWithLinkRunning(traceDir);
    }
    if (mode == "unit-vanishes") {
        return RunUnitVanishes(traceDir);
    }
    return RunFull(dllPath, traceDir);
}
