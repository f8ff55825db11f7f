#include "common/dllsearch.h"
#include <windows.h>
#include <delayimp.h>
#include "common/handles.h"

namespace {
// winspool.drv and comctl32.dll are delay-imported: their first use comes
// here, and the copy in the system folder is the one loaded.
FARPROC WINAPI loadFromSystemFolder(unsigned notify, PDelayLoadInfo info) {
    if (notify == dliNotePreLoadLibrary && info && info->szDll)
        return reinterpret_cast<FARPROC>(loadSystemLibrary(info->szDll));
    return nullptr;
}
}  // namespace

PfnDliHook __pfnDliNotifyHook2 = loadFromSystemFolder;

void hardenDllSearch() {
    // SetDllDirectoryA exists from XP SP1 on; an empty text drops the
    // current folder from the search order.
    typedef BOOL(WINAPI * SetDllDirectoryFn)(LPCSTR);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    SetDllDirectoryFn setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDllDirectoryA")));
    if (setDllDirectory) setDllDirectory("");
    // Where it exists (Windows 8, or 7 and Vista updated), every load that
    // names no folder of its own, bare names and the imports they pull in,
    // searches the system folder only. Loads of the product's own DLLs name
    // their folder (loadLibraryWithNeighbours).
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    SetDefaultDllDirectoriesFn setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The theming code (uxtheme, as seen under Wine) loads msimg32.dll by
    // bare name when it first draws, a search that starts in the program's
    // own folder whatever the setting above. A bare name already loaded
    // resolves to the loaded module, so the system's copy is loaded now and
    // held until exit.
    loadSystemLibrary("msimg32.dll");
}
