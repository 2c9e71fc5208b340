// An applet that notes each message it gets (one number and a space each) in
// the file named by $FAKE_APPLET_LOG. With $FAKE_APPLET_OLD set it leaves the
// new-style record empty, as an old applet does.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CplRecords.h"

extern "C" __attribute__((visibility("default"))) int32_t CPlApplet(void*, uint32_t message, intptr_t, intptr_t data)
{
    if (const char* log = std::getenv("FAKE_APPLET_LOG")) {
        if (FILE* file = std::fopen(log, "a")) {
            std::fprintf(file, "%u ", message);
            std::fclose(file);
        }
    }
    if (message == cpl::kGetCount) {
        return 1;
    }
    if (message == cpl::kNewInquire && std::getenv("FAKE_APPLET_OLD") == nullptr) {
        auto* record = reinterpret_cast<cpl::NEWCPLINFO*>(data);
        std::memset(record, 0, sizeof *record);
        record->dwSize = sizeof *record;
        std::strcpy(record->szName, "Fake");
        std::strcpy(record->szInfo, "Notes messages");
    }
    if (message == cpl::kInquire) {
        auto* record = reinterpret_cast<cpl::CPLINFO*>(data);
        record->idIcon = 1;
        record->idName = 2;
        record->idInfo = 3;
        record->lData = 0;
    }
    return 1;
}
