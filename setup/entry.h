// Setup's start: system checks, folders and the splash.
#pragma once
#include <windows.h>

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
