// What elevated code may trust on disk: folders and files that only
// administrators and SYSTEM can change, paths without links on them, and
// open handles that are plain files on a disk.
#pragma once
#include <windows.h>
#include "common/handles.h"

// A security descriptor that lets only Administrators and SYSTEM change what
// it guards: both with full control, Users with read and execute, nothing
// taken from the parent; for a folder, inherited by everything made inside.
class ProtectedSecurity {
public:
    explicit ProtectedSecurity(bool folder);
    // For CreateDirectoryA and CreateFileA, so that the object is never
    // there without it; null when the descriptor could not be built.
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    LocalMem descriptor_;
    SECURITY_ATTRIBUTES attributes_;
};

typedef DWORD(WINAPI* FileAttributesFn)(LPCSTR path);

// Whether a folder or file on path is a reparse point (a junction, mount
// point or symbolic link), from the first one below the drive or share to
// path itself, as attributes reports them. The walk ends at the first that
// does not exist: nothing below it does either. A path that cannot be walked
// (too long, attributes refused) counts as one with a link.
bool reparsePointOnPath(const char* path, FileAttributesFn attributes);

// Whether an open handle is a plain file on a disk: no device, pipe or
// console, no folder, no reparse point, and no second name (a hard link to a
// file that its owner meant to keep).
bool isPlainDiskFile(HANDLE file);

// Opens a folder itself, never a link's target, without delete sharing: while
// the handle lives, the folder can be neither renamed nor replaced. Invalid
// when it is no plain folder (a reparse point, a file) or cannot be opened.
HANDLE holdPlainFolder(const char* path);
