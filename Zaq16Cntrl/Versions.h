// Version texts: the link library's, from the file it was loaded from
// (libqxzaqlnk.so.<version>), and the applet's own, compiled in.
#pragma once

#include <string>

// "UNKNOWN" when the library's file name carries no version.
std::string LibraryVersion();
std::string AppletVersion();
// The version part of a shared library's file name ("libx.so.1.4.0" -> "1.4.0"); "" when none.
std::string VersionOfFileName(const std::string& path);
