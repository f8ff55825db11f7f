// Setup's installation primitives outside the Installer.
#pragma once
#include <windows.h>

// Default printer, through winspool.drv's functions looked up at run time;
// 0 when the function cannot be found.
BOOL getDefaultPrinter(char* buffer, DWORD* size);
BOOL setDefaultPrinter(const char* name);

// Folders.
bool pathExists(const char* path);
bool createFolderTree(const char* path);

// Writes a shell link file.
void createShortcut(const char* linkPath, const char* targetPath, const char* description);
