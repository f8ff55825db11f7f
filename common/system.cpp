#include "common/system.h"
#include "common/text.h"

HMODULE loadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    if (!text::append(path, "\\") || !text::append(path, name)) return nullptr;
    return loadLibraryWithNeighbours(path);
}

HMODULE loadLibraryWithNeighbours(const char* path) {
    // A full path alone decides only where the DLL itself comes from: the
    // DLLs it imports would still be looked for in the program's folder
    // first. The altered search starts in the DLL's own folder instead. The
    // search flags come with SetDefaultDllDirectories (Windows 8, or 7 and
    // Vista updated); once the process search is cut down to the system
    // folder, the DLL's own folder is named with them.
    DWORD flags = LOAD_WITH_ALTERED_SEARCH_PATH;
    if (kernel32Function("SetDefaultDllDirectories"))
        flags = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
    return LoadLibraryExA(path, nullptr, flags);
}

FARPROC kernel32Function(const char* name) { return GetProcAddress(GetModuleHandleA("kernel32.dll"), name); }
