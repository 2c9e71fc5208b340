#include "core/LinkStartup.h"

#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <system_error>
#include <vector>

#include "common/Registry.h"
#include "core/Entries.h"
#include "core/EventDelivery.h"
#include "core/LinkState.h"
#include "core/PortFactory.h"
#include "base/Trace.h"
#include "unit/ZAQ16PORT.h"

namespace {

constexpr uint32_t kProbeThreadEndWaitMs = 5000;
constexpr const char* kDevicePrefix = "\\\\.\\";

void StopProbe(PortRef& probe)
{
    probe->StopThread(kProbeThreadEndWaitMs);
    probe->Close();
    probe.reset();
}

}  // namespace

int32_t SetupPort(const char* device, uint32_t start_channel, uint32_t board)
{
    PortRef probe = std::make_shared<ZAQ16PORT>(device, 1, LibraryEventSink());
    if (!probe->IsOpen()) {
        probe.reset();
        return 0;
    }
    Trace(TRACE_INFO, "SetupPort", "Board found at %s\n", device);
    probe->StartThread(0);
    probe->SetOption("DISRAW");
    probe->PurgeInput();
    const int32_t pbxType = probe->GetPBXType();
    Trace(TRACE_INFO, "SetupPort", "Board found at %s for PBX %d\n", device, pbxType);
    StopProbe(probe);
    if (pbxType <= 0) {
        return pbxType < 0 ? -1 : 0;
    }
    PortRef port = CreatePort(static_cast<uint32_t>(pbxType), PortUse::Real, device, start_channel);
    if (port) {
        port->SetEventUpdates(Link().eventUpdates.load() != 0);
        port->StartThread(0);
    }
    SetBoardPort(board, std::move(port), static_cast<uint32_t>(pbxType));
    return pbxType;
}

uint32_t entry::QXZAQStartLink(QXZAQEventCallback callback)
{
    LinkState& link = Link();
    if (link.linkStarted) {
        Trace(TRACE_WARNING, "QXZAQStartLink()", "Link already started; call QXZAQStopLink first\n");
        return link.boardCount;
    }
    link.linkStarted = true;
    link.eventCallback = callback;
    CreateEventQueue();
    Trace(TRACE_FATAL, "STARTINGUP DLL", " STARTINGUP DLL Messages only post as FATAL so that they always show!");
    Trace(TRACE_FATAL, "STARTING UP DLL", "DLL VERSION %s", QXZAQLNK_VERSION_TEXT);

    CRegistry registry(LibraryTrace());
    CRegistry::HKEY key = 0;
    if (!registry.openProviderKey(platform::registry::kAccessAll, &key)) {
        Trace(TRACE_FATAL, "QXZAQStartLink()", "CRegistry::openProviderKey failed");
        return link.boardCount;
    }
    uint32_t portCount = 0;
    if (registry.getDwordValue(key, CRegistry::kPortCountValue, &portCount) && portCount != 0) {
        uint32_t start_channel = 1;
        for (uint32_t card = 1; card <= portCount; ++card) {
            char valueName[32];
            std::snprintf(valueName, sizeof valueName, "CARD%u", card);
            std::string portName;
            const bool named = registry.getStringValue(key, valueName, &portName) != 0;
            const std::string device = kDevicePrefix + portName;
            Trace(TRACE_INFO, "QXZAQStartLink()", "Trying to start card on %s", device.c_str());
            if (!named) {
                continue;
            }
            // An empty name makes a device path that opens nothing.
            if (portName.empty()) {
                Trace(TRACE_INFO, "QXZAQStartLink()", "Trying to start card on %s Error", device.c_str());
                continue;
            }
            // The device path travels in a 20-byte field: a longer name would be cut into another name.
            if (device.size() >= CSerialPort::kPortNameSize) {
                Trace(TRACE_ERROR, "QXZAQStartLink()", "Port name of %s not usable: %s", valueName,
                      portName.c_str());
                continue;
            }
            if (link.boardCount >= ZAQ16_MAX_BOARDS) {
                Trace(TRACE_WARNING, "QXZAQStartLink()", "%u boards started; %s and later cards are not",
                      ZAQ16_MAX_BOARDS, valueName);
                break;
            }
            const int32_t result = SetupPort(device.c_str(), start_channel, link.boardCount);
            if (result == -1) {
                Trace(TRACE_INFO, "QXZAQStartLink()", "Trying to start card on %s; no ZAQ16", device.c_str());
            } else if (result == 0) {
                Trace(TRACE_INFO, "QXZAQStartLink()", "Trying to start card on %s Error", device.c_str());
            } else {
                start_channel += ZAQ16_CHANNELS_PER_BOARD;
                ++link.boardCount;
                Trace(TRACE_INFO, "QXZAQStartLink()", "Started card on %s", device.c_str());
            }
        }
    }
    registry.closeKey(key);
    return link.boardCount;
}

