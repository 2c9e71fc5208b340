// The texts of the link library's failure codes, and the box that shows them.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

// The text for `code` ("Unknown Error <code>" for a code not in the table).
std::string ErrorText(uint32_t code);
// True for a failure code of the library (0xE0000000 and above, but not the
// "no answer" value -1).
bool IsFailureCode(uint32_t code);
// Shows the text in a box captioned "Error!" and writes it to the applet's trace.
void processError(QWidget* parent, uint32_t code);
