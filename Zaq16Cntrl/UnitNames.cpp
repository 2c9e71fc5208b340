#include "UnitNames.h"

#include <cstring>

#include "qxzaqlnk.h"

std::string PortNameOf(const char* devicePath)
{
    static constexpr const char* kDevicePrefix = "\\\\.\\";
    const size_t length = strnlen(devicePath, sizeof(ZAQ16_BOARD_INFO::devicePath));
    std::string path(devicePath, length);
    if (path.compare(0, std::strlen(kDevicePrefix), kDevicePrefix) == 0) {
        path.erase(0, std::strlen(kDevicePrefix));
    }
    return path;
}

std::optional<std::string> UnitPortName(uint32_t unit)
{
    ZAQ16_BOARD_INFO info{};
    info.size = sizeof info;
    if (QXZAQGetBoardInfo(unit, &info) != ZAQ16_RET_SUCCESS) {
        return std::nullopt;
    }
    return PortNameOf(info.devicePath);
}

QString UnitLabel(uint32_t unit)
{
    const auto port = UnitPortName(unit);
    if (!port) {
        return QString("ZAQ #%1").arg(unit + 1);
    }
    uint32_t serial = ZAQ16_NO_ANSWER;
    QXZAQGetSerialNumber(unit, &serial);
    return QString("ZAQ #%1 COM Port %2 #%3")
        .arg(unit + 1)
        .arg(QString::fromStdString(*port))
        .arg(static_cast<int32_t>(serial));
}

std::optional<uint32_t> UnitOfLabel(const QString& label)
{
    if (label.size() <= 5) {
        return std::nullopt;
    }
    QString digits;
    for (qsizetype i = 5; i < label.size() && label[i].isDigit(); ++i) {
        digits += label[i];
    }
    bool ok = false;
    const uint32_t number = digits.toUInt(&ok);
    if (!ok || number == 0) {
        return std::nullopt;
    }
    return number - 1;
}
