// The process-wide error report: a short tag naming the failed call, the
// Windows error code and the system's text for it.
#pragma once
#include <windows.h>

const size_t kErrorTextSize = 260;
extern char errorText[kErrorTextSize];

// Composes the report into out (capacity characters) with the given format
// (tag, code, system text). code 0 stands for the thread's last error. A
// report longer than the buffer is cut at its end. Returns true when the
// whole report fitted.
bool composeReport(char* out, size_t capacity, const char* format, const char* tag, DWORD code);

// Composes this program's report into errorText.
void reportError(const char* tag, DWORD code);

// Replaces errorText with a fixed text (no tag, no system text).
void setErrorText(const char* text);

#ifdef ORLAN_SETUP
// Setup's OK box without an icon; text null shows errorText.
void showError(HWND owner, const char* text);
#endif
