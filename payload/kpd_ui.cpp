// Stand-in for the product's driver configuration module. It answers the
// spooler's questions honestly with "not supported" and shows no property
// sheets; the real module with its settings pages is not part of this build.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) DWORD WINAPI DrvDeviceCapabilities(HANDLE, PWSTR, WORD, PVOID, PVOID) {
    return GDI_ERROR;
}

extern "C" __declspec(dllexport) LONG WINAPI DrvDocumentPropertySheets(PVOID, LPARAM) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
}

extern "C" __declspec(dllexport) LONG WINAPI DrvDevicePropertySheets(PVOID, LPARAM) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
}
