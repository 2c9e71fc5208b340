// What happens when the library is loaded and unloaded: the trace settings
// are read and the log rotated; at unload every port is stopped.
#pragma once

void LibraryAttach();
void LibraryDetach();
