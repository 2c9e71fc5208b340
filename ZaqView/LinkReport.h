// The lines the viewer lists about the started link: one block per board
// that answers, and the PBX times.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "qxzaqlnk.h"

// "12-10-03 09:00:00" (month, day, year, hour, minute, second); none when the unit does not answer.
std::optional<QString> PbxTimeText(uint32_t board);

// The board's lines: found on, PBX, time, firmware, D-channel status. With
// `enableDChannel` the board's D-channel output is switched on (and the
// result listed), else it is switched off silently when it is off already.
QStringList BoardLines(uint32_t board, const ZAQ16_BOARD_INFO& info, bool enableDChannel);

// The port name of a device path ("\\.\COM1" -> "COM1").
QString PortName(const ZAQ16_BOARD_INFO& info);
