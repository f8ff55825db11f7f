/* A configuration module that imports the driver module beside it. When the
 * spooler has loaded it and sends it DRIVER_EVENT_INITIALIZE, it creates the
 * file named by ORLAN_DRIVER_EVENT_MARK. */
#include <windows.h>

__declspec(dllimport) int driverNeighbour(void);

__declspec(dllexport) BOOL WINAPI DrvDriverEvent(DWORD event, DWORD level, LPBYTE info, LPARAM parameter) {
    (void)event;
    (void)level;
    (void)info;
    (void)parameter;
    char mark[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ORLAN_DRIVER_EVENT_MARK", mark, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !driverNeighbour()) return TRUE;
    HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)self;
    (void)reason;
    (void)reserved;
    return TRUE;
}
