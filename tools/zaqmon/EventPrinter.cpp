#include "EventPrinter.h"

#include <cstdio>

#include "common/EventNames.h"
#include "common/EventText.h"

namespace {

std::string Prefix(const ZAQ16_EVENT& e)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%d) Board %d, Channel %d ", static_cast<int>(e.timeStamp),
                  static_cast<int>(e.board), static_cast<int>(e.channel));
    return text;
}

}  // namespace

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string CallJsonFields(const ZAQ16_CALL_STATUS& call)
{
    char fields[160];
    std::snprintf(fields, sizeof fields, "\"callRef\":%u,\"direction\":%u,\"state\":%u,\"cause\":%u,\"bChannel\":%u",
                  call.callRef, call.direction, call.callState, call.cause, call.bChannel);
    return fields + (",\"calledNumber\":" + JsonString(PartyNumberText(call.calledNumber))) +
           ",\"callingNumber\":" + JsonString(PartyNumberText(call.callingNumber)) +
           ",\"connectedNumber\":" + JsonString(PartyNumberText(call.connectedNumber));
}

bool IsCallEvent(uint32_t code)
{
    return (code >= QXEVT_CALL_CONNECTED && code <= QXEVT_CALL_REJECTED) || code == QXEVT_CALL_ALERTING;
}

std::string PartyNumberText(const ZAQ16_PARTY_NUMBER& number)
{
    size_t count = number.digitCount < sizeof number.digits ? number.digitCount : sizeof number.digits - 1;
    std::string digits(number.digits, count);
    const size_t end = digits.find('\0');
    return end == std::string::npos ? digits : digits.substr(0, end);
}

std::vector<std::string> EventLines(const ZAQ16_EVENT& event, const EventDetails& details)
{
    std::vector<std::string> lines = {EventText(event, EventTextStyle::Viewer)};
    if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
        if (details.displayError != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "Error Getting Message %x", details.displayError);
            lines.push_back(text);
        } else if (details.display) {
            const std::string& display = *details.display;
            char prefix[64];
            std::snprintf(prefix, sizeof prefix, "(%d) Board %d Channel %d  ", static_cast<int>(event.timeStamp),
                          static_cast<int>(event.board), static_cast<int>(event.channel));
            size_t start = 0;
            while (start <= display.size()) {
                size_t end = display.find('\n', start);
                if (end == std::string::npos) {
                    end = display.size();
                }
                const std::string piece = display.substr(start, end - start);
                if (!piece.empty()) {
                    lines.push_back(prefix + piece);
                }
                start = end + 1;
            }
        }
    }
    if (details.call != nullptr && IsCallEvent(event.eventCode)) {
        const ZAQ16_CALL_STATUS& call = *details.call;
        if (event.eventCode == QXEVT_CALL_CONNECTED) {
            lines.push_back(Prefix(event) + "Calling Number : " + PartyNumberText(call.callingNumber));
            lines.push_back(Prefix(event) + "Called Number : " + PartyNumberText(call.calledNumber));
        }
        char summary[160];
        std::snprintf(summary, sizeof summary, "  call %u %s: state %u, cause %u, called %s, calling %s",
                      call.callRef, call.direction == 1 ? "in" : call.direction == 2 ? "out" : "-", call.callState,
                      call.cause, PartyNumberText(call.calledNumber).c_str(),
                      PartyNumberText(call.callingNumber).c_str());
        lines.push_back(Prefix(event) + summary);
    }
    return lines;
}

std::string EventJson(const ZAQ16_EVENT& event, const EventDetails& details)
{
    const char* name = EventName(event.eventCode);
    char head[256];
    std::snprintf(head, sizeof head,
                  "{\"code\":%u,\"name\":%s,\"param\":%u,\"board\":%u,\"channel\":%u,\"timeStamp\":%u",
                  event.eventCode, name != nullptr ? JsonString(name).c_str() : "null", event.param, event.board,
                  event.channel, event.timeStamp);
    std::string json = head;
    if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
        if (details.display) {
            json += ",\"text\":" + JsonString(*details.display);
        } else if (details.displayError != 0) {
            json += ",\"error\":" + std::to_string(details.displayError);
        }
    }
    if (details.call != nullptr && IsCallEvent(event.eventCode)) {
        json += "," + CallJsonFields(*details.call);
    }
    return json + "}";
}
