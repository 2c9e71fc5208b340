// The text format of Windows registry exports ("Windows Registry Editor
// Version 5.00"), read tolerantly and written as regedit writes it.
#pragma once

#include <string>
#include <string_view>

#include "RegFileDocument.h"

namespace platform::registry::file {

// Reads a registry file's text: UTF-8 (with or without a byte-order mark) or
// UTF-16LE with its mark, as regedit saves it. Comments (";"), blank lines,
// CR LF or LF line ends, blanks around names and "=", hex data continued over
// several lines, "@" default values, "[-key]" and "name"=- deletions are
// understood. A line that cannot be read is skipped, and so are the values
// below a section header that cannot be read.
Document ParseRegText(std::string_view text);

// The document as a registry file (CR LF line ends, so that regedit imports it).
std::string FormatRegText(const Document& document);

}  // namespace platform::registry::file
