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

// Folders. createFolderTree gives every level it makes the security given
// (null: what the parent passes on).
bool pathExists(const char* path);
bool createFolderTree(const char* path, SECURITY_ATTRIBUTES* security = nullptr);

// Writes a shell link file.
void createShortcut(const char* linkPath, const char* targetPath, const char* description);

// What setup may do with an install folder, judged before anything changes.
enum class FolderUse {
    Create,    // not there: setup makes it, for administrators only
    Use,       // there, and only administrators can change it
    TakeOver,  // the earlier installation's folder (recorded), holding only
               // the product's files: it is made administrators' only
    Refuse,    // there, and others can change it
};
// recordedFolder: the machine's record of the earlier installation ("" for none).
FolderUse installFolderUse(const char* folder, const char* recordedFolder);

// Gives the folder the administrators' descriptor and the product's files
// in it their owner and what they inherit; false, with the last error, when
// any of that fails or something else has appeared in it.
bool takeOverFolder(const char* folder);

// The report of an install folder that others can change, into errorText.
void reportFolderRefused(const char* folder);
