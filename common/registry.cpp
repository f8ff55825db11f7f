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

LONG deleteRegTree(HKEY root, const char* subKey) {
    RegKey key;
    LONG status = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, key.receive());
    if (status != ERROR_SUCCESS) return status;
    for (;;) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key.get(), 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        status = deleteRegTree(key.get(), name);
        if (status != ERROR_SUCCESS) return status;
    }
    key.reset();
    return RegDeleteKeyA(root, subKey);
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
