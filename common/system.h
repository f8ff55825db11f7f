// Loading DLLs where a normal user cannot have put a look-alike.
#pragma once

#include <windows.h>

// Loads a library from the system folder only, so that a DLL of the same name
// planted beside the program (a download folder, the temp folder) is never
// picked up.
HMODULE loadSystemLibrary(const char* name);

// Loads a DLL by its full path, with the DLLs it imports taken from its own
// folder or the system folder, never from the program's folder.
HMODULE loadLibraryWithNeighbours(const char* path);

// A function of kernel32, looked up at run time for what older systems lack;
// null where this system has none.
FARPROC kernel32Function(const char* name);
