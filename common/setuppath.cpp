#include "common/setuppath.h"
#include "common/handles.h"
#include "common/product.h"
#include "common/registry.h"
#include "common/text.h"

bool setupPathFromInstallFolder(const char* installDir, char (&out)[MAX_PATH]) {
    return text::format(out, "%s\\", installDir);
}

bool installFolderFromSetupPath(const char* value, char (&out)[MAX_PATH]) {
    if (!value || !text::copy(out, value)) {
        out[0] = '\0';
        return false;
    }
    char* cut = text::lastSeparator(out);
    if (cut) *cut = '\0';

    // Only a fully qualified folder: "X:" (a drive root, from "X:\"),
    // "X:\..." or "\\server\share...". Anything else would be taken
    // relative to the current folder.
    bool drive = text::isLetter(out[0]) && out[1] == ':' && (out[2] == '\0' || out[2] == '\\');
    bool share = out[0] == '\\' && out[1] == '\\' && out[2] && out[2] != '\\';
    if (!drive && !share) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool readInstallFolder(HKEY root, char (&out)[MAX_PATH]) {
    out[0] = '\0';
    // Opened first: the reading primitive would create a missing key, and
    // setup asks before anything is installed. A number read as raw bytes
    // is no folder.
    RegKey key;
    DWORD type = 0;
    if (RegOpenKeyExA(root, product::kProductKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.get(), product::kSetupPathValue, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    char value[MAX_PATH];
    if (!readRegString(root, product::kProductKey, product::kSetupPathValue, value, "") || !value[0]) return false;
    return installFolderFromSetupPath(value, out);
}
