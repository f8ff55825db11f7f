// The install folder before the run changes anything: made new, used as it
// is, taken over from the earlier installation, or refused.
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/setuppath.h"
#include "common/text.h"
#include "install/install.h"

namespace {

// The same folder by its file system identity, whatever its names (short
// or long form, letter case, a trailing separator).
bool sameFolder(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const char* paths[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        if (!paths[i] || !paths[i][0]) return false;
        FileHandle folder(CreateFileA(paths[i], FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!folder || !GetFileInformationByHandle(folder.get(), &info[i])) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool isInstallFolderFile(const char* name) {
    for (const ProductFile& file : kProductFiles)
        if ((file.copiedTo == FileFolder::Install || file.removedFrom == FileFolder::Install) &&
            text::sameAsciiName(name, -1, file.name))
            return true;
    return false;
}

// Nothing but the product's own files: the descriptor handed to a folder
// reaches all it holds, so a folder that holds more (a drive root, the
// Windows folder, a planted DLL) is never taken over.
bool holdsOnlyProductFiles(const char* folder) {
    char pattern[MAX_PATH];
    if (!text::format(pattern, "%s\\*", folder)) return false;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    if (!search) return false;
    do {
        bool dots = !lstrcmpA(found.cFileName, ".") || !lstrcmpA(found.cFileName, "..");
        bool file = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (!dots && !(file && isInstallFolderFile(found.cFileName))) return false;
    } while (FindNextFileA(search.get(), &found));
    return true;
}

}  // namespace

FolderUse installFolderUse(const char* folder, const char* recordedFolder) {
    char path[MAX_PATH];
    if (!text::copy(path, folder)) return FolderUse::Refuse;
    text::dropTrailingSeparator(path);
    if (!pathExists(path)) return FolderUse::Create;
    if (onlyAdminsCanWrite(path)) return FolderUse::Use;
    return sameFolder(path, recordedFolder) && holdsOnlyProductFiles(path) ? FolderUse::TakeOver : FolderUse::Refuse;
}

bool takeOverFolder(const char* folder) {
    AdminOnlySecurity security;
    if (!security.applyTo(folder)) return false;
    for (const ProductFile& file : kProductFiles) {
        char path[MAX_PATH];
        // A file that a user owns keeps the right to change it: each goes back
        // to the administrators, with what the folder passes on.
        if (file.removedFrom == FileFolder::Install && text::format(path, "%s\\%s", folder, file.name) &&
            GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && !security.resetFile(path))
            return false;
    }
    // Whatever appeared before the folder became the administrators' stays.
    if (holdsOnlyProductFiles(folder)) return true;
    SetLastError(ERROR_DIR_NOT_EMPTY);
    return false;
}

int Installer::prepareInstallFolder() {
    // Read before the run clears the product key.
    char recorded[MAX_PATH];
    readInstallFolder(HKEY_LOCAL_MACHINE, recorded);
    switch (installFolderUse(installDir, recorded)) {
    case FolderUse::Create:
    case FolderUse::Use: return 1;
    case FolderUse::TakeOver:
        if (takeOverFolder(installDir)) return 1;
        reportError("SetSecurity", 0);
        return 0;
    case FolderUse::Refuse: break;
    }
    reportFolderRefused(installDir);
    return 0;
}

void folderRefusalText(char* out, size_t capacity, const char* folder) {
    if (folderWriters(folder) == FolderWriters::Unreadable)
        composeReport(out, capacity, product::kFolderUnreadable, folder, 0);
    else
        text::formatInto(out, capacity, product::kFolderOthersMayChange, folder);
}

void reportFolderRefused(const char* folder) { folderRefusalText(errorText, kErrorTextSize, folder); }
