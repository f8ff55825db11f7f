#include "common/registry.h"
#include "common/handles.h"
#include "common/text.h"

bool readRegString(HKEY root, const char* subKey, const char* valueName, char* out, size_t capacity,
                   const char* defaultText) {
    RegKey key;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE, nullptr,
                        key.receive(), nullptr) != ERROR_SUCCESS) {
        text::copyInto(out, capacity, defaultText);
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key.get(), valueName, nullptr, &type, nullptr, &size);
    bool readable = status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD);
    if (readable && size <= capacity) {
        DWORD readSize = static_cast<DWORD>(capacity);
        if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(out), &readSize) ==
            ERROR_SUCCESS) {
            // Stored text may lack its terminator; text that fills the whole
            // buffer without one does not fit and counts as missing.
            if (readSize < capacity) {
                out[readSize] = '\0';
                return true;
            }
            if (out[capacity - 1] == '\0') return true;
        }
    }
    text::copyInto(out, capacity, defaultText);
    return false;
}

namespace {
typedef LONG(NTAPI* NtDeleteKeyFn)(HANDLE key);
typedef ULONG(NTAPI* RtlNtStatusToDosErrorFn)(LONG status);

// A registry link carries its target in this value, of type REG_LINK.
bool isLink(HKEY key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Opens name under parent as itself: a link is opened, not followed.
LONG openAsItself(HKEY parent, const char* name, RegKey& out) {
    return RegOpenKeyExA(parent, name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, out.receive());
}

// Deletes the key that key is open on. RegDeleteKey would look the name up
// again, through any link that stands there by then; ntdll's call deletes
// the key the handle holds, a link as itself.
LONG deleteOpenKey(HKEY key) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    NtDeleteKeyFn deleteKey =
        reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
    RtlNtStatusToDosErrorFn toError = reinterpret_cast<RtlNtStatusToDosErrorFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (!deleteKey || !toError) return ERROR_PROC_NOT_FOUND;
    LONG status = deleteKey(key);
    return status >= 0 ? ERROR_SUCCESS : static_cast<LONG>(toError(status));
}

// The key and everything below it, depth first; links are deleted, never
// entered.
LONG deleteOpenTree(HKEY key) {
    char last[256] = "";
    while (!isLink(key)) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        // A key still there after its deletion would be met for ever.
        if (lstrcmpiA(name, last) == 0) return ERROR_CANTWRITE;
        text::copy(last, name);
        RegKey child;
        LONG status = openAsItself(key, name, child);
        if (status == ERROR_SUCCESS) status = deleteOpenTree(child.get());
        if (status != ERROR_SUCCESS) return status;
    }
    return deleteOpenKey(key);
}
}  // namespace

LONG deleteRegTree(HKEY root, const char* subKey) {
    // Any program of the user's may make a key of the user's own hive a link
    // to a key of the machine's. Each step of the path is opened as itself;
    // a link on the way means the key is not there.
    char path[MAX_PATH];
    if (!subKey || !*subKey || !text::copy(path, subKey)) return ERROR_INVALID_PARAMETER;
    RegKey key;
    HKEY parent = root;
    for (char* name = path;;) {
        char* end = name;
        while (*end && *end != '\\') ++end;  // key names are ASCII here
        const bool last = *end == '\0';
        *end = '\0';
        RegKey next;
        LONG status = openAsItself(parent, name, next);
        if (status != ERROR_SUCCESS) return status;
        key.reset(next.release());
        if (last) break;
        if (isLink(key.get())) return ERROR_FILE_NOT_FOUND;
        parent = key.get();
        name = end + 1;
    }
    return deleteOpenTree(key.get());
}

#ifdef ORLAN_SETUP
bool writeRegValue(HKEY root, const char* subKey, const char* valueName, const void* data, DWORD type) {
    RegKey key;
    LONG status = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                  key.receive(), nullptr);
    if (status == ERROR_SUCCESS) {
        switch (type) {
        case REG_BINARY:
        case REG_MULTI_SZ:
            break;
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN:
            status = RegSetValueExA(key.get(), valueName, 0, type, static_cast<const BYTE*>(data), 4);
            break;
        default: {
            const char* value = static_cast<const char*>(data);
            status = RegSetValueExA(key.get(), valueName, 0, type, reinterpret_cast<const BYTE*>(value),
                                    lstrlenA(value) + 1);
            break;
        }
        }
    }
    // The registry calls return their status instead of setting it.
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return false;
    }
    return true;
}
#endif
