// The uninstaller's temporary copy: a program that runs elevated from the
// user's temp folder, where any DLL that a system DLL loads by bare name may
// have been planted beside it. Windows before 8 (7 and Vista without
// KB2533623) cannot take a program's own folder out of the DLL search, so the
// copy gets a folder of its own that only administrators can write.
#include <string.h>
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/product.h"
#include "common/protect.h"
#include "common/runlog.h"
#include "common/text.h"
#include "uninstall/uninstall.h"

namespace {

// Whether two open files hold the same bytes, read from where they stand.
bool sameContents(HANDLE a, HANDLE b) {
    char left[4096], right[4096];
    for (;;) {
        DWORD readLeft = 0, readRight = 0;
        if (!ReadFile(a, left, sizeof left, &readLeft, nullptr) ||
            !ReadFile(b, right, sizeof right, &readRight, nullptr))
            return false;
        if (readLeft != readRight || memcmp(left, right, readLeft) != 0) return false;
        if (readLeft == 0) return true;
    }
}

// A copy's folder in tempFolder and the copy in it; false when they do not fit.
bool copyPaths(const char* tempFolder, const char* name, char (&folder)[MAX_PATH], char (&copy)[MAX_PATH]) {
    return text::format(folder, "%s\\%s", tempFolder, name) && text::format(copy, "%s\\%s.exe", folder, name);
}

// One folder left by an earlier run, with its copy: held while the copy goes,
// so that no link can take its place; the copy first, as a running copy
// cannot be deleted and its folder must then stay. With administrator rights
// only a folder that no user can change is touched, and in it only a copy
// that is one file under one name: a user's second name of another file, or
// a link, would lead the attributes' change to that file.
bool removeLeftCopy(const char* tempFolder, const char* name) {
    char folder[MAX_PATH], copy[MAX_PATH];
    if (!copyPaths(tempFolder, name, folder, copy)) return false;
    FileHandle held(holdPlainFolder(folder));
    if (!held || (runsAsAdministrator() && !onlyAdminsCanWrite(folder))) return false;
    FileHandle file(CreateFileA(copy, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) {
        if (!isPlainDiskFile(file.get())) return false;
        file.reset();
        SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(copy)) return false;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    held.reset();
    return RemoveDirectoryA(folder) != FALSE;
}

// Whether folder lies on a local fixed disk whose file system keeps
// permissions: FAT drops the descriptor the copy's folder is made with, and
// on a share or a removable disk someone else decides what it holds.
bool keepsPermissions(const char* folder) {
    if (!text::isLetter(folder[0]) || folder[1] != ':' || !text::isSeparator(folder[2], true)) return false;
    const char root[] = {folder[0], ':', '\\', '\0'};
    DWORD flags = 0;
    return folderSecurityCalls.getDriveType(root) == DRIVE_FIXED &&
           folderSecurityCalls.getVolumeInformation(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_PERSISTENT_ACLS);
}

bool isEmptyFolder(const char* folder) {
    return folderHoldsOnly(folder, [](const WIN32_FIND_DATAA&) { return false; });
}

// Whether the copy's folder, made and then held, is still the one made: a
// user may rename what lies in their temp folder, and so put a folder of
// their own, with a DLL in it, in its place before the hold. False with the
// report.
bool stillTheFolderMade(const char* folder) {
    switch (folderWriters(folder)) {
    case FolderWriters::AdminsOnly:
        if (isEmptyFolder(folder)) return true;
        break;
    case FolderWriters::Others: break;
    case FolderWriters::Unreadable:
        // A descriptor this process may not read is none it gave.
        if (GetLastError() == ERROR_ACCESS_DENIED) break;
        reportError("GetNamedSecurityInfo", 0);
        return false;
    }
    setErrorText(product::kTempCopyFolderChanged);
    return false;
}

}  // namespace

bool isTempCopyName(const char* name) {
    if (!text::sameAsciiName(name, 3, "Orl")) return false;
    size_t digits = 0;
    for (const char* p = name + 3; *p; ++p, ++digits)
        if (text::hexDigit(*p) < 0) return false;
    return digits >= 1 && digits <= 4;
}

bool makeTempCopy(const char* tempFolder, const char* source, UINT firstNumber, char (&copy)[MAX_PATH],
                  FileHandle& heldFolder) {
    copy[0] = '\0';
    heldFolder.reset();
    if (!tempFolder[0]) {  // the folder would be made in the current one
        reportError("GetTempPath", ERROR_PATH_NOT_FOUND);
        return false;
    }
    // Without administrator rights (Windows 2000 and XP elevate nothing, and
    // a user may remove their own installation) nothing is guarded, and this
    // process could neither put the copy into such a folder nor delete it
    // there: the folder keeps what the temp folder passes on.
    const bool guarded = runsAsAdministrator();
    if (guarded && !keepsPermissions(tempFolder)) {
        setErrorText(product::kTempFolderKeepsNoPermissions);
        return false;
    }
    // A junction on the way could lead the copy to wherever its maker wants.
    if (reparsePointOnPath(tempFolder)) {
        setErrorText(product::kTempPathLinked);
        return false;
    }
    AdminOnlySecurity security;
    if (guarded && !security.attributes()) {
        reportError("InitializeSecurityDescriptor", 0);
        return false;
    }
    SECURITY_ATTRIBUTES* attributes = guarded ? security.attributes() : nullptr;
    UINT number = firstNumber & 0xFFFF;
    for (UINT tried = 0;; ++tried, number = (number + 1) & 0xFFFF) {
        if (tried == 0xFFFF) {
            reportError("CreateDirectory", ERROR_ALREADY_EXISTS);
            break;
        }
        if (number == 0) number = 1;
        char name[16], folder[MAX_PATH];
        if (!text::format(name, "Orl%X", number) || !copyPaths(tempFolder, name, folder, copy)) {
            reportError("CreateDirectory", ERROR_FILENAME_EXCED_RANGE);
            break;
        }
        // Only a folder made here is ours: one that is there already, or a
        // file of that name, may have been left by the user with a DLL in it.
        if (!folderSecurityCalls.createDirectory(folder, attributes)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            reportError("CreateDirectory", 0);
            break;
        }
        heldFolder.reset(holdPlainFolder(folder));
        if (!heldFolder) {
            reportError("CreateFile", 0);
            RemoveDirectoryA(folder);
            break;
        }
        if (guarded && !stillTheFolderMade(folder)) {
            heldFolder.reset();
            RemoveDirectoryA(folder);  // when empty: what others put there stays theirs
            break;
        }
        if (CopyFileA(source, copy, TRUE)) return true;
        reportError("CopyFile", 0);
        discardTempCopy(copy, heldFolder);
        break;
    }
    copy[0] = '\0';
    return false;
}

bool tempCopyCommand(const char* copy, const Switches& pass, HANDLE log, char (&out)[kCopyCommandSize]) {
    return text::format(out, "\"%s\"", copy) && (!pass.silent || text::append(out, " /S")) &&
           (!log || text::formatInto(out + lstrlenA(out), kCopyCommandSize - lstrlenA(out), " /LOGHANDLE=%lu",
                                     HandleToULong(log)));
}

bool startTempCopy(const char* source, const char* copy, const Switches& pass, HANDLE log, KernelHandle& thread) {
    // Held without write or delete sharing, the copy stays what the check
    // below saw until the system has it.
    FileHandle held(CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FileHandle original(held ? CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE);
    if (!held || !original) {
        reportError("CreateFile", 0);
        return false;
    }
    if (!sameContents(original.get(), held.get())) {
        reportError("ReadFile", ERROR_FILE_CORRUPT);
        return false;
    }

    // Windows 2000 cannot name the handles a child inherits: it gets every
    // one marked so. This process makes none so, but its parent may have
    // marked the standard handles; only the log is marked, and only now.
    static const DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (DWORD standard : kStandard)
        SetHandleInformation(GetStdHandle(standard), HANDLE_FLAG_INHERIT, 0);
    if (log && !SetHandleInformation(log, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) log = nullptr;
    char command[kCopyCommandSize];
    bool fits = tempCopyCommand(copy, pass, log, command);
    if (fits) runlog::write("Starting the temporary copy: %s", command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Named apart from its command line, the program started is the copy and
    // nothing the line's blanks could make of it.
    // It starts in its own folder: the DLLs it imports are looked for in the
    // current folder too on Windows 2000, and this one's may be anyone's.
    char folder[MAX_PATH];
    text::folderOfPath(copy, folder);
    bool started = fits && CreateProcessA(copy, command, nullptr, nullptr, log ? TRUE : FALSE, CREATE_SUSPENDED,
                                          nullptr, folder, &startup, &process);
    DWORD error = fits ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
    if (log) SetHandleInformation(log, HANDLE_FLAG_INHERIT, 0);
    if (!started) {
        reportError("CreateProcess", error);
        return false;
    }
    thread.reset(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void discardTempCopy(const char* copy, FileHandle& heldFolder) {
    heldFolder.reset();
    DeleteFileA(copy);
    char folder[MAX_PATH];
    text::folderOfPath(copy, folder);
    RemoveDirectoryA(folder);  // when empty: what others put there stays theirs
}

bool deleteAtRestart(const char* copy) {
    char folder[MAX_PATH];
    text::folderOfPath(copy, folder);
    // The folder goes after its file: only an empty folder can.
    if (MoveFileExA(copy, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
        MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return true;
    reportError("MoveFileEx", 0);
    return false;
}

int sweepTempCopies(const char* tempFolder) {
    char pattern[MAX_PATH];
    if (!tempFolder[0] || !text::format(pattern, "%s\\Orl*", tempFolder)) return 0;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA(pattern, &found));
    if (!find) return 0;
    int removed = 0;
    do {
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            isTempCopyName(found.cFileName) && removeLeftCopy(tempFolder, found.cFileName))
            ++removed;
    } while (FindNextFileA(find.get(), &found));
    return removed;
}
