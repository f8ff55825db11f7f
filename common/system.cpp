#include "common/handles.h"
#include "common/text.h"

HMODULE loadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    if (!text::append(path, "\\") || !text::append(path, name)) return nullptr;
    return LoadLibraryA(path);
}
