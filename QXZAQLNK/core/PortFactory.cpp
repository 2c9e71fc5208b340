#include "core/PortFactory.h"

#include <memory>

#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
#include "isdn/port/BRI.h"
#include "unit/ZAQ16PORT.h"

namespace {

using Maker = PortRef (*)(const char* device, uint32_t start_channel);

template <typename Port>
PortRef Make(const char* device, uint32_t start_channel)
{
    return std::make_shared<Port>(device, start_channel);
}

struct PortClassRow {
    uint32_t pbxType;
    Maker real;
    Maker virtualPort;   // null: a unit of this type is not played back
};

constexpr Maker kPlain = &Make<ZAQ16PORT>;

PortRef MakeBri(const char* device, uint32_t start_channel)
{
    return std::make_shared<BRI>(device, start_channel, Link().isdnMonitor);
}

// Types without a row (ZAQ16_PBX_ASPECTD, and every value not listed) get no port.
constexpr PortClassRow kPortClasses[] = {
    {ZAQ16_PBX_NORTEL_MERIDIAND, &Make<DMERIDIAN>, &Make<DMERIDIAN>},
    {ZAQ16_PBX_LUCENT_DEFINITY2D, &Make<DEFINITY2D>, &Make<DEFINITY2D>},
    {ZAQ16_PBX_LUCENT_DEFINITY4D, kPlain, kPlain},
    {ZAQ16_PBX_NEC_DTERMIIID, kPlain, kPlain},
    {ZAQ16_PBX_ALCATEL_4K, kPlain, kPlain},
    {ZAQ16_PBX_ASPECT_TELESET, kPlain, kPlain},
    {ZAQ16_PBX_BOSCH_INTEGRAL, kPlain, kPlain},
    {ZAQ16_PBX_COMDIAL_IMPACT, kPlain, kPlain},
    {ZAQ16_PBX_ERICSSON_MD110_BASIC, kPlain, kPlain},
    {ZAQ16_PBX_INTECOM_E, kPlain, kPlain},
    {ZAQ16_PBX_LUCENT_DEFINITY2, kPlain, kPlain},
    {ZAQ16_PBX_LUCENT_DEFINITY4, kPlain, kPlain},
    {ZAQ16_PBX_NEC_DTERMIII, kPlain, kPlain},
    {ZAQ16_PBX_NITSUKO_ISERIES, kPlain, kPlain},
    {ZAQ16_PBX_NORTEL_NORSTAR, kPlain, kPlain},
    {ZAQ16_PBX_NORTEL_MERIDIAN, kPlain, kPlain},
    {ZAQ16_PBX_SIEMENS_HICOM, kPlain, kPlain},
    {ZAQ16_PBX_TELRAD_IS2W, kPlain, kPlain},
    {ZAQ16_PBX_INTERTEL_AXXESS, kPlain, kPlain},
    {ZAQ16_PBX_SIEMENS_HICOMD, kPlain, kPlain},
    {ZAQ16_PBX_MERLIN_MAGIXD, kPlain, kPlain},
    {ZAQ16_PBX_NORTEL_NORSTARD, kPlain, kPlain},
    {ZAQ16_PBX_ERICSSON_MD110, kPlain, kPlain},
    {ZAQ16_PBX_NEAX2400D, kPlain, kPlain},
    {ZAQ16_PBX_INTERTEL_AXXESSD, kPlain, kPlain},
    {ZAQ16_PBX_NEAX2400_IPXD, kPlain, kPlain},
    {ZAQ16_PBX_NEAX2400_ICSD, kPlain, kPlain},
    {ZAQ16_PBX_NEAX2000D, kPlain, kPlain},
    {ZAQ16_PBX_BRID, &MakeBri, &MakeBri},
    {ZAQ16_PBX_FUJI9600D, kPlain, kPlain},
    {ZAQ16_PBX_FUJI9600, kPlain, nullptr},
    {ZAQ16_PBX_MERLIN_MAGIX, kPlain, kPlain},
    {ZAQ16_PBX_NEAX, kPlain, kPlain},
    {ZAQ16_PBX_BRI, kPlain, kPlain},
    {ZAQ16_PBX_UNKNOWN, kPlain, kPlain},
};

}  // namespace

PortRef CreatePort(uint32_t pbxType, PortUse use, const char* device, uint32_t start_channel)
{
    for (const PortClassRow& row : kPortClasses) {
        if (row.pbxType != pbxType) {
            continue;
        }
        const Maker maker = use == PortUse::Real ? row.real : row.virtualPort;
        if (maker == nullptr) {
            return nullptr;
        }
        PortRef port = maker(use == PortUse::Real ? device : nullptr, start_channel);
        port->createdPbxType = pbxType;
        return port;
    }
    return nullptr;
}
