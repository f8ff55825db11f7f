#include "common/payload.h"
#include "common/text.h"

const ProductFile& productFile(FileRole role) {
    for (const ProductFile& file : kProductFiles)
        if (file.role == role) return file;
    return kProductFiles[0];  // not reached: the table holds every role
}

bool productFolder(char (&out)[MAX_PATH], FileFolder folder, const char* installDir, const char* driverDir) {
    out[0] = '\0';
    const char* base = folder == FileFolder::Install ? installDir : driverDir;
    // An empty folder would make "\name" in the current drive's root.
    if (folder == FileFolder::None || !base || !base[0]) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // "3" is the spooler's folder for the files of version-3 drivers.
    bool fits = folder == FileFolder::DriverVersion ? text::format(out, "%s\\3", base) : text::copy(out, base);
    if (fits) return true;
    out[0] = '\0';  // a cut path names some other folder
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

size_t longestInstallFolderName() {
    size_t longest = 0;
    for (const ProductFile& file : kProductFiles) {
        size_t length = static_cast<size_t>(lstrlenA(file.name));
        if (file.copiedTo == FileFolder::Install && length > longest) longest = length;
    }
    return longest;
}
