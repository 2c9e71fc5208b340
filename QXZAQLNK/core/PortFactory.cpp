#include "core/PortFactory.h"

#include <memory>

#include "core/EventDelivery.h"
#include "decoders/CNeax2400D.h"
#include "decoders/DEFINITY2D.h"
#include "decoders/DMERIDIAN.h"
#include "decoders/ERRICSOND.h"
#include "decoders/NORSTARD.h"
#include "decoders/FUJITSU.h"
#include "decoders/HICOMD.h"
#include "decoders/INTERTELD.h"
#include "decoders/MERLINMAGIXD.h"
#include "isdn/port/BRI.h"
#include "unit/ZAQ16PORT.h"

namespace {

using DecoderMaker = std::unique_ptr<Decoder> (*)(DecoderContext& context);

template <typename FamilyDecoder>
std::unique_ptr<Decoder> Make(DecoderContext& context)
{
    return std::make_unique<FamilyDecoder>(context);
}

std::unique_ptr<Decoder> MakeBri(DecoderContext& context)
{
    return std::make_unique<BRI>(context, Link().isdnMonitor);
}

enum class Uses : uint8_t {
    LiveAndPlayback,
    LiveOnly,   // a unit of this type is not played back
};

struct PortClassRow {
    uint32_t pbxType;
    DecoderMaker decoder;   // null: a plain port, which records and plays packets without decoding them
    Uses uses = Uses::LiveAndPlayback;
};

constexpr DecoderMaker kPlain = nullptr;

// Types without a row (ZAQ16_PBX_ASPECTD, and every value not listed) get no port.
constexpr PortClassRow kPortClasses[] = {
    {ZAQ16_PBX_NORTEL_MERIDIAND, &Make<DMERIDIAN>},
    {ZAQ16_PBX_LUCENT_DEFINITY2D, &Make<DEFINITY2D>},
    {ZAQ16_PBX_LUCENT_DEFINITY4D, kPlain},
    {ZAQ16_PBX_NEC_DTERMIIID, &Make<CNeax2400D>},
    {ZAQ16_PBX_ALCATEL_4K, kPlain},
    {ZAQ16_PBX_ASPECT_TELESET, kPlain},
    {ZAQ16_PBX_BOSCH_INTEGRAL, kPlain},
    {ZAQ16_PBX_COMDIAL_IMPACT, kPlain},
    {ZAQ16_PBX_ERICSSON_MD110_BASIC, kPlain},
    {ZAQ16_PBX_INTECOM_E, kPlain},
    {ZAQ16_PBX_LUCENT_DEFINITY2, kPlain},
    {ZAQ16_PBX_LUCENT_DEFINITY4, kPlain},
    {ZAQ16_PBX_NEC_DTERMIII, kPlain},
    {ZAQ16_PBX_NITSUKO_ISERIES, kPlain},
    {ZAQ16_PBX_NORTEL_NORSTAR, kPlain},
    {ZAQ16_PBX_NORTEL_MERIDIAN, kPlain},
    {ZAQ16_PBX_SIEMENS_HICOM, kPlain},
    {ZAQ16_PBX_TELRAD_IS2W, kPlain},
    {ZAQ16_PBX_INTERTEL_AXXESS, kPlain},
    {ZAQ16_PBX_SIEMENS_HICOMD, &Make<HICOMD>},
    {ZAQ16_PBX_MERLIN_MAGIXD, &Make<MERLINMAGIXD>},
    {ZAQ16_PBX_NORTEL_NORSTARD, &Make<NORSTARD>},
    {ZAQ16_PBX_ERICSSON_MD110, &Make<ERRICSOND>},
    {ZAQ16_PBX_NEAX2400D, &Make<CNeax2400D>},
    {ZAQ16_PBX_INTERTEL_AXXESSD, &Make<INTERTELD>},
    {ZAQ16_PBX_NEAX2400_IPXD, &Make<CNeax2400D>},
    {ZAQ16_PBX_NEAX2400_ICSD, &Make<CNeax2400D>},
    {ZAQ16_PBX_NEAX2000D, &Make<CNeax2400D>},
    {ZAQ16_PBX_BRID, &MakeBri},
    {ZAQ16_PBX_FUJI9600D, &Make<FUJITSU>},
    {ZAQ16_PBX_FUJI9600, kPlain, Uses::LiveOnly},
    {ZAQ16_PBX_MERLIN_MAGIX, kPlain},
    {ZAQ16_PBX_NEAX, kPlain},
    {ZAQ16_PBX_BRI, kPlain},
    {ZAQ16_PBX_UNKNOWN, kPlain},
};

}  // namespace

PortRef CreatePort(uint32_t pbxType, PortUse use, const char* device, uint32_t start_channel)
{
    for (const PortClassRow& row : kPortClasses) {
        if (row.pbxType != pbxType) {
            continue;
        }
        if (use == PortUse::Virtual && row.uses == Uses::LiveOnly) {
            return nullptr;
        }
        const ZAQ16PORT::DecoderMaker decoder = row.decoder != nullptr ? ZAQ16PORT::DecoderMaker(row.decoder) : nullptr;
        PortRef port = std::make_shared<ZAQ16PORT>(use == PortUse::Real ? device : nullptr, start_channel,
                                                   LibraryEventSink(), decoder);
        port->createdPbxType = pbxType;
        return port;
    }
    return nullptr;
}