uint32_t entry::QXZAQStopLink(void)
{
    LinkState& link = Link();
    std::vector<PortRef> ports = TakeAllBoards();
    // The units switch their raw output off together: one silent unit costs
    // one command wait, not one per unit.
    std::vector<std::future<uint32_t>> answers;
    for (const PortRef& port : ports) {
        try {
            answers.push_back(std::async(std::launch::async, [port] { return port->SetOption("DISRAW"); }));
        } catch (const std::system_error&) {
            // No thread to spare: this unit is asked in turn, and the ports still stop.
            port->SetOption("DISRAW");
        }
    }
    for (auto& answer : answers) {
        answer.wait();
    }
    StopPorts(std::move(ports));
    DestroyEventQueue();
    link.linkStarted = false;
    return ZAQ16_RET_SUCCESS;
}

uint32_t entry::QXZAQRestart(uint32_t board)
{
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const std::string device = port->GetPortName();
    const uint32_t start_channel = port->StartChannel();
    const std::string recordFile = port->RecordingFile();
    port->Restart();
    SetBoardPort(board, nullptr, BoardType(board));
    StopPorts({std::move(port)});
    if (SetupPort(device.c_str(), start_channel, board) < 1) {
        return ZAQ16_RET_RESTART_FAILED;
    }
    // A recording of every unit goes on with the restarted one (its raw output
    // is still off, so no packet has come in between).
    if (!recordFile.empty()) {
        if (PortRef restarted = BoardPort(board)) {
            restarted->RecordDumpFile(recordFile.c_str());
        }
    }
    return ZAQ16_RET_SUCCESS;
}

uint32_t entry::QXZAQGetLinkInfo(ZAQ16_LINK_INFO* info)
{
    Trace(TRACE_TRACE, "QXZAQGetLinkInfo", "Info pointer : %d", static_cast<int>(reinterpret_cast<intptr_t>(info)));
    if (info == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    if (info->size != sizeof(ZAQ16_LINK_INFO)) {
        return ZAQ16_RET_BAD_SIZE;
    }
    const uint32_t boards = Link().boardCount;
    info->boards = boards;
    info->channels = boards * ZAQ16_CHANNELS_PER_BOARD;
    return ZAQ16_RET_SUCCESS;
}

uint32_t entry::QXZAQGetBoardInfo(uint32_t board, ZAQ16_BOARD_INFO* info)
{
    Trace(TRACE_TRACE, "QXZAQGetBoardInfo", "Board : %d Info pointer %d", static_cast<int>(board),
          static_cast<int>(reinterpret_cast<intptr_t>(info)));
    if (info == nullptr) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    if (info->size != sizeof(ZAQ16_BOARD_INFO)) {
        return ZAQ16_RET_BAD_SIZE;
    }
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    const int32_t answered = port->GetPBXType();
    // A unit that stays silent now still runs the family its port was made for.
    info->pbxType = answered > 0 ? static_cast<uint32_t>(answered) : port->createdPbxType;
    std::memset(info->devicePath, 0, sizeof info->devicePath);
    std::snprintf(info->devicePath, sizeof info->devicePath, "%s", port->GetPortName());
    info->startChannel = port->StartChannel();
    if (!port->GetBoardInfo()) {
        Trace(TRACE_INFO, "GetBoardInfo", "PROBLEM GETTING VERSION");
    }
    const UnitAnswers& answers = port->Answers();
    info->hardwareVersion = static_cast<uint32_t>(answers.hardwareVersion.load());
    info->firmwareMajor = static_cast<uint32_t>(answers.firmwareMajor.load());
    info->firmwareMinor = static_cast<uint32_t>(answers.firmwareMinor.load());
    info->firmwareBuild = static_cast<uint32_t>(answers.firmwareBuild.load());
    Trace(TRACE_INFO, "GetBoardInfo", "%02d.%02d.%02d", answers.firmwareMajor.load(), answers.firmwareMinor.load(),
          answers.firmwareBuild.load());
    return ZAQ16_RET_SUCCESS;
}

uint32_t entry::QXZAQGetPBXType(uint32_t board)
{
    Trace(TRACE_TRACE, "QXZAQGetPBXType", "Board : %d ", static_cast<int>(board));
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    return static_cast<uint32_t>(port->GetPBXType());
}

uint32_t entry::QXZAQSetTraceLevel(int32_t level)
{
    TraceWriter& trace = LibraryTrace();
    const int32_t previous = trace.Level();
    Trace(TRACE_INFO, "QXZAQSetTraceLevel", "Trace Set to %d\n", level);
    if (level >= TRACE_FATAL && level <= TRACE_DEBUG) {
        trace.SetLevel(level);
    }
    return static_cast<uint32_t>(previous);
}
