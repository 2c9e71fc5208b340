#include <gtest/gtest.h>

#include "IsdnTestSupport.h"
#include "isdn/layer3/ISDNPTL3.h"

using namespace isdntest;

namespace {

class Layer3Test : public IsdnFixture {
protected:
    ISDNPTL3& Layer3(uint32_t index) { return *frontEnd.dataLinks[index]->layer3; }

    Line line0{frontEnd, 0, 64};
    Line line1{frontEnd, 1, 64};
};

// Information elements after a one-byte call reference and the message type.
Bytes Message(const Bytes& elements)
{
    return Bytes{0, 0, 0, 0} + Q931(1, kSetup, elements) + Bytes{0xEE, 0xEE};
}

}  // namespace

TEST_F(Layer3Test, RefusesBadHeaders)
{
    struct Case {
        Bytes message;  // after the link header
        uint32_t result;
    };
    const Case cases[] = {
        {{0x08, 0x02}, 0xE0090010},                // call reference length 2, 8 bytes in all
        {{0x08, 0x02, 0x05, 0x00}, 0xE0090010},    // no message type
        {{0x08, 0x01, 0x05}, 0xE0090010},          // no message type
        {{0x08, 0x03, 0x05, 0x00, 0x00, 0x05}, 0xE0090011},
        {{0x09, 0x01, 0x05, 0x05}, 0xE0090012},
        {{0x08, 0x01, 0x05, 0x05}, 0},
        {{0x08, 0x02, 0x00, 0x06, 0x05}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(line0.Co(c.message), c.result) << Hex(c.message);
    }
    EXPECT_EQ(Status(5).callState, isdn::kCallPresent);
    EXPECT_EQ(Status(6).callState, isdn::kCallPresent) << "two-byte reference 0x0006";
}

TEST_F(Layer3Test, BothDirectionsOfACallMeetOnOneEntity)
{
    ASSERT_EQ(line0.Co(Q931(0x05, kSetup, ChannelB(1))), 0u);
    ASSERT_EQ(line0.Cpe(Q931(0x85, kConnect)), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kActive);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_CONNECTED});
}

