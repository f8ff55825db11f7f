#include "uninstall/uninstall.h"
#include <lm.h>
#include "common/handles.h"
#include "common/product.h"
#include "common/system.h"
#include "common/text.h"

NetApiCalls systemNetApiCalls() { return NetApiCalls{loadSystemLibrary}; }
NetApiCalls netApiCalls = systemNetApiCalls();

namespace {
typedef NET_API_STATUS(WINAPI* NetUserGetInfoFn)(LPCWSTR server, LPCWSTR user, DWORD level, LPBYTE* buffer);
typedef NET_API_STATUS(WINAPI* NetApiBufferFreeFn)(LPVOID buffer);
}  // namespace

bool isUserAdmin(bool* isAdmin) {
    WCHAR user[256];
    DWORD size = 256;
    if (!GetUserNameW(user, &size)) return false;

    Library netApi(netApiCalls.loadLibrary("NetApi32.dll"));
    if (!netApi) return false;
    NetUserGetInfoFn getInfo =
        reinterpret_cast<NetUserGetInfoFn>(reinterpret_cast<void*>(GetProcAddress(netApi.get(), "NetUserGetInfo")));
    if (!getInfo) return false;
    NetApiBufferFreeFn freeBuffer = reinterpret_cast<NetApiBufferFreeFn>(
        reinterpret_cast<void*>(GetProcAddress(netApi.get(), "NetApiBufferFree")));

    LPBYTE record = nullptr;
    if (getInfo(nullptr, user, 1, &record) != NERR_Success) return false;
    // A library that reports success without a record tells nothing.
    if (!record) return false;
    bool admin = reinterpret_cast<USER_INFO_1*>(record)->usri1_priv == USER_PRIV_ADMIN;
    if (freeBuffer) freeBuffer(record);
    *isAdmin = admin;
    return true;
}

bool canWriteMachineRecords() {
    RegKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, product::kProductKey, 0, KEY_SET_VALUE | DELETE, key.receive()) ==
           ERROR_SUCCESS;
}

bool mayRemoveMachineInstall(bool adminTestDone, bool isAdmin, bool canWriteMachine) {
    if (adminTestDone) return isAdmin;
    return canWriteMachine;
}

bool selfDeleteCommand(const char* commandProcessor, const char* path, char (&folder)[MAX_PATH], char* out,
                       size_t capacity) {
    folder[0] = '\0';
    const char *name = nullptr, *folderName = nullptr;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\') {
            folderName = name;
            name = p + 1;
        }
    if (!folderName || !*name || *folderName == '\\') return false;
    // cmd will not run in a "\\server\share" folder: it falls back to the
    // Windows folder, where the names alone would mean other files.
    bool share = path[0] == '\\' && path[1] == '\\';
    const char* target = share ? path : folderName;
    // cmd expands %variables% even between quotes, and nothing escapes them
    // there; every other character of a file name is plain text in quotes.
    for (const char* p = target; *p; p = CharNextA(p))
        if (*p == '%') return false;
    char file[MAX_PATH], emptied[MAX_PATH];
    if (!text::copy(file, share ? path : name) || !text::copy(emptied, share ? path : folderName)) return false;
    emptied[(name - 1) - (share ? path : folderName)] = '\0';
    if (!share) {
        if (!text::copy(folder, path)) return false;
        folder[name - path] = '\0';  // keeps its backslash
    }
    // /d: no AutoRun commands, which the user's own hive can set; /v:off: "!"
    // is plain text whatever the registry says about delayed expansion. The
    // folder goes once cmd has left it, and only when it is empty by then.
    if (text::formatInto(out, capacity, share ? "\"%s\" /d /v:off /c del \"%s\" & rd \"%s\""
                                              : "\"%s\" /d /v:off /c del \"%s\" & cd .. & rd \"%s\"",
                         commandProcessor, file, emptied))
        return true;
    folder[0] = '\0';
    return false;
}

DWORD selfDelete() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0) return GetLastError();
    if (length >= MAX_PATH) return ERROR_INSUFFICIENT_BUFFER;
    return deleteAfterExit(self);
}

DWORD deleteAfterExit(const char* path) {
    // The system's own command processor: COMSPEC is the user's to set.
    char commandProcessor[MAX_PATH];
    DWORD length = GetSystemDirectoryA(commandProcessor, MAX_PATH);
    if (length == 0) return GetLastError();
    if (length >= MAX_PATH || !text::append(commandProcessor, "\\cmd.exe")) return ERROR_INSUFFICIENT_BUFFER;

    char shortPath[MAX_PATH];
    length = GetShortPathNameA(path, shortPath, MAX_PATH);
    if (length == 0) return GetLastError();
    if (length >= MAX_PATH) return ERROR_INSUFFICIENT_BUFFER;

    char folder[MAX_PATH];
    char command[3 * MAX_PATH + 64];
    if (!selfDeleteCommand(commandProcessor, shortPath, folder, command, sizeof command)) return ERROR_INVALID_NAME;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(commandProcessor, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder[0] ? folder : nullptr, &startup, &process))
        return GetLastError();

    // The command processor may run only once this process has the CPU to
    // end first and its file can be deleted even when it was read-only.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetFileAttributesA(shortPath, FILE_ATTRIBUTE_NORMAL);
    SetPriorityClass(process.hProcess, IDLE_PRIORITY_CLASS);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
