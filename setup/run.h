// The installation thread that the progress page starts.
#pragma once
#include <windows.h>

// Runs the installation for the page given as argument and ends the page
// with 1 (done, or the user chose not to install over an existing copy) or
// 0 (failed, after the error report was shown). Returns 0.
unsigned __stdcall installThread(void* page);
