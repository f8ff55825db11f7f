// Setup's installation primitives outside the Installer.
#pragma once
#include <windows.h>
#include "common/foldersecurity.h"
#include "common/payload.h"
#include "common/sha256.h"

// Default printer, through winspool.drv's functions looked up at run time;
// 0 when the function cannot be found.
BOOL getDefaultPrinter(char* buffer, DWORD* size);
BOOL setDefaultPrinter(const char* name);

// The calls the copy of the product's files makes (and the check its reads),
// gathered so that a test can answer them the way Wine cannot: Wine opens a
// read-only file for writing where Windows refuses to, and its local files
// never give other bytes on a second read, as a share's server may.
struct FileCalls {
    HANDLE(WINAPI* createFile)(LPCSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* readFile)(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped);
};
extern FileCalls fileCalls;

// The system's own calls, as setup uses them.
FileCalls systemFileCalls();

// One file's row of the payload table.
struct PayloadRow {
    DWORD size;
    BYTE digest[Sha256::kSize];
    const char* name;  // in the table, not terminated
    int nameLength;
};

// The table's row for name, the names compared in ASCII (any letter case);
// false when it has none.
bool findPayloadRow(const PayloadTable& table, const char* name, PayloadRow& row);

// Reads the whole of an open file from its start through fileCalls, hashing
// it, and writes each piece on to copy when there is one. True when all of
// it was read (and written) and it has the row's size and digest; false with
// the last error, ERROR_FILE_CORRUPT for bytes other than the row's.
bool readAsRecorded(HANDLE file, const PayloadRow& row, HANDLE copy);

// Opens path without write or delete sharing and checks it against the
// table's row for name. The open handle, or INVALID_HANDLE_VALUE with the
// last error: the open's, or ERROR_FILE_CORRUPT when the file differs from
// its row or has none.
HANDLE openCheckedFile(const PayloadTable& table, const char* path, const char* name);

// Copies the whole of an open file, from its start, over target through
// fileCalls, and keeps the copy only when what was read has the row's size
// and digest (ERROR_FILE_CORRUPT otherwise); the copy is never read-only,
// whatever an earlier copy was. The last error tells why it failed.
bool copyFromHandle(HANDLE source, const char* target, const PayloadRow& row);

// Folders. createFolderTree gives every level it makes the security given
// (null: what the parent passes on).
bool pathExists(const char* path);
bool createFolderTree(const char* path, SECURITY_ATTRIBUTES* security = nullptr);

// Writes a shell link file. False, with the last error set (the failed
// call's HRESULT, or the Windows error it wraps), when it was not saved.
bool createShortcut(const char* linkPath, const char* targetPath, const char* description);

// What setup may do with an install folder, judged before anything changes.
enum class FolderUse {
    Create,    // not there: setup makes it, for administrators only
    Use,       // there, and only administrators can change it
    TakeOver,  // the earlier installation's folder (recorded), holding only
               // the product's files: it is made administrators' only
    Refuse,    // why says why: a link on its path, a folder above it that
               // others may move, or it is there and others can change it
};
// recordedFolder: the machine's record of the earlier installation ("" for none).
FolderUse installFolderUse(const char* folder, const char* recordedFolder, FolderRefusal& why);

// Gives the folder the administrators' descriptor and the product's files
// in it their owner and what they inherit; a name among them that is a link
// or a second name of a file goes itself. False, with the last error, when
// any of that fails or something else has appeared in it.
bool takeOverFolder(const char* folder);
