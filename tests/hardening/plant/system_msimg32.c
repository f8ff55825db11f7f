/* A stand-in for the system's msimg32.dll, laid into the system folder: its
 * three drawing exports go on to gdi32 as the system's own do, and it
 * imports a companion by bare name, as system DLLs import one another. The
 * loader looks for that companion along the search path of the load that
 * brought this DLL in. */
#include <windows.h>

__declspec(dllimport) int companionReady(void);

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)self;
    (void)reserved;
    return reason != DLL_PROCESS_ATTACH || companionReady();
}
