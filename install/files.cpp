// Folder primitives and the copy of the product's non-driver files.
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/text.h"
#include "install/install.h"

FileCalls systemFileCalls() { return FileCalls{CreateFileA, ReadFile}; }
FileCalls fileCalls = systemFileCalls();

namespace {

// A path that does not fit a MAX_PATH buffer is rejected, never cut: a cut
// path names some other folder.
void rejectLongPath() { SetLastError(ERROR_FILENAME_EXCED_RANGE); }

// Copies one checked payload file into its folder; on failure composes the
// report with its tag.
bool copyPayloadFile(Installer& installer, const ProductFile& file) {
    char folder[MAX_PATH];
    if (!productFolder(folder, file.copiedTo, installer.installDir, installer.driverDir)) {
        reportError(file.copyTag, 0);
        return false;
    }
    char target[MAX_PATH];
    if (!text::format(target, "%s\\%s", folder, file.name)) {
        reportError(file.copyTag, ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (!installer.copyCheckedFile(file, target)) {
        reportError(file.copyTag, 0);
        return false;
    }
    return true;
}

}  // namespace

bool copyFromHandle(HANDLE source, const char* target, const PayloadRow& row) {
    FILETIME written;
    if (!GetFileTime(source, nullptr, nullptr, &written)) return false;
    // A read-only copy left by an earlier installation refuses to be opened
    // for writing.
    clearReadOnly(target);
    FileHandle copy(
        fileCalls.createFile(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy) return false;
    // The copy keeps the time the payload file was written, as CopyFile's do.
    if (readAsRecorded(source, row, copy.get()) && SetFileTime(copy.get(), nullptr, nullptr, &written)) return true;
    DWORD error = GetLastError();
    copy.reset();
    DeleteFileA(target);  // part of a file, or other bytes, is no copy
    SetLastError(error);
    return false;
}

bool pathExists(const char* path) {
    if (!path || !*path) return false;
    char pattern[MAX_PATH];
    bool fits = text::copy(pattern, path) && text::append(pattern, text::endsWithSeparator(path) ? "*.*" : "\\*.*");
    if (!fits) {
        rejectLongPath();
        return false;
    }
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    return search.valid();
}

bool createFolderTree(const char* path, SECURITY_ATTRIBUTES* security) {
    if (!path || !*path) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    char parent[MAX_PATH];
    if (!text::copy(parent, path)) {
        rejectLongPath();
        return false;
    }
    if (pathExists(path)) return true;
    if (folderSecurityCalls.createDirectory(path, security)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return true;
    if (error != ERROR_PATH_NOT_FOUND) return false;

    // The parent is missing: cut the last component (the first character is
    // never a separator worth cutting at) and create the parent first.
    char* cut = text::lastSeparator(parent);
    if (!cut || cut == parent) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    *cut = '\0';
    if (!createFolderTree(parent, security)) return false;
    // A path written with a trailing separator already exists once its parent
    // (the same folder) has been made.
    return folderSecurityCalls.createDirectory(path, security) || GetLastError() == ERROR_ALREADY_EXISTS;
}

int Installer::copyProductFiles() {
    AdminOnlySecurity security;
    if (!createFolderTree(installDir, security.attributes())) {
        reportError("CreateDir3", 0);
        return 0;
    }
    // Held from here, if not since the check, through the registration; made
    // by someone else since the run looked, the folder is not ours.
    if (!holdInstallFolder(product::kChooseAnotherFolder)) return 0;
    // Without the driver directory a copy into its sub-folder fails here
    // rather than landing in "\3" of the current drive.
    for (const ProductFile& file : kProductFiles) {
        bool ours = file.role == FileRole::Uninstaller || file.role == FileRole::Companion;
        if (ours && !copyPayloadFile(*this, file)) return 0;
    }
    return 1;
}
