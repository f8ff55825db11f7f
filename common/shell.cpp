// Shell and COM primitives that both programs contain.
#include "common/shell.h"
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>
#include "common/handles.h"
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
// Where the folder names below the root start: after "X:\", or after
// "\\server\share\"; null for any other path.
const char* firstName(const char* path) {
    if (text::isLetter(path[0]) && path[1] == ':' && path[2] == '\\') return path + 3;
    if (path[0] != '\\' || path[1] != '\\' || !path[2] || path[2] == '\\') return nullptr;
    const char* share = text::nextSeparator(path + 2);
    const char* after = share && share[1] && share[1] != '\\' ? text::nextSeparator(share + 1) : nullptr;
    return after ? after + 1 : nullptr;
}
}  // namespace

HeldFolders::HeldFolders(const char* folder) : safe_(false) {
    char path[MAX_PATH];
    if (!folder || !text::copy(path, folder)) return;
    const char* first = firstName(path);
    if (!first || !*first) return;
    char* name = path + (first - path);
    int held = 0;
    for (char* end = name;; end = CharNextA(end)) {
        if (*end != '\\' && *end != '\0') continue;
        const char saved = *end;
        *end = '\0';
        if (held == kMostFolders) return;
        // Held with read access and without delete sharing, a folder cannot be
        // renamed away and replaced until it is let go. Its attributes are
        // read by name once it is held: the handle of a link opened as itself
        // does not always say so (Wine's never does).
        folders_[held].reset(CreateFileA(path, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
        if (!folders_[held++]) return;
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return;
        *end = saved;
        if (!saved) break;
    }
    safe_ = true;
}

namespace {
// The special folder's path joined with relativePath into out, and in
// parent the folder that holds it. A path that does not fit would name some
// other file.
bool specialFolderItem(int csidl, const char* relativePath, char (&out)[MAX_PATH], char (&parent)[MAX_PATH]) {
    char folder[MAX_PATH];
    if (!relativePath || !specialFolderPath(csidl, folder) || !text::format(out, "%s\\%s", folder, relativePath))
        return false;
    text::copy(parent, out);
    char* cut = text::lastSeparator(parent);
    if (cut) *cut = '\0';
    return true;
}
}  // namespace

void deleteSpecialFolderFile(int csidl, const char* relativePath) {
    char file[MAX_PATH], parent[MAX_PATH];
    if (!specialFolderItem(csidl, relativePath, file, parent)) return;
    HeldFolders way(parent);
    if (way.safe()) DeleteFileA(file);
}

void removeSpecialFolderDirectory(int csidl, const char* relativePath) {
    char folder[MAX_PATH], parent[MAX_PATH];
    if (!specialFolderItem(csidl, relativePath, folder, parent)) return;
    HeldFolders way(parent);
    // A link in the folder's own place is removed itself, never its target.
    if (way.safe()) RemoveDirectoryA(folder);
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
