// Setup's installation primitives outside the Installer.
#pragma once
#include <windows.h>
#include "common/payload.h"

// Default printer, through winspool.drv's functions looked up at run time;
// 0 when the function cannot be found.
BOOL getDefaultPrinter(char* buffer, DWORD* size);
BOOL setDefaultPrinter(const char* name);

// The calls the copy of the product's files makes, gathered so that a test
// can answer one of them the way Wine cannot (Wine opens a read-only file
// for writing where Windows refuses to).
struct FileCalls {
    HANDLE(WINAPI* createFile)(LPCSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
};
extern FileCalls fileCalls;

// The system's own calls, as setup uses them.
FileCalls systemFileCalls();

// Opens path without write or delete sharing and checks it against the
// table's row for name. The open handle, or INVALID_HANDLE_VALUE with the
// last error: the open's, or ERROR_FILE_CORRUPT when the file differs from
// its row or has none.
HANDLE openCheckedFile(const PayloadTable& table, const char* path, const char* name);

// Copies the whole of an open file, from its start, over target through
// fileCalls; the copy is never read-only, whatever an earlier copy was. The
// last error tells why it failed.
bool copyFromHandle(HANDLE source, const char* target);

// Folders.
bool pathExists(const char* path);
bool createFolderTree(const char* path);

// Writes a shell link file. False, with the last error set (the failed
// call's HRESULT, or the Windows error it wraps), when it was not saved.
bool createShortcut(const char* linkPath, const char* targetPath, const char* description);
