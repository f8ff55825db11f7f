// Shell and COM primitives that both programs contain.
#pragma once
#include <windows.h>

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
