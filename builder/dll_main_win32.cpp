// Entry point of the builder library: the progress dialog's template is
// in this library's resources, so the system's dialog needs its instance
// handle.
#include <windows.h>

#include "progress_dialog_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) lumo::platform::set_progress_module(instance);
    return TRUE;
}
