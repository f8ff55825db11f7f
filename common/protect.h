// What elevated code may trust on disk: paths without links on them, folders
// held so that they cannot be swapped, and open handles that are plain files
// on a disk. Who may change a folder is common/foldersecurity.h's.
#pragma once
#include <windows.h>
#include "common/handles.h"

// Whether an error says only that a file or folder is not there.
inline bool isNotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The folders of a full path, one at a time, from the first below its drive
// ("C:\") or share ("\\server\share\") down to the path itself. A slash
// separates as a backslash does, as it does for the system; empty names are
// passed over.
class FolderWalk {
public:
    explicit FolderWalk(const char* path);
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;
    // False for a path with no drive or share to start from (a relative one,
    // "C:name") or one that does not fit: it cannot be walked.
    bool valid() const { return first_ != nullptr; }
    // The next folder's path, good until the next call; null after the last.
    const char* next();

private:
    char path_[MAX_PATH];
    char* first_;  // the first name below the root
    char* end_;    // where the folder given last was cut
    char kept_;    // what stood there
};

// Whether a folder or file on path is a reparse point (a junction, mount
// point or symbolic link), as its attributes read by name say. The walk ends
// at the first that does not exist: nothing below it does either. A path that
// cannot be walked, or a folder that cannot be looked at, counts as a link.
bool reparsePointOnPath(const char* path);

// Whether an open handle is a plain file on a disk: no device, pipe or
// console, no folder, no reparse point, and no second name (a hard link to a
// file that its owner meant to keep).
bool isPlainDiskFile(HANDLE file);

// Whether every name in a folder (but "." and "..") passes allows; false as
// well when the folder cannot be listed.
bool folderHoldsOnly(const char* folder, bool (*allows)(const WIN32_FIND_DATAA& found));

// Opens a folder itself, never a link's target, without delete sharing: while
// the handle lives, the folder can be neither renamed nor replaced. Invalid
// when it is no plain folder (a reparse point, a file) or cannot be opened.
HANDLE holdPlainFolder(const char* path);

// Holds every folder of a full path (holdPlainFolder, from below its drive or
// share down to the path itself), so that none of them can be renamed or
// replaced while the object lives. safe() is false when one is a reparse
// point (a junction or link, which a user may make in any folder of their
// own, such as their Start menu), cannot be held, or there is none: nothing
// may then be deleted or written through the path by this elevated process.
class HeldFolders {
public:
    HeldFolders() : safe_(false) {}
    explicit HeldFolders(const char* path) : safe_(false) { hold(path); }
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;
    // Lets go of what it held and holds path's folders instead; safe(), with
    // the last error set when false.
    bool hold(const char* path);
    void release();
    bool safe() const { return safe_; }

private:
    static const int kMostFolders = 64;
    FileHandle folders_[kMostFolders];
    bool safe_;
};
