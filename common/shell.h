// Shell and COM primitives that both programs contain.
#pragma once
#include <windows.h>

#include "common/handles.h"

// Holds every folder of a full path open, from below its drive root (or
// share) down to the path itself, so that none of them can be renamed or
// replaced while the object lives. safe() is false when one is a reparse
// point (a junction or link, which a user may make in any folder of their
// own, such as their Start menu) or cannot be held: nothing may then be
// deleted or written through the path by this elevated process.
class HeldFolders {
public:
    explicit HeldFolders(const char* folder);
    bool safe() const { return safe_; }

private:
    static const int kMostFolders = 64;
    FileHandle folders_[kMostFolders];
    bool safe_;
};

// Deletes a file named relative to a shell special folder (CSIDL), unless a
// folder on its way is a reparse point.
void deleteSpecialFolderFile(int csidl, const char* relativePath);

// Removes a folder named relative to a special folder when it is empty (or
// is itself a link), unless a folder above it is a reparse point.
void removeSpecialFolderDirectory(int csidl, const char* relativePath);

// The special folder's path without a trailing backslash; false when the
// system cannot give it.
bool specialFolderPath(int csidl, char (&out)[MAX_PATH]);

// Calls a DLL's DllRegisterServer (doRegister) or DllUnregisterServer
// between OleInitialize and OleUninitialize; true on a success HRESULT.
bool callDllRegistration(const char* dllPath, bool doRegister);
