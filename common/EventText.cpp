#include "common/EventText.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "common/EventNames.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
    char text[200] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

const char* AudioPathName(uint32_t path, EventTextStyle style)
{
    static const char* const kTracePaths[] = {"", "Handset", "Handsfree", "Handset Receiver", "Speaker Monitor"};
    static const char* const kViewerPaths[] = {"Unknown", "Handset 1", "Handsfree 2", "HandsetReceiver 3",
                                               "Speaker Monitor 4"};
    const char* const* paths = style == EventTextStyle::Trace ? kTracePaths : kViewerPaths;
    return path < std::size(kTracePaths) ? paths[path] : paths[0];
}

bool InRange(uint32_t code, uint32_t first, uint32_t last)
{
    return code >= first && code <= last;
}

// Codes that the viewer lists by name and hexadecimal parameter although the
// trace calls them unknown: the connection codes, the named lamps, the call events.
bool ViewerNamesWithHexParameter(uint32_t code)
{
    return InRange(code, QXEVT_ABANDONED, QXEVT_MUTE_BUTTON_PRESSED) ||
           (InRange(code, QXEVT_LINE_LIGHT_OFF, QXEVT_CALLWAITING_LIGHT_QUICKFLASH) && EventName(code) != nullptr) ||
           (InRange(code, QXEVT_CALL_CONNECTED, QXEVT_CALL_REJECTED)) || code == QXEVT_CALL_ALERTING;
}

// At most 31 digits, ended by the digit count or an earlier zero byte.
std::string NumberDigits(const ZAQ16_PARTY_NUMBER& number)
{
    const size_t limit = sizeof number.digits - 1;
    const size_t count = number.digitCount < limit ? number.digitCount : limit;
    std::string digits(number.digits, count);
    return digits.substr(0, digits.find('\0'));
}

}  // namespace

std::vector<std::string> ViewerDisplayLines(const ZAQ16_EVENT& e, std::string_view display)
{
    const std::string prefix = Format("(%d) Board %d Channel %d  ", static_cast<int>(e.timeStamp),
                                      static_cast<int>(e.board), static_cast<int>(e.channel));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= display.size()) {
        size_t end = display.find('\n', start);
        if (end == std::string_view::npos) {
            end = display.size();
        }
        if (end > start) {
            lines.push_back(prefix + std::string(display.substr(start, end - start)));
        }
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ViewerCallNumberLines(const ZAQ16_EVENT& e, const ZAQ16_CALL_STATUS& call)
{
    const std::string prefix = Format("(%d) Board %d, Channel %d ", static_cast<int>(e.timeStamp),
                                      static_cast<int>(e.board), static_cast<int>(e.channel));
    return {prefix + "Calling Number : " + NumberDigits(call.callingNumber),
            prefix + "Called Number : " + NumberDigits(call.calledNumber)};
}

std::string EventText(const ZAQ16_EVENT& e, EventTextStyle style)
{
    // The tick, board and channel print as the signed numbers they always did.
    const int tick = static_cast<int>(e.timeStamp);
    const int board = static_cast<int>(e.board);
    const int channel = static_cast<int>(e.channel);
    const uint32_t code = e.eventCode;
    const char* name = EventName(code);

    switch (code) {
    case QXEVT_LIGHT_ON:
    case QXEVT_LIGHT_OFF:
    case QXEVT_LIGHT_FLASHING:
    case QXEVT_LIGHT_FASTFLASHING:
        if (e.param & (QXEVT_LAMP_GREEN | QXEVT_LAMP_RED)) {
            return Format("(%d) Board %d, Channel %d %s(%s %d)", tick, board, channel, name,
                          (e.param & QXEVT_LAMP_GREEN) ? "GREEN" : "RED", static_cast<int>(e.param & 0xFF));
        }
        return Format("(%d) Board %d, Channel %d %s(%d)", tick, board, channel, name,
                      static_cast<int>(e.param & 0xFF));
    case QXEVT_ONHOOK:
    case QXEVT_OFFHOOK:
    case QXEVT_STARTSTOP_ON:
    case QXEVT_STARTSTOP_OFF:
        return Format("(%d) Board %d, Channel %d %s ", tick, board, channel, name);
    case QXEVT_DIGIT_PRESSED:
        return Format(style == EventTextStyle::Trace ? "(%d) Board %d, Channel %d QXEVT_DIGIT(%c) "
                                                     : "(%d) Board %d, Channel %d QXEVT_DIGIT_PRESSED(%c) ",
                      tick, board, channel, static_cast<char>(e.param));
    case QXEVT_DIGIT_RELEASED:
        return Format("(%d) Board %d, Channel %d QXEVT_DIGIT_RELEASED(%c) ", tick, board, channel,
                      static_cast<char>(e.param));
    case QXEVT_MESSAGE_CHANGE:
    case QXEVT_DOWNLOAD_STATUS:
        return Format("(%d) Board %d, Channel %d %s (%d)", tick, board, channel, name, static_cast<int>(e.param));
    case QXEVT_FINISHED_PLAY:
        return Format("(%d) Board %d QXEVT_FINISHED_PLAY ", tick, board);
    case QXEVT_FUNCTION_BUTTON_PRESSED:
    case QXEVT_FUNCTION_BUTTON_RELEASED:
    case QXEVT_LINE_BUTTON_PRESSED:
        return Format("(%d) Board %d Channel %d %s(0x%04x)", tick, board, channel, name, e.param);
    case QXEVT_HOLD_BUTTON_PRESSED:
    case QXEVT_HOLD_BUTTON_RELEASED:
        return Format("(%d) Board %d, Channel %d %s(%d) ", tick, board, channel, name, static_cast<int>(e.param));
    case QXEVT_AUDIO_ON:
    case QXEVT_AUDIO_OFF:
        return Format("(%d) Board %d, Channel %d %s(%s)", tick, board, channel, name,
                      AudioPathName(e.param, style));
    default:
        break;
    }
    if (InRange(code, QXEVT_RELEASE_BUTTON_PRESSED, QXEVT_LIGHT_QUICKFLASH)) {
        return Format("(%d) Board %d, Channel %d %s(%d)", tick, board, channel, name, static_cast<int>(e.param));
    }
    if (InRange(code, QXEVT_DISPLAY_CLOCK, QXEVT_CONNECTED)) {
        return Format("(%d) Board %d, Channel %d %s(0x%04x)", tick, board, channel, name, e.param);
    }
    if (style == EventTextStyle::Viewer) {
        if (ViewerNamesWithHexParameter(code)) {
            return Format("(%d) Board %d, Channel %d %s(0x%04x)", tick, board, channel, name, e.param);
        }
        return Format("(%d) B %d, C%d UNKNOWN EVENT(0x%04x) ", tick, board, channel, code);
    }
    return Format("(%d) Board %d, Channel %d EVENT %x NOT KNOWN(0x%04x)", tick, board, channel, code, e.param);
}
