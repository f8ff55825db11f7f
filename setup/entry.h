// Setup's start: system checks, folders and the splash.
#pragma once
#include <windows.h>

// The calls checkSystem makes that a test must be able to answer the way
// Wine cannot (a 64-bit host, a user without rights).
struct SystemCalls {
    BOOL(WINAPI* getVersionEx)(OSVERSIONINFOA*);
    // Replaces the IsWow64Process that checkSystem looks up, when set.
    BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL);
    LONG(WINAPI* regCreateKeyEx)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
};
extern SystemCalls systemCalls;

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
