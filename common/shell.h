// Shell and COM primitives that both programs contain.
#pragma once
#include <windows.h>

// Deletes a file named relative to a shell special folder (CSIDL), unless a
// folder on its way is a reparse point. False when that kept it: a folder on
// its way is there but is a link (or could not be held); true when the
// deletion was tried or nothing lies at that path.
bool deleteSpecialFolderFile(int csidl, const char* relativePath);

// Removes a folder named relative to a special folder when it is empty (or
// is itself a link), unless a folder above it is a reparse point; false, as
// above, when that kept it.
bool removeSpecialFolderDirectory(int csidl, const char* relativePath);

// The special folder's path without a trailing backslash; false when the
// system cannot give it.
bool specialFolderPath(int csidl, char (&out)[MAX_PATH]);

// Calls a DLL's DllRegisterServer (doRegister) or DllUnregisterServer
// between OleInitialize and OleUninitialize; true on a success HRESULT.
bool callDllRegistration(const char* dllPath, bool doRegister);
