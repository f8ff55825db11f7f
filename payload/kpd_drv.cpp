// Stand-in for the product's printer driver (rendering module). It carries
// the entry points a spooler looks for in a user-mode driver, but it renders
// nothing: DrvEnableDriver declines, so a print job to this stand-in fails
// cleanly instead of producing a broken file.
#include <windows.h>

namespace {
const DWORD kQueryUserMode = 1;  // DRVQUERY_USERMODE
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

// Tells the graphics engine that this is a user-mode driver.
extern "C" __declspec(dllexport) BOOL WINAPI DrvQueryDriverInfo(DWORD mode, PVOID buffer, DWORD size,
                                                                PDWORD needed) {
    if (mode != kQueryUserMode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (needed) *needed = sizeof(DWORD);
    if (!buffer || size < sizeof(DWORD)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    *static_cast<DWORD*>(buffer) = TRUE;
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI DrvEnableDriver(ULONG, ULONG, PVOID) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

extern "C" __declspec(dllexport) VOID WINAPI DrvDisableDriver() {}
