#include "common/dllsearch.h"
#include <windows.h>
#include <delayimp.h>
#include "common/handles.h"
#include "common/system.h"

namespace {
// Functions of Windows 8, or of 7 and Vista updated (KB2533623).
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef void*(WINAPI* AddDllDirectoryFn)(PCWSTR);
typedef BOOL(WINAPI* RemoveDllDirectoryFn)(void*);

SetDefaultDllDirectoriesFn setDefaultDllDirectories() {
    return reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(kernel32Function("SetDefaultDllDirectories")));
}

// Set once hardenDllSearch has cut the default search down to the system folder.
bool searchCutDown = false;

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
    SetDllDirectoryFn setDllDirectory =
        reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(kernel32Function("SetDllDirectoryA")));
    if (setDllDirectory) setDllDirectory("");
    // Where it exists (Windows 8, or 7 and Vista updated), every load that
    // names no folder of its own, bare names and the imports they pull in,
    // searches the system folder only. Loads of the product's own DLLs name
    // their folder (loadLibraryWithNeighbours).
    SetDefaultDllDirectoriesFn setDefault = setDefaultDllDirectories();
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) searchCutDown = true;
    // The theming code (uxtheme, as seen under Wine) loads msimg32.dll by
    // bare name when it first draws, a search that starts in the program's
    // own folder whatever the setting above. A bare name already loaded
    // resolves to the loaded module, so the system's copy is loaded now and
    // held until exit.
    loadSystemLibrary("msimg32.dll");
}

DllFolderInSearch::DllFolderInSearch(const char* folder) : cookie_(nullptr) {
    SetDefaultDllDirectoriesFn setDefault = setDefaultDllDirectories();
    AddDllDirectoryFn add =
        reinterpret_cast<AddDllDirectoryFn>(reinterpret_cast<void*>(kernel32Function("AddDllDirectory")));
    WCHAR wide[MAX_PATH];
    if (!searchCutDown || !setDefault || !add || !folder) return;
    if (!MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, MAX_PATH)) return;
    cookie_ = add(wide);
    // Folders added this way are searched only when the default names them.
    if (cookie_) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
}

DllFolderInSearch::~DllFolderInSearch() {
    if (!cookie_) return;
    // The wrapped call's error stays for its report.
    DWORD error = GetLastError();
    setDefaultDllDirectories()(LOAD_LIBRARY_SEARCH_SYSTEM32);
    RemoveDllDirectoryFn remove =
        reinterpret_cast<RemoveDllDirectoryFn>(reinterpret_cast<void*>(kernel32Function("RemoveDllDirectory")));
    if (remove) remove(cookie_);
    SetLastError(error);
}
