#include "LinkReport.h"

#include <cstring>

#include "common/PbxText.h"

namespace {

QString DevicePath(const ZAQ16_BOARD_INFO& info)
{
    return QString::fromLatin1(info.devicePath, static_cast<qsizetype>(strnlen(info.devicePath, sizeof info.devicePath)));
}

QString TwoDigits(uint32_t value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

}  // namespace

std::optional<QString> PbxTimeText(uint32_t board)
{
    uint32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (QXZAQGetPBXDate_Time(board, &year, &month, &day, &hour, &minute, &second) != ZAQ16_RET_SUCCESS) {
        return std::nullopt;
    }
    return TwoDigits(month) + "-" + TwoDigits(day) + "-" + TwoDigits(year) + " " + TwoDigits(hour) + ":" +
           TwoDigits(minute) + ":" + TwoDigits(second);
}

QString PortName(const ZAQ16_BOARD_INFO& info)
{
    return DevicePath(info).mid(4);
}

QStringList BoardLines(uint32_t board, const ZAQ16_BOARD_INFO& info, bool enableDChannel)
{
    const int b = static_cast<int>(board);
    QStringList lines;
    lines << QStringLiteral("Board Found %1 on %2 Starting Channel %3 PBX Type %4")
                 .arg(b)
                 .arg(DevicePath(info))
                 .arg(static_cast<int>(info.startChannel))
                 .arg(static_cast<int>(info.pbxType));
    lines << QString::fromLatin1(PbxText(info.pbxType));
    lines << PbxTimeText(board).value_or(QStringLiteral("UNKNOWN PBXTIME"));
    lines << QStringLiteral("Board %1 Firmware Version %2.%3.%4")
                 .arg(b)
                 .arg(static_cast<int>(info.firmwareMajor))
                 .arg(static_cast<int>(info.firmwareMinor))
                 .arg(static_cast<int>(info.firmwareBuild));
    if (QXZAQGetDChannelStatus(board) == 0) {
        if (enableDChannel) {
            const bool enabled = QXZAQEnableDChEvents(board) == ZAQ16_RET_SUCCESS;
            lines << QStringLiteral("Board %1 QXZAQEnableDChEvents %2").arg(b).arg(enabled ? "SUCCESS" : "FAIL");
        } else {
            QXZAQDisableDChEvents(board);
        }
    }
    lines << QStringLiteral("Board %1 QXZAQGetDChannelStatus %2")
                 .arg(b)
                 .arg(QXZAQGetDChannelStatus(board) != 0 ? "ON" : "OFF");
    return lines;
}
