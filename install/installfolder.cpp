// The install folder before the run changes anything: made new, used as it
// is, taken over from the earlier installation, or refused.
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/protect.h"
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
    return folderHoldsOnly(folder, [](const WIN32_FIND_DATAA& found) {
        return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && isInstallFolderFile(found.cFileName);
    });
}

// A product file's name, in a folder where only administrators can now make
// names: plain when it is a plain file with no other name. A link, or one of
// a file's several names (a hard link to a file its owner meant to keep),
// goes itself, never what it led to; then, or when nothing is there, plain
// is false. False, with the last error, when it cannot be judged or go.
bool dropUnplainName(const char* path, bool& plain) {
    plain = false;
    FileHandle file(CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return GetLastError() == ERROR_FILE_NOT_FOUND;
    plain = isPlainDiskFile(file.get());
    file.reset();
    return plain || DeleteFileA(path);
}

}  // namespace

FolderUse installFolderUse(const char* folder, const char* recordedFolder, FolderRefusal& why) {
    why = FolderRefusal::OthersMayChange;
    char path[MAX_PATH];
    if (!text::copy(path, folder)) return FolderUse::Refuse;
    text::dropTrailingSeparator(path);
    why = folderRefusal(path);
    if (why == FolderRefusal::None) return pathExists(path) ? FolderUse::Use : FolderUse::Create;
    if (why == FolderRefusal::OthersMayChange && sameFolder(path, recordedFolder) && holdsOnlyProductFiles(path))
        return FolderUse::TakeOver;
    return FolderUse::Refuse;
}

bool takeOverFolder(const char* folder) {
    AdminOnlySecurity security;
    if (!security.applyTo(folder)) return false;
    for (const ProductFile& file : kProductFiles) {
        char path[MAX_PATH];
        if (file.removedFrom != FileFolder::Install || !text::format(path, "%s\\%s", folder, file.name)) continue;
        // A file that a user owns keeps the right to change it: each goes back
        // to the administrators, with what the folder passes on. Judged now
        // that no one else can make a name here.
        bool plain = false;
        if (!dropUnplainName(path, plain) || (plain && !security.resetFile(path))) return false;
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
    // Held before it is judged, until the run ends: no folder on the way can
    // be renamed or replaced after the check. A folder still to be made is
    // held once it is (copyProductFiles).
    bool held = installFolderHold.hold(installDir);
    DWORD holdError = GetLastError();
    FolderRefusal why = FolderRefusal::None;
    FolderUse use = installFolderUse(installDir, recorded, why);
    switch (use) {
    case FolderUse::Create: return 1;
    case FolderUse::Use:
    case FolderUse::TakeOver:
        if (!held) {
            reportError("CreateFile", holdError);
            return 0;
        }
        if (use == FolderUse::Use || takeOverFolder(installDir)) return 1;
        reportError("SetSecurity", 0);
        return 0;
    case FolderUse::Refuse: break;
    }
    char message[kErrorTextSize];
    folderRefusalText(message, sizeof message, why, installDir, product::kChooseAnotherFolder);
    setErrorText(message);
    return 0;
}
