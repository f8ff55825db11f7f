// Setup's installation primitives outside the Installer.
#pragma once
#include <windows.h>

// Default printer, through winspool.drv's functions looked up at run time;
// 0 when the function cannot be found.
BOOL getDefaultPrinter(char* buffer, DWORD* size);
BOOL setDefaultPrinter(const char* name);

// The calls the copy of the product's files makes, gathered so that a test
// can answer one of them the way Wine cannot (Wine overwrites a read-only
// file where Windows refuses to).
struct FileCalls {
    BOOL(WINAPI* copyFile)(LPCSTR source, LPCSTR target, BOOL failIfExists);
};
extern FileCalls fileCalls;

// The system's own calls, as setup uses them.
FileCalls systemFileCalls();

// Copies over an existing file through fileCalls; the copy is never
// read-only, whatever the source or an earlier copy was. The last error
// tells why it failed.
bool copyWritable(const char* source, const char* target);

// Folders.
bool pathExists(const char* path);
bool createFolderTree(const char* path);

// Writes a shell link file. False, with the last error set (the failed
// call's HRESULT, or the Windows error it wraps), when it was not saved.
bool createShortcut(const char* linkPath, const char* targetPath, const char* description);
