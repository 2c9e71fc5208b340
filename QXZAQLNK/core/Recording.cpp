// Recording every unit's packets into one dump file: the header names the
// units' PBX types, then each unit's port appends its own records.
#include <cstdio>
#include <string>
#include <vector>

#include "common/DumpFormat.h"
#include "core/Entries.h"
#include "core/LinkState.h"
#include "base/Trace.h"
#include "unit/DumpRecording.h"
#include "unit/ZAQ16PORT.h"

uint32_t entry::QXZAQRecordDChannelEvents(const char* file)
{
    Trace(TRACE_TRACE, "QXZAQRecordDChannelEvents", "Filename %s", file != nullptr ? file : "(null)");
    LinkState& link = Link();
    const uint32_t boards = link.boardCount;
    if (file == nullptr) {
        for (uint32_t board = 0; board < boards; ++board) {
            if (PortRef port = BoardPort(board)) {
                port->RecordDumpFile(nullptr);
            }
        }
        return ZAQ16_RET_SUCCESS;
    }
    // A path the ports cannot keep whole is refused rather than cut into another name.
    if (std::string(file).size() >= DumpRecording::kPathSize) {
        Trace(TRACE_ERROR, "QXZAQRecordDChannelEvents", "Filename %s cannot be created", file);
        return ZAQ16_RET_FAILED;
    }
    std::remove(file);
    std::FILE* dump = std::fopen(file, "wb");
    if (dump == nullptr) {
        Trace(TRACE_ERROR, "QXZAQRecordDChannelEvents", "Filename %s cannot be created", file);
        return ZAQ16_RET_FAILED;
    }
    std::vector<uint8_t> pbxTypes;
    for (uint32_t board = 0; board < boards; ++board) {
        pbxTypes.push_back(static_cast<uint8_t>(BoardType(board)));
    }
    std::vector<uint8_t> header;
    wire::AppendDumpHeader(header, pbxTypes);
    // The whole header is in the file before any port appends a record.
    const bool written = std::fwrite(header.data(), 1, header.size(), dump) == header.size();
    if (std::fclose(dump) != 0 || !written) {
        Trace(TRACE_ERROR, "QXZAQRecordDChannelEvents", "Filename %s cannot be created", file);
        return ZAQ16_RET_FAILED;
    }
    for (uint32_t board = 0; board < boards; ++board) {
        if (PortRef port = BoardPort(board)) {
            port->RecordDumpFile(file);
        }
    }
    return ZAQ16_RET_SUCCESS;
}

uint32_t entry::QXZAQUploadFirmware(uint32_t board, const char* file)
{
    Trace(TRACE_TRACE, "QXZAQUploadFirmware", "Board = %d : %s", static_cast<int>(board),
          file != nullptr ? file : "(null)");
    PortRef port = BoardPort(board);
    if (!port) {
        return ZAQ16_RET_INVALID_PARAM;
    }
    return port->UploadFirmware(file);
}
