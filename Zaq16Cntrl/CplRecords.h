// The control-panel protocol: message numbers and the two inquire records,
// laid out byte for byte as a 32-bit control panel reads them (the handle and
// the application data are 32-bit words).
#pragma once

#include <cstddef>
#include <cstdint>

namespace cpl {

enum Message : uint32_t {
    kInitialise = 1,
    kGetCount = 2,
    kInquire = 3,
    kSelect = 4,
    kDoubleClick = 5,
    kStop = 6,
    kExit = 7,
    kNewInquire = 8,
};

constexpr uint32_t kIconResource = 128;
constexpr uint32_t kNameString = 202;
constexpr uint32_t kInfoString = 203;
constexpr const char* kNameText = "ZAQ 16 Control Panel";
constexpr const char* kInfoText = "Control Panel";

#pragma pack(push, 1)
// Old style (message 3): resource identifiers only.
struct CPLINFO {
    int32_t idIcon;
    int32_t idName;
    int32_t idInfo;
    int32_t lData;
};

// New style (message 8): the texts themselves.
struct NEWCPLINFO {
    uint32_t dwSize;
    uint32_t dwFlags;
    uint32_t dwHelpContext;
    int32_t lData;
    uint32_t hIcon;
    char szName[32];
    char szInfo[64];
    char szHelpFile[128];
};
#pragma pack(pop)

static_assert(sizeof(CPLINFO) == 16, "CPLINFO is 16 bytes");
static_assert(sizeof(NEWCPLINFO) == 244, "NEWCPLINFO is 244 bytes");
static_assert(offsetof(NEWCPLINFO, hIcon) == 16 && offsetof(NEWCPLINFO, szName) == 20 &&
                  offsetof(NEWCPLINFO, szInfo) == 52 && offsetof(NEWCPLINFO, szHelpFile) == 116,
              "NEWCPLINFO fields at their offsets");

// The entry every applet exports.
using AppletEntry = int32_t (*)(void* window, uint32_t message, intptr_t index, intptr_t data);
constexpr const char* kEntryName = "CPlApplet";

}  // namespace cpl
