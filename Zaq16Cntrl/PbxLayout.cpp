#include "PbxLayout.h"

#include <algorithm>
#include <initializer_list>

#include "qxzaqlnk.h"

namespace {

constexpr const char* kPbxNames[] = {
    "Nortel MeridianD", "Lucent 2 WireD",  "Lucent 4 WireD",  "NECD",            "Alcatel",
    "Aspect",           "Bosch",           "COMDIAL",         "Ericsson",        "Intecom",
    "Lucent 2 Wire",    "Lucent 4 Wire",   "NEC",             "Nitsuko",         "Nortel Norstar",
    "Nortel Meridian",  "Siemens-HiComm",  "TELRAD",          "InterTel",        "Siemens-HiCommD",
    "Merlin MagixD",    "AspectD",         "Nortel NorstarD", "EricssonD",       "NEAX 2400D",
    "InterTelD",        "NEAX 2400D",      "NEAX 2400D",      "NEAX 2000D",      "BRI - ISDN D",
    "FUJI 9600",        "FUJI 9600D",      "Merlin Magix",    "NEAX 2400",       "BRI - ISDN",
};

bool In(uint32_t code, std::initializer_list<uint32_t> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

constexpr const char* kMvipEight[] = {"Slots 0 to 7", "Slots 8 to 15", "Slots 16 to 23", "Slots 24 to 31"};
constexpr const char* kSixteen[] = {"Slots 0 to 15", "Slots 16 to 31", "Slots 32 to 47", "Slots 48 to 63"};
constexpr const char* kScsaEight[] = {"Slots 0,2,4,6,8,10,12,14", "Slots 16,18,20,22,24,26,28,30",
                                      "Slots 32,34,36,38,40,42,44,46", "Slots 48,50,52,54,56,58,60,62"};

}  // namespace

QString PbxName(uint32_t pbxType)
{
    if (pbxType < 1 || pbxType > std::size(kPbxNames)) {
        return {};
    }
    return kPbxNames[pbxType - 1];
}

bool HasEightSlotGroups(uint32_t pbxType)
{
    return In(pbxType, {3, 12, 30, 35});
}

bool UsesLightMasks(uint32_t pbxType)
{
    return In(pbxType, {1, 2, 3, 4, 20, 21, 23, 24, 26, 30, 31});
}

bool HasPbxLevel(uint32_t pbxType)
{
    return !In(pbxType, {12, 30, 35});
}

QStringList SlotGroups(int32_t bus, uint32_t pbxType)
{
    const bool scsa = bus == ZAQ16_BUS_SCSA;
    QStringList groups;
    if (HasEightSlotGroups(pbxType)) {
        for (const char* group : scsa ? kScsaEight : kMvipEight) {
            groups << group;
        }
    } else {
        for (size_t i = 0; i < (scsa ? 4u : 2u); ++i) {
            groups << kSixteen[i];
        }
    }
    return groups;
}

QStringList Streams(int32_t bus)
{
    QStringList streams;
    const int count = bus == ZAQ16_BUS_SCSA ? 16 : 8;
    for (int stream = 0; stream < count; ++stream) {
        streams << QString("Stream %1").arg(stream);
    }
    return streams;
}
