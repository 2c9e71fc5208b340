#include "IsdnTestSupport.h"

#include <cstdio>
#include <cstring>

namespace isdntest {

uint32_t EventCollector::Post(const ZAQ16_EVENT& event)
{
    RecordedEvent recorded;
    recorded.event = event;
    if (event.callRecord != nullptr) {
        if (event.eventCode == QXEVT_CALL_USER_INFO) {
            std::memcpy(&recorded.userInfo, event.callRecord, sizeof recorded.userInfo);
        } else {
            std::memcpy(&recorded.status, event.callRecord, sizeof recorded.status);
        }
    }
    recorded.event.callRecord = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(recorded);
    return 0;
}

std::vector<RecordedEvent> EventCollector::Take()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<RecordedEvent> taken;
    taken.swap(events_);
    return taken;
}

std::vector<uint32_t> EventCollector::TakeCodes()
{
    std::vector<uint32_t> codes;
    for (const RecordedEvent& recorded : Take()) {
        codes.push_back(recorded.event.eventCode);
    }
    return codes;
}

size_t EventCollector::Count()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return events_.size();
}

namespace {

const char* CallEventName(uint32_t code)
{
    switch (code) {
    case QXEVT_CALL_CONNECTED: return "CALL_CONNECTED";
    case QXEVT_CALL_RELEASED: return "CALL_RELEASED";
    case QXEVT_CALL_SUSPENDED: return "CALL_SUSPENDED";
    case QXEVT_CALL_RESUMED: return "CALL_RESUMED";
    case QXEVT_CALL_HELD: return "CALL_HELD";
    case QXEVT_CALL_RETRIEVED: return "CALL_RETRIEVED";
    case QXEVT_CALL_ABANDONED: return "CALL_ABANDONED";
    case QXEVT_CALL_REJECTED: return "CALL_REJECTED";
    case QXEVT_CALL_USER_INFO: return "CALL_USER_INFO";
    case QXEVT_CALL_ALERTING: return "CALL_ALERTING";
    default: return "UNKNOWN";
    }
}

std::string Digits(const ZAQ16_PARTY_NUMBER& number)
{
    return std::string(number.digits, strnlen(number.digits, sizeof number.digits));
}

}  // namespace

std::string Describe(const RecordedEvent& recorded)
{
    const ZAQ16_EVENT& event = recorded.event;
    char line[512];
    if (event.eventCode == QXEVT_CALL_USER_INFO) {
        const ZAQ16_CALL_USER_INFO& info = recorded.userInfo;
        std::snprintf(line, sizeof line, "%s board=%u channel=%u param=%u ref=%u source=%u type=%u text=\"%.*s\"",
                      CallEventName(event.eventCode), event.board, event.channel, event.param, info.callRef,
                      info.source, info.infoType, static_cast<int>(info.byteCount),
                      reinterpret_cast<const char*>(info.bytes));
    } else {
        const ZAQ16_CALL_STATUS& status = recorded.status;
        std::snprintf(line, sizeof line,
                      "%s board=%u channel=%u param=%u ref=%u dir=%u state=%u line=%u cause=%u b=%u calling=%s "
                      "called=%s connected=%s",
                      CallEventName(event.eventCode), event.board, event.channel, event.param, status.callRef,
                      status.direction, status.callState, status.line, status.cause, status.bChannel,
                      Digits(status.callingNumber).c_str(), Digits(status.calledNumber).c_str(),
                      Digits(status.connectedNumber).c_str());
    }
    return line;
}

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char octet[4];
    for (uint8_t byte : bytes) {
        std::snprintf(octet, sizeof octet, "%02X ", byte);
        text += octet;
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

Bytes ParseHex(std::string_view text)
{
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        }
        if (value < 0) {
            continue;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    return bytes;
}

}  // namespace isdntest
