// Setup's start: system checks, folders and the splash.
#pragma once
#include <windows.h>
#include "common/switches.h"

// Setup's exit codes. With /S they are what setup ends with; the wizard
// exits with 0 whatever happens (as it always has), but for a bad command
// line, and its log names its outcome by these kinds.
enum SetupExit {
    kExitSuccess = 0,
    kExitBadCommandLine = 1,
    kExitRefused = 2,         // the system checks refused this machine or user
    kExitAlreadyRunning = 3,  // another copy of setup is running
    kExitFailed = 4,          // an installation step failed
    kExitCancelled = 5,       // the user quit, or chose not to install again
};

// What an exit code means, for the log.
const char* exitMeaning(int code);

// Opens the log that /LOG= names, if any, and writes the command line
// (line, the part after the program's name) into it.
void openRunLog(const Switches& switches, const char* line);


// The calls checkSystem makes, gathered so that a test can answer one of them
// the way Wine cannot (an old version, a 64-bit host, a user without rights).
// A field the system's calls leave null is looked up at run time where it is
// used: older systems lack it.
struct CheckCalls {
    BOOL(WINAPI* getVersionEx)(OSVERSIONINFOA*);
    // Null: IsWow64Process, looked up in kernel32.
    BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL);
    LONG(WINAPI* regCreateKeyEx)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
};
extern CheckCalls checkCalls;

// The system's own calls, as setup uses them.
CheckCalls systemCheckCalls();

// The message of the first failing check, or null when setup may go on.
const char* systemCheckMessage();

// 1 when setup may go on; 0 after it has shown its message.
int checkSystem();

// Fixes installDir and sourceDir; 0 after showing the error report.
int initFolders(HINSTANCE instance);

// The Program Files folder with the product's sub-folder, into out.
void defaultInstallDir(char (&out)[MAX_PATH]);

// Shows the fading splash and returns when it has been taken down.
void showSplash(HINSTANCE instance);
