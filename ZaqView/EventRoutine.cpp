#include "EventRoutine.h"

#include <QStringList>
#include <algorithm>
#include <string>
#include <vector>

#include "ChannelSelection.h"
#include "EventInbox.h"
#include "common/EventText.h"

namespace {

QStringList ToLines(const std::vector<std::string>& lines)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        list.append(QString::fromLatin1(line));
    }
    return list;
}

QStringList AudioStatusLines(const ZAQ16_PHONE_STATUS& status)
{
    const auto hex = [](uint32_t value) { return QString::number(value, 16); };
    return {"CURRENT HANDSET AUDIO : " + hex(status.handsetAudio),
            "CURRENT HANDSFREE AUDIO : " + hex(status.handsfreeAudio),
            "CURRENT RECEIVER AUDIO : " + hex(status.handsetReceiverAudio),
            "CURRENT SPEAKER AUDIO : " + hex(status.speakerMonitorAudio)};
}

}  // namespace

EventRoutine::EventRoutine(const ChannelSelection& channels, EventInbox& inbox, PhoneReader reader)
    : channels_(channels), inbox_(inbox), reader_(reader)
{
}

uint32_t EventRoutine::ShowEvent(const ZAQ16_EVENT& event)
{
    const bool listed = channels_.IsListed(event.channel);
    if (event.eventCode == QXEVT_MESSAGE_CHANGE) {
        return ShowMessageChange(event, listed);
    }
    if (!listed) {
        return 0;
    }
    QStringList lines{QString::fromLatin1(EventText(event, EventTextStyle::Viewer))};
    if (event.eventCode == QXEVT_CALL_CONNECTED && event.callRecord != nullptr &&
        event.param >= sizeof(ZAQ16_CALL_STATUS)) {
        lines.append(ToLines(ViewerCallNumberLines(event, *static_cast<const ZAQ16_CALL_STATUS*>(event.callRecord))));
    }
    if ((event.eventCode == QXEVT_AUDIO_ON || event.eventCode == QXEVT_AUDIO_OFF) && PhoneStatusUpdate()) {
        ZAQ16_PHONE_STATUS status{};
        reader_.getPhoneStatus(event.channel, &status);
        lines.append(AudioStatusLines(status));
    }
    inbox_.AddLines(lines);
    return 1;
}

uint32_t EventRoutine::ShowMessageChange(const ZAQ16_EVENT& event, bool listed)
{
    QStringList lines;
    if (listed) {
        lines.append(QString::fromLatin1(EventText(event, EventTextStyle::Viewer)));
    }
    const uint32_t size = std::min(event.param, kMaxDisplayText);
    std::vector<char> buffer(size + 1, '\0');
    const uint32_t result = reader_.getMessage(event.channel, buffer.data(), size);
    if (result != ZAQ16_RET_SUCCESS && result != ZAQ16_RET_TRUNCATED) {
        if (!listed) {
            return 0;
        }
        lines.append(QStringLiteral("Error Getting Message %1").arg(result, 0, 16));
        inbox_.AddLines(lines);
        return 1;
    }
    const std::string text(buffer.data());
    const uint32_t firstChannel = event.board * ZAQ16_CHANNELS_PER_BOARD;
    if (event.channel > firstChannel && event.channel - firstChannel <= ZAQ16_CHANNELS_PER_BOARD) {
        inbox_.AddPane({event.board, event.channel - firstChannel, QString::fromLatin1(text)});
    }
    if (listed) {
        lines.append(ToLines(ViewerDisplayLines(event, text)));
        inbox_.AddLines(lines);
    }
    return 1;
}
