#include "common/protect.h"
#include "common/text.h"

namespace {

// Where the folder names below the root start: after "X:\" (or at the end of
// "X:"), or after "\\server\share\" (or at the end of "\\server\share");
// null for any other path.
char* firstName(char* path) {
    if (text::isLetter(path[0]) && path[1] == ':')
        return text::isSeparator(path[2], true) ? path + 3 : path[2] ? nullptr : path + 2;
    if (!text::isSeparator(path[0], true) || !text::isSeparator(path[1], true)) return nullptr;
    char* p = path + 2;
    for (int part = 0; part < 2; ++part) {  // the server's name, then the share's
        char* name = p;
        while (*p && !text::isSeparator(*p, true)) p = CharNextA(p);
        if (p == name) return nullptr;
        if (*p) ++p;
    }
    return p;
}

bool isPlainFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool folderHoldsOnly(const char* folder, bool (*allows)(const WIN32_FIND_DATAA& found)) {
    char pattern[MAX_PATH];
    if (!text::format(pattern, "%s\\*", folder)) return false;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    if (!search) return false;
    do {
        const bool dots = !lstrcmpA(found.cFileName, ".") || !lstrcmpA(found.cFileName, "..");
        if (!dots && !allows(found)) return false;
    } while (FindNextFileA(search.get(), &found));
    return true;
}

FolderWalk::FolderWalk(const char* path) : first_(nullptr), end_(nullptr), kept_('\0') {
    if (path && text::copy(path_, path)) first_ = firstName(path_);
}

const char* FolderWalk::next() {
    if (!first_) return nullptr;
    char* p = end_ ? end_ : first_;
    if (end_) *end_ = kept_;
    while (text::isSeparator(*p, true)) ++p;
    if (!*p) return nullptr;
    while (*p && !text::isSeparator(*p, true)) p = CharNextA(p);
    end_ = p;
    kept_ = *p;
    *p = '\0';
    return path_;
}

bool reparsePointOnPath(const char* path) {
    FolderWalk walk(path);
    if (!walk.valid()) return true;  // what cannot be walked is not trusted
    while (const char* folder = walk.next()) {
        DWORD found = GetFileAttributesA(folder);
        if (found == INVALID_FILE_ATTRIBUTES) return !isNotThere(GetLastError());
        if (found & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    }
    return false;
}

bool isPlainDiskFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           info.nNumberOfLinks == 1;
}

HANDLE holdPlainFolder(const char* path) {
    // NT keeps a handle's sharing, and so refuses a rename, only when the
    // handle asks for data access: listing the folder is that.
    FileHandle folder(CreateFileA(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !GetFileInformationByHandle(folder.get(), &info)) return INVALID_HANDLE_VALUE;
    // Read by name too, once it is held: the handle of a link opened as
    // itself does not always say so (Wine's is its target's).
    if (isPlainFolder(info.dwFileAttributes) && isPlainFolder(GetFileAttributesA(path))) return folder.release();
    SetLastError(ERROR_DIRECTORY);  // no plain folder
    return INVALID_HANDLE_VALUE;
}

bool HeldFolders::hold(const char* path) {
    release();
    FolderWalk walk(path);
    int held = 0;
    while (const char* folder = walk.next()) {
        if (held == kMostFolders) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        folders_[held].reset(holdPlainFolder(folder));
        if (!folders_[held++]) return false;
    }
    safe_ = held > 0;
    if (!safe_) SetLastError(ERROR_BAD_PATHNAME);
    return safe_;
}

void HeldFolders::release() {
    for (FileHandle& folder : folders_) folder.reset();
    safe_ = false;
}
