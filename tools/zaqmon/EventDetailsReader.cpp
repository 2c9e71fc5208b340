#include "EventDetailsReader.h"

#include <cstring>
#include <string>

EventDetails ReadEventDetails(const ZAQ16_EVENT& event, ZAQ16_CALL_STATUS& call)
{
    EventDetails details;
    if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
        std::string text(event.param + 1, '\0');
        const uint32_t result = QXZAQGetMessage(event.channel, text.data(), event.param);
        if (result == ZAQ16_RET_SUCCESS || result == ZAQ16_RET_TRUNCATED) {
            text.resize(event.param);
            const size_t end = text.find('\0');
            details.display = end == std::string::npos ? text : text.substr(0, end);
        } else {
            details.displayError = result;
        }
    }
    if (event.callRecord != nullptr && event.param == sizeof(ZAQ16_CALL_STATUS)) {
        std::memcpy(&call, event.callRecord, sizeof call);
        details.call = &call;
    } else if (event.callRecord == nullptr && IsCallEvent(event.eventCode)) {
        // A polled event comes without its record: the call is read by its
        // channel, as it stands now (an ended call shows its idle entity).
        uint32_t size = 0;
        if (QXZAQ_CC_GetStatusByCh(event.channel, &call, &size) == ZAQ16_RET_SUCCESS) {
            details.call = &call;
        }
    }
    return details;
}
