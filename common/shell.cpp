// Shell and COM primitives that both programs contain.
#include "common/shell.h"
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>
#include "common/handles.h"
#include "common/protect.h"
#include "common/system.h"
#include "common/text.h"

bool specialFolderPath(int csidl, char (&out)[MAX_PATH]) {
    ZeroMemory(out, sizeof out);
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return false;
    BOOL found = SHGetPathFromIDListA(items, out);
    // The item list comes from the shell's task allocator.
    CoTaskMemFree(items);
    if (!found || !out[0]) {
        out[0] = '\0';
        return false;
    }
    // "C:\" stays "C:": joining with "\" gives the right path again.
    text::dropTrailingSeparator(out);
    return true;
}

namespace {
// The special folder's path joined with relativePath into out, and in
// parent the folder that holds it. A path that does not fit would name some
// other file.
bool specialFolderItem(int csidl, const char* relativePath, char (&out)[MAX_PATH], char (&parent)[MAX_PATH]) {
    char folder[MAX_PATH];
    if (!relativePath || !specialFolderPath(csidl, folder) || !text::format(out, "%s\\%s", folder, relativePath))
        return false;
    text::folderOfPath(out, parent);
    return true;
}

// Whether the way to what lies in parent kept it from being touched: not
// held, though parent is there. A user's own Start menu need not have the
// product's folder at all.
bool keptByTheWay(const HeldFolders& way, const char* parent) {
    if (way.safe()) return false;
    return GetFileAttributesA(parent) != INVALID_FILE_ATTRIBUTES || !isNotThere(GetLastError());
}

// A link in the item's own place goes itself, never its target: neither
// DeleteFile nor RemoveDirectory follows one.
bool removeSpecialFolderItem(int csidl, const char* relativePath, BOOL(WINAPI* remove)(LPCSTR)) {
    char item[MAX_PATH], parent[MAX_PATH];
    if (!specialFolderItem(csidl, relativePath, item, parent)) return true;
    HeldFolders way(parent);
    if (way.safe()) remove(item);
    return !keptByTheWay(way, parent);
}
}  // namespace

bool deleteSpecialFolderFile(int csidl, const char* relativePath) {
    return removeSpecialFolderItem(csidl, relativePath, DeleteFileA);
}

bool removeSpecialFolderDirectory(int csidl, const char* relativePath) {
    return removeSpecialFolderItem(csidl, relativePath, RemoveDirectoryA);
}

bool callDllRegistration(const char* dllPath, bool doRegister) {
    typedef HRESULT(STDAPICALLTYPE * RegistrationExport)();
    HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) {
        SetLastError(static_cast<DWORD>(hr));
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    bool registered = false;
    HMODULE library = dllPath ? loadLibraryWithNeighbours(dllPath) : nullptr;
    if (!library) {
        error = dllPath ? GetLastError() : ERROR_INVALID_PARAMETER;
    } else {
        RegistrationExport call = reinterpret_cast<RegistrationExport>(reinterpret_cast<void*>(
            GetProcAddress(library, doRegister ? "DllRegisterServer" : "DllUnregisterServer")));
        if (!call) {
            error = ERROR_PROC_NOT_FOUND;
        } else {
            hr = call();
            registered = SUCCEEDED(hr);
            if (!registered) error = static_cast<DWORD>(hr);
        }
        FreeLibrary(library);
    }
    OleUninitialize();
    // The caller may report why it failed: the load error, the missing
    // export, or the export's own result.
    SetLastError(error);
    return registered;
}
