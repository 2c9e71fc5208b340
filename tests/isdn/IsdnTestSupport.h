// Small builders for D-channel frames and Q.931 messages, a driver for one
// basic-rate line of a front end, and an event collector.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/EventSink.h"
#include "isdn/frontend/ISDNPT.h"
#include "isdn/ProtocolVocabulary.h"
#include "qxzaqlnk.h"

namespace isdntest {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes left, const Bytes& right)
{
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

inline Bytes Text(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// An information element: identifier, length, contents.
inline Bytes Ie(uint8_t identifier, const Bytes& contents)
{
    return Bytes{identifier, static_cast<uint8_t>(contents.size())} + contents;
}

// Message types.
enum : uint8_t {
    kAlerting = 0x01,
    kCallProceeding = 0x02,
    kProgress = 0x03,
    kSetup = 0x05,
    kConnect = 0x07,
    kSetupAcknowledge = 0x0D,
    kConnectAcknowledge = 0x0F,
    kUserInformation = 0x20,
    kSuspendReject = 0x21,
    kResumeReject = 0x22,
    kHold = 0x24,
    kSuspend = 0x25,
    kResume = 0x26,
    kHoldAcknowledge = 0x28,
    kSuspendAcknowledge = 0x2D,
    kResumeAcknowledge = 0x2E,
    kHoldReject = 0x30,
    kRetrieve = 0x31,
    kRetrieveAcknowledge = 0x33,
    kRetrieveReject = 0x37,
    kDisconnect = 0x45,
    kRestart = 0x46,
    kRelease = 0x4D,
    kRestartAcknowledge = 0x4E,
    kReleaseComplete = 0x5A,
    kSegment = 0x60,
    kStatusEnquiry = 0x75,
    kInformation = 0x7B,
    kStatus = 0x7D,
};

// A Q.931 message with a one-byte call reference (`callRef` may carry the flag 0x80).
inline Bytes Q931(uint8_t callRef, uint8_t type, const Bytes& elements = {})
{
    return Bytes{0x08, 0x01, callRef, type} + elements;
}

// A frame: address (SAPI, C/R, TEI), control, information, two check bytes.
inline Bytes Frame(uint8_t sapi, uint8_t commandResponse, uint8_t tei, const Bytes& control,
                   const Bytes& information = {})
{
    const Bytes address{static_cast<uint8_t>((sapi << 2) | (commandResponse << 1)),
                        static_cast<uint8_t>((tei << 1) | 1)};
    return address + control + information + Bytes{0xA5, 0x5A};
}

// Common elements.
inline Bytes ChannelB(uint8_t channel)
{
    return Ie(0x18, {static_cast<uint8_t>(0x80 | channel)});
}
inline Bytes Bearer()
{
    return Ie(0x04, {0x80, 0x90, 0xA3});
}
inline Bytes CallingNumber(std::string_view digits)
{
    return Ie(0x6C, Bytes{0x01, 0x81} + Text(digits));
}
inline Bytes CalledNumber(std::string_view digits)
{
    return Ie(0x70, Bytes{0x80} + Text(digits));
}
inline Bytes ConnectedNumber(std::string_view digits)
{
    return Ie(0x4C, Bytes{0x01, 0x81} + Text(digits));
}
inline Bytes Cause(uint8_t value)
{
    return Ie(0x08, {0x80, static_cast<uint8_t>(0x80 | value)});
}
inline Bytes Display(std::string_view text)
{
    return Ie(0x28, Text(text));
}
inline Bytes Keypad(std::string_view digits)
{
    return Ie(0x2C, Text(digits));
}

// A call state no call has: what Status() reports for a call reference
// the monitor does not know.
inline constexpr uint32_t kNoCall = 99;

// Where a line's frames go: (framer, frame, time1) -> the receiver's result.
using FrameDelivery = std::function<uint32_t(uint32_t framer, const Bytes& frame, uint32_t time1)>;

// Drives one basic-rate line of a front end (or of anything that takes
// frames by framer): framer 2 x line carries the CO's frames, the next one
// the CPE's; I frames number themselves.
class Line {
public:
    Line(ISDNPT& frontEnd, uint32_t line, uint8_t tei = 64)
        : Line(
              [&frontEnd](uint32_t framer, const Bytes& frame, uint32_t time1) {
                  return frontEnd.HDLCFrameRcvd(framer, frame.data(), static_cast<uint32_t>(frame.size()), time1, 0);
              },
              line, tei)
    {
    }
    Line(FrameDelivery deliver, uint32_t line, uint8_t tei = 64) : deliver_(std::move(deliver)), line_(line), tei_(tei)
    {
    }

    uint32_t coFramer() const { return 2 * line_; }
    uint32_t cpeFramer() const { return 2 * line_ + 1; }

    uint32_t Co(const Bytes& message, uint32_t time1 = 0)
    {
        return CoFrame(Frame(0, 1, tei_, {NextNs(coNs_), 0x00}, message), time1);
    }
    uint32_t Cpe(const Bytes& message, uint32_t time1 = 0)
    {
        return CpeFrame(Frame(0, 0, tei_, {NextNs(cpeNs_), 0x00}, message), time1);
    }
    // A UI frame to every terminal of the line (TEI 127).
    uint32_t CoBroadcast(const Bytes& message, uint32_t time1 = 0)
    {
        return CoFrame(Frame(0, 1, 127, {0x03}, message), time1);
    }
    uint32_t CoFrame(const Bytes& frame, uint32_t time1 = 0) { return deliver_(coFramer(), frame, time1); }
    uint32_t CpeFrame(const Bytes& frame, uint32_t time1 = 0) { return deliver_(cpeFramer(), frame, time1); }

private:
    static uint8_t NextNs(uint8_t& ns)
    {
        const uint8_t control = static_cast<uint8_t>(ns << 1);
        ns = static_cast<uint8_t>((ns + 1) % 128);
        return control;
    }

    FrameDelivery deliver_;
    uint32_t line_;
    uint8_t tei_;
    uint8_t coNs_ = 0;
    uint8_t cpeNs_ = 0;
};

struct RecordedEvent {
    ZAQ16_EVENT event{};
    ZAQ16_CALL_STATUS status{};
    ZAQ16_CALL_USER_INFO userInfo{};
};

// Keeps a copy of every event and of the record it carries.
class EventCollector : public EventSink {
public:
    uint32_t Post(const ZAQ16_EVENT& event) override;

    std::vector<RecordedEvent> Take();
    std::vector<uint32_t> TakeCodes();
    size_t Count();

private:
    std::mutex mutex_;
    std::vector<RecordedEvent> events_;
};

// A started front end (multi-TEI, 32 framers, 16 call entities) with its events.
class IsdnFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(frontEnd.Start(1, 32, 16), 0u); }

    // The status of the first call with `callRef`; state kNoCall when there is none.
    ZAQ16_CALL_STATUS Status(uint32_t callRef)
    {
        ZAQ16_CALL_STATUS status{};
        status.callState = kNoCall;
        frontEnd.GetStatusByRef(callRef, &status);
        return status;
    }
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            frontEnd.Tick();
        }
    }

    EventCollector events;
    isdn::IsdnMonitor monitor;
    ISDNPT frontEnd{monitor, events};
};

// One line of text per event, as the golden files hold them.
std::string Describe(const RecordedEvent& recorded);

std::string Hex(const Bytes& bytes);
// Bytes from hex text ("02 FF 03", blanks optional).
Bytes ParseHex(std::string_view text);

}  // namespace isdntest
