#include "EventLog.h"

#include <cstdio>
#include <vector>

#include "common/EventNames.h"
#include "decoders/Decoder.h"

namespace {

std::string Readable(const std::vector<char>& display)
{
    std::string rows;
    std::string row;
    auto endRow = [&] {
        row.erase(row.find_last_not_of(' ') + 1);
        rows += row;
        row.clear();
    };
    for (const char c : display) {
        if (c == '\0') {
            break;
        }
        if (c == '\n') {
            endRow();
            rows += '|';
        } else {
            row += c;
        }
    }
    endRow();
    return rows;
}

}  // namespace

EventLog::EventLog(Decoder& decoder, const FakeClock& clock) : decoder_(decoder), clock_(clock), start_(clock.Now()) {}

uint32_t EventLog::Post(const ZAQ16_EVENT& event)
{
    const char* name = EventName(event.eventCode);
    char head[96];
    std::snprintf(head, sizeof head, "%u %u %s 0x%x", clock_.Now() - start_, event.channel,
                  name != nullptr ? name : "?", event.param);
    text += head;
    if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
        std::vector<char> display(event.param);
        decoder_.GetMessageOfChannel(event.channel, display.data(), event.param);
        text += " \"" + Readable(display) + "\"";
    }
    text += "\n";
    return 0;
}
