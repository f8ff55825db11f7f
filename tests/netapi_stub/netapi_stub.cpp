// Stand-in NetApi32.dll for the administrator test. What it reports is set
// through the environment of the process that loads it:
//   ORLAN_NETAPI_STATUS  a non-zero status NetUserGetInfo fails with
//   ORLAN_NETAPI_PRIV    the usri1_priv it reports (default 1, a plain user)
//   ORLAN_NETAPI_MARK    a file it creates when NetUserGetInfo is called
#include <windows.h>
#include <lm.h>
#include <stdlib.h>

namespace {
DWORD environmentNumber(const char* name, DWORD fallback) {
    char value[32];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) return fallback;
    return strtoul(value, nullptr, 10);
}
}  // namespace

extern "C" NET_API_STATUS WINAPI NetUserGetInfo(LPCWSTR, LPCWSTR user, DWORD level, LPBYTE* buffer) {
    char mark[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ORLAN_NETAPI_MARK", mark, sizeof mark);
    if (length > 0 && length < sizeof mark) {
        HANDLE file = CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    DWORD status = environmentNumber("ORLAN_NETAPI_STATUS", 0);
    if (status) return status;
    if (level != 1 || !buffer || !user) return ERROR_INVALID_PARAMETER;
    USER_INFO_1* info = static_cast<USER_INFO_1*>(LocalAlloc(LPTR, sizeof(USER_INFO_1)));
    if (!info) return ERROR_NOT_ENOUGH_MEMORY;
    info->usri1_priv = environmentNumber("ORLAN_NETAPI_PRIV", USER_PRIV_USER);
    *buffer = reinterpret_cast<LPBYTE>(info);
    return NERR_Success;
}

extern "C" NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    LocalFree(buffer);
    return NERR_Success;
}
