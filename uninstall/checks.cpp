#include "uninstall/uninstall.h"
#include <lm.h>
#include "common/handles.h"
#include "common/product.h"
#include "common/text.h"

HMODULE (*loadNetApiLibrary)(const char* name) = loadSystemLibrary;

namespace {
typedef NET_API_STATUS(WINAPI* NetUserGetInfoFn)(LPCWSTR server, LPCWSTR user, DWORD level, LPBYTE* buffer);
typedef NET_API_STATUS(WINAPI* NetApiBufferFreeFn)(LPVOID buffer);
}  // namespace

bool isUserAdmin(bool* isAdmin) {
    WCHAR user[256];
    DWORD size = 256;
    if (!GetUserNameW(user, &size)) return false;

    Library netApi(loadNetApiLibrary("NetApi32.dll"));
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

bool selfDeleteCommand(const char* comspec, const char* shortPath, char* out, size_t capacity) {
    bool hasSpace = false;
    for (const char* p = shortPath; *p; ++p)
        if (*p == ' ') hasSpace = true;
    return text::formatInto(out, capacity, hasSpace ? "%s /c del \"%s\"" : "%s /c del %s", comspec, shortPath);
}

DWORD selfDelete() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0) return GetLastError();
    if (length >= MAX_PATH) return ERROR_INSUFFICIENT_BUFFER;

    char comspec[MAX_PATH];
    SetLastError(ERROR_SUCCESS);
    length = GetEnvironmentVariableA("COMSPEC", comspec, MAX_PATH);
    if (length == 0) {
        DWORD error = GetLastError();
        return error ? error : ERROR_ENVVAR_NOT_FOUND;
    }
    if (length >= MAX_PATH) return ERROR_INSUFFICIENT_BUFFER;

    length = GetShortPathNameA(self, self, MAX_PATH);
    if (length == 0) return GetLastError();
    if (length >= MAX_PATH) return ERROR_INSUFFICIENT_BUFFER;

    char command[2 * MAX_PATH];
    if (!selfDeleteCommand(comspec, self, command, sizeof command)) return ERROR_INSUFFICIENT_BUFFER;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();

    // The command processor may run only once this process has the CPU to
    // end first and its file can be deleted even when it was read-only.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetFileAttributesA(self, FILE_ATTRIBUTE_NORMAL);
    SetPriorityClass(process.hProcess, IDLE_PRIORITY_CLASS);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
