// Setup's installation primitives outside the Installer.
#pragma once
#include <windows.h>

// Default printer, through winspool.drv's functions looked up at run time;
// 0 when the function cannot be found.
BOOL getDefaultPrinter(char* buffer, DWORD* size);
BOOL setDefaultPrinter(const char* name);

// The copy of the product's files: CopyFileA, or a stand-in for tests (Wine
// overwrites a read-only file where Windows refuses to).
extern BOOL(WINAPI* copyFile)(LPCSTR source, LPCSTR target, BOOL failIfExists);

// Copies over an existing file through copyFile; the copy is never
// read-only, whatever the source or an earlier copy was. The last error
// tells why it failed.
bool copyWritable(const char* source, const char* target);

// Folders.
bool pathExists(const char* path);
bool createFolderTree(const char* path);

// Writes a shell link file.
void createShortcut(const char* linkPath, const char* targetPath, const char* description);
