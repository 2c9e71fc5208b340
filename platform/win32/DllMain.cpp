// The DLL's entry point: process attach and detach run the library's load and
// unload; thread attach and detach do nothing.
//
// The DLL pins itself at attach, so a FreeLibrary never unloads it while its
// reader threads may still run: stopping them inside DllMain would wait for
// threads that cannot end while the loader lock is held here, and an unloaded
// DLL under a running thread crashes it. Detach therefore comes when the
// process ends, after the system has ended every other thread.
#include <windows.h>

#include "core/LibraryLifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        // Thread notifications stay on: the static C++ runtime frees its
        // per-thread data on them.
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCSTR>(&DllMain), &self);
        LibraryAttach();
        break;
    }
    case DLL_PROCESS_DETACH:
        if (reserved != nullptr) {
            LibraryProcessExit();
        } else {
            LibraryDetach();  // FreeLibrary, possible only when the pin failed
        }
        break;
    default:
        break;
    }
    return TRUE;
}
