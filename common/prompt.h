// Every question and message that a step shows goes through here. An
// unattended run (/S) shows none of them: each has its fixed answer there,
// and each is written to the log whichever way it was answered.
#pragma once
#include <windows.h>

namespace prompt {

// Set once by the entry, before any second thread starts.
void setUnattended(bool on);
bool unattended();

// How often, and how far apart, an unattended run tries a failed step
// again before it gives up as the user's Cancel would.
const int kUnattendedRetries = 3;
const DWORD kRetryWaitMs = 2000;

// A retry question with OK and Cancel, caption "Orlan PDF Scribe": whether
// to try again. asked counts the questions of one step; unattended, the
// first kUnattendedRetries wait and say yes, the next says no.
bool retry(HWND owner, const char* text, int& asked);

// A Yes/No question (flags beyond MB_YESNO as the caller shows it);
// unattended, it takes unattendedAnswer.
bool yes(HWND owner, const char* text, const char* caption, UINT flags, bool unattendedAnswer);

// A message with an OK button; unattended, only the log has it.
void tell(HWND owner, const char* text, const char* caption, UINT flags);

}  // namespace prompt
