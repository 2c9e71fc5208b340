// What happens when the library is loaded and unloaded: the trace settings
// are read and the log rotated; at unload every port is stopped.
#pragma once

void LibraryAttach();
void LibraryDetach();
// Unload while the process ends: the system has already ended every other
// thread, so no port is stopped (a lock may have died with its holder); only
// the unload is recorded.
void LibraryProcessExit();
