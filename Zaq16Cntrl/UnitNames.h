// How units are named in the tree and the lists: "ZAQ #%d COM Port %s #%d".
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

// The port name of a board record's device path ("\\.\COM3" -> "COM3").
std::string PortNameOf(const char* devicePath);

// "ZAQ #<unit + 1> COM Port <port> #<serial>" when the board information can
// be read, else "ZAQ #<unit + 1>".
QString UnitLabel(uint32_t unit);

// The unit of a label: the number after its first five characters, minus 1.
std::optional<uint32_t> UnitOfLabel(const QString& label);

// The unit's port name; nothing when its board information cannot be read.
std::optional<std::string> UnitPortName(uint32_t unit);
