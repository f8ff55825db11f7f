// Shell and COM primitives that both programs contain.
#pragma once
#include <windows.h>

// Deletes a file named relative to a shell special folder (CSIDL).
void deleteSpecialFolderFile(int csidl, const char* relativePath);

// The special folder's path without a trailing backslash; false when the
// system cannot give it.
bool specialFolderPath(int csidl, char (&out)[MAX_PATH]);

// Calls a DLL's DllRegisterServer (doRegister) or DllUnregisterServer
// between OleInitialize and OleUninitialize; true on a success HRESULT.
bool callDllRegistration(const char* dllPath, bool doRegister);