TEST_F(Layer3Test, MessagesForUnknownCallsAreDropped)
{
    EXPECT_EQ(line0.Cpe(Q931(0x85, kConnect)), 0u);
    EXPECT_EQ(Status(5).callState, kNoCall);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(Layer3Test, UserInformationChangesNoState)
{
    ASSERT_EQ(line0.Co(Q931(0x05, kSetup)), 0u);
    EXPECT_EQ(line0.Cpe(Q931(0x85, kUserInformation, Ie(0x7E, {0x04, 'x'}))), 0u);
    EXPECT_EQ(Status(5).callState, isdn::kCallPresent);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(Layer3Test, ASetupBeyondThePoolIsCountedAndDropped)
{
    for (uint8_t ref = 1; ref <= 16; ++ref) {
        ASSERT_EQ(line0.Co(Q931(ref, kSetup)), 0u);
    }
    EXPECT_EQ(line0.Co(Q931(17, kSetup)), 0u);
    EXPECT_EQ(line0.Cpe(Q931(18, kResume)), 0u);
    EXPECT_EQ(line0.Co(Q931(19, kSegment, Ie(0x00, {0x81, kSetup}))), 0u);
    EXPECT_EQ(Layer3(0).incomingCalls, 17u);
    EXPECT_EQ(Layer3(0).outgoingCalls, 1u);
    EXPECT_EQ(Status(17).callState, kNoCall);
    EXPECT_EQ(Status(18).callState, kNoCall);
    EXPECT_EQ(Status(19).callState, kNoCall);
}

TEST_F(Layer3Test, StatisticsCountCallsAndConnections)
{
    line0.Co(Q931(1, kSetup, ChannelB(1)));
    line0.Cpe(Q931(0x81, kConnect));
    line0.Cpe(Q931(2, kSetup));
    line0.Co(Q931(0x82, kConnect, ChannelB(2)));
    line0.Cpe(Q931(3, kSetup));
    // A refused suspend (state 14 back to 10) counts a connection; one that
    // times out does not (no message brings the call back).
    line0.Cpe(Q931(2, kSuspend));
    line0.Co(Q931(0x82, kSuspendReject, Cause(29)));
    EXPECT_EQ(Status(2).callState, isdn::kActive);
    line0.Cpe(Q931(2, kSuspend));
    Ticks(40);
    EXPECT_EQ(Status(2).callState, isdn::kActive);
    const ISDNPTL3& layer3 = Layer3(0);
    EXPECT_EQ(layer3.incomingCalls, 1u);
    EXPECT_EQ(layer3.incomingConnected, 1u);
    EXPECT_EQ(layer3.outgoingCalls, 2u);
    EXPECT_EQ(layer3.outgoingConnected, 2u);
    EXPECT_EQ(layer3.incomingStatus, 0u);
    EXPECT_EQ(layer3.outgoingStatus, 0u);
}

TEST_F(Layer3Test, AGlobalRestartOfAllInterfacesReleasesEveryLine)
{
    line0.Co(Q931(1, kSetup, ChannelB(1)));
    line0.Cpe(Q931(0x81, kConnect));
    line1.Co(Q931(2, kSetup, ChannelB(2)));
    line1.Cpe(Q931(0x82, kConnect));
    events.Take();
    const Bytes restart = Bytes{0x08, 0x00, kRestart} + Ie(0x79, {0x87});
    EXPECT_EQ(line0.Co(restart), 0u);
    EXPECT_EQ(events.TakeCodes(), (std::vector<uint32_t>{QXEVT_CALL_RELEASED, QXEVT_CALL_RELEASED}));
    EXPECT_EQ(Status(1).callState, kNoCall);
    EXPECT_EQ(Status(2).callState, kNoCall);
}

TEST_F(Layer3Test, ARestartOfOneChannelReleasesOnlyThatChannelOfItsLine)
{
    line0.Co(Q931(1, kSetup, ChannelB(1)));
    line0.Cpe(Q931(0x81, kConnect));
    line0.Co(Q931(3, kSetup, ChannelB(2)));
    line1.Co(Q931(2, kSetup, ChannelB(1)));
    line1.Cpe(Q931(0x82, kConnect));
    events.Take();
    const Bytes restart = Bytes{0x08, 0x00, kRestart} + ChannelB(1) + Ie(0x79, {0x80});
    EXPECT_EQ(line0.Co(restart), 0u);
    EXPECT_EQ(events.TakeCodes(), std::vector<uint32_t>{QXEVT_CALL_RELEASED});
    EXPECT_EQ(Status(1).callState, kNoCall);
    EXPECT_EQ(Status(3).callState, isdn::kCallPresent) << "B2 of the same line";
    EXPECT_EQ(Status(2).callState, isdn::kActive) << "B1 of another line";

    const Bytes noIndicator = Bytes{0x08, 0x00, kRestart} + ChannelB(2);
    EXPECT_EQ(line0.Co(noIndicator), 0u);
    EXPECT_EQ(Status(3).callState, isdn::kCallPresent) << "a RESTART without its indicator is ignored";
}

TEST_F(Layer3Test, SegmentsAreReassembledIntoOneMessage)
{
    const Bytes first = Q931(4, kSegment, Ie(0x00, {0x81, kSetup}) + ChannelB(2) + CallingNumber("5551234"));
    const Bytes last = Q931(4, kSegment, Ie(0x00, {0x00, kSetup}) + CalledNumber("200"));
    ASSERT_EQ(line0.Co(first), 0u);
    EXPECT_EQ(Status(4).callState, isdn::kNull) << "the entity waits for the rest";
    ASSERT_EQ(line0.Co(last), 0u);
    const ZAQ16_CALL_STATUS status = Status(4);
    EXPECT_EQ(status.callState, isdn::kCallPresent);
    EXPECT_EQ(status.bChannel, 2u);
    EXPECT_STREQ(status.callingNumber.digits, "5551234");
    EXPECT_STREQ(status.calledNumber.digits, "200");
    EXPECT_EQ(Layer3(0).incomingCalls, 0u) << "a SETUP rebuilt from segments is not counted";
    // Nor is the connection of a CONNECT rebuilt from segments.
    ASSERT_EQ(line0.Cpe(Q931(0x84, kSegment, Ie(0x00, {0x81, kConnect}) + ConnectedNumber("200"))), 0u);
    ASSERT_EQ(line0.Cpe(Q931(0x84, kSegment, Ie(0x00, {0x00, kConnect}))), 0u);
    EXPECT_EQ(Status(4).callState, isdn::kActive);
    EXPECT_STREQ(Status(4).connectedNumber.digits, "200");
    EXPECT_EQ(Layer3(0).incomingConnected, 0u);
}

TEST_F(Layer3Test, SegmentsOutOfOrderAreRefusedAndTheReassemblyKept)
{
    const Bytes first = Q931(4, kSegment, Ie(0x00, {0x82, kSetup}) + CallingNumber("777"));
    const Bytes skipped = Q931(4, kSegment, Ie(0x00, {0x00, kSetup}) + CalledNumber("9"));
    const Bytes otherType = Q931(4, kSegment, Ie(0x00, {0x01, kConnect}));
    const Bytes second = Q931(4, kSegment, Ie(0x00, {0x01, kSetup}));
    ASSERT_EQ(line0.Co(first), 0u);
    EXPECT_EQ(line0.Co(skipped), 0xE009001Cu);
    EXPECT_EQ(line0.Co(otherType), 0xE009001Cu);
    ASSERT_EQ(line0.Co(second), 0u);
    ASSERT_EQ(line0.Co(skipped), 0u);
    EXPECT_EQ(Status(4).callState, isdn::kCallPresent);
    EXPECT_STREQ(Status(4).calledNumber.digits, "9");

    EXPECT_EQ(line0.Co(Q931(5, kSegment, Ie(0x00, {0x88, kSetup}))), 0xE009001Cu) << "eight more to come";
    EXPECT_EQ(line0.Co(Q931(5, kSegment, CalledNumber("1"))), 0xE009001Bu) << "no segmented-message element";
}

TEST(GetIEPointer, FindsOnlyElementsWhollyInsideTheMessage)
{
    const Bytes message = Message(Ie(0x04, {0x80, 0x90}) + Ie(0x18, {0x81}) + Ie(0x70, {0x80, '1'}));
    const auto find = [&](const Bytes& bytes, uint8_t id, uint32_t codeset = 0, uint32_t occurrence = 1) {
        const uint8_t* ie = ISDNPTL3::GetIEPointer(bytes.data(), static_cast<uint32_t>(bytes.size()), id, codeset,
                                                   occurrence);
        return ie == nullptr ? -1 : static_cast<int>(ie - bytes.data());
    };
    EXPECT_EQ(find(message, 0x04), 8);
    EXPECT_EQ(find(message, 0x18), 12);
    EXPECT_EQ(find(message, 0x70), 15);
    EXPECT_EQ(find(message, 0x6C), -1);

    // An element whose length runs into the check bytes is not there.
    Bytes straddling = Message(Ie(0x70, {0x80, '1'}));
    straddling[9] = 4;
    EXPECT_EQ(find(straddling, 0x70), -1);
    // Nor is anything in a message without its type byte.
    const Bytes noType{0, 0, 0, 0, 0x08, 0x01, 0x05, 0xEE, 0xEE};
    EXPECT_EQ(find(noType, 0xEE), -1);
    EXPECT_EQ(ISDNPTL3::GetIEPointer(nullptr, 20, 0x04, 0, 1), nullptr);
}

TEST(GetIEPointer, FollowsShiftsOrderAndOccurrence)
{
    const auto find = [](const Bytes& bytes, uint8_t id, uint32_t codeset = 0, uint32_t occurrence = 1) {
        const uint8_t* ie = ISDNPTL3::GetIEPointer(bytes.data(), static_cast<uint32_t>(bytes.size()), id, codeset,
                                                   occurrence);
        return ie == nullptr ? -1 : static_cast<int>(ie - bytes.data());
    };
    // Sending complete (single byte), then two displays.
    const Bytes single = Message(Bytes{0xA1} + Ie(0x28, {'a'}) + Ie(0x28, {'b'}));
    EXPECT_EQ(find(single, 0xA1), 8);
    EXPECT_EQ(find(single, 0x28, 0, 2), 12);
    EXPECT_EQ(find(single, 0x28, 0, 3), -1);
    // Codeset 0 elements come in ascending order: past 0x70, no 0x28 is looked for.
    const Bytes unordered = Message(Ie(0x70, {0x80}) + Ie(0x18, {0x81}) + Ie(0x28, {'c'}));
    EXPECT_EQ(find(unordered, 0x28), -1);
    // A locking shift to codeset 6 ends the codeset 0 search; codeset 6 finds its own.
    const Bytes locking = Message(Ie(0x18, {0x81}) + Bytes{0x96} + Ie(0x28, {'d'}));
    EXPECT_EQ(find(locking, 0x28), -1);
    EXPECT_EQ(find(locking, 0x28, 6), 12);
    // A non-locking shift applies to the next element only.
    const Bytes nonLocking = Message(Bytes{0x9E} + Ie(0x28, {'e'}) + Ie(0x28, {'f'}));
    EXPECT_EQ(find(nonLocking, 0x28), 12);
    EXPECT_EQ(find(nonLocking, 0x28, 6), 9);
}
