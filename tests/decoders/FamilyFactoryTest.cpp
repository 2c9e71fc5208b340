// The port factory gives units of the MD110, Norstar and NEAX 2400 PBX codes
// their decoders, for live units and for playback alike.
#include <gtest/gtest.h>

#include "core/PortFactory.h"
#include "decoders/CNeax2400D.h"
#include "decoders/ERRICSOND.h"
#include "decoders/NORSTARD.h"
#include "unit/ZAQ16PORT.h"

namespace {

template <typename FamilyDecoder>
bool Is(const Decoder* decoder)
{
    return dynamic_cast<const FamilyDecoder*>(decoder) != nullptr;
}

TEST(FamilyFactory, EachCodeGetsItsDecoderLiveAndInPlayback)
{
    struct Case {
        uint32_t pbxType;
        bool (*is)(const Decoder*);
    };
    const Case cases[] = {
        {ZAQ16_PBX_ERICSSON_MD110, &Is<ERRICSOND>},   {ZAQ16_PBX_NORTEL_NORSTARD, &Is<NORSTARD>},
        {ZAQ16_PBX_NEC_DTERMIIID, &Is<CNeax2400D>},   {ZAQ16_PBX_NEAX2400D, &Is<CNeax2400D>},
        {ZAQ16_PBX_NEAX2400_IPXD, &Is<CNeax2400D>},   {ZAQ16_PBX_NEAX2400_ICSD, &Is<CNeax2400D>},
        {ZAQ16_PBX_NEAX2000D, &Is<CNeax2400D>},
    };
    for (const Case& c : cases) {
        for (const PortUse use : {PortUse::Real, PortUse::Virtual}) {
            const PortRef port = CreatePort(c.pbxType, use, nullptr, 33);
            ASSERT_NE(port, nullptr) << c.pbxType;
            EXPECT_TRUE(c.is(port->GetDecoder())) << c.pbxType;
            EXPECT_EQ(port->createdPbxType, c.pbxType);
        }
    }
}

TEST(FamilyFactory, TheBasicMd110AndNorstarCodesStayPlainPorts)
{
    for (const uint32_t pbxType : {ZAQ16_PBX_ERICSSON_MD110_BASIC, ZAQ16_PBX_NORTEL_NORSTAR, ZAQ16_PBX_NEAX}) {
        const PortRef port = CreatePort(pbxType, PortUse::Real, nullptr, 33);
        ASSERT_NE(port, nullptr) << pbxType;
        EXPECT_EQ(port->GetDecoder(), nullptr) << pbxType;
    }
}

}  // namespace
