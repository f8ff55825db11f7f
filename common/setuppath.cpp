#include "common/setuppath.h"
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
