// Keeps DLLs planted beside the program (a download folder, the temp folder)
// from being loaded in place of the system's own.
#pragma once

// Takes the current folder out of the search path where the system allows
// it, cuts the default search down to the system folder where the system
// allows that, makes delay-imported DLLs load from the system folder, and
// holds the system's msimg32.dll for the life of the process. Call first
// thing in the program entry.
void hardenDllSearch();
