// Registry primitives on which every registry access of both programs rests.
#pragma once
#include <windows.h>

// Reads a string (REG_SZ, REG_EXPAND_SZ unexpanded, or REG_DWORD as raw
// bytes) into out (capacity characters). Opens the key with create
// semantics, so a missing key is created. Returns true when the value was
// read; otherwise out receives defaultText (null: empty). A value that does
// not fit the buffer is treated as missing.
bool readRegString(HKEY root, const char* subKey, const char* valueName, char* out, size_t capacity,
                   const char* defaultText);

template <size_t N>
bool readRegString(HKEY root, const char* subKey, const char* valueName, char (&out)[N], const char* defaultText) {
    return readRegString(root, subKey, valueName, out, N, defaultText);
}

// Deletes subKey under root with everything below it, depth first. Returns
// the system status: 0, or the code of the first call that failed.
LONG deleteRegTree(HKEY root, const char* subKey);

#ifdef ORLAN_SETUP
// Writes a value, creating the key. Texts are stored with their NUL counted;
// REG_BINARY and REG_MULTI_SZ data is never written. Returns false, with the
// registry's status as the last error, when the key cannot be opened or
// created or the value cannot be set.
bool writeRegValue(HKEY root, const char* subKey, const char* valueName, const void* data, DWORD type);
#endif
