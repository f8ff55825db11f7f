// Keeps DLLs planted beside the program (a download folder, the temp folder)
// from being loaded in place of the system's own.
#pragma once

// Takes the current folder out of the search path where the system allows
// it, cuts the default search down to the system folder where the system
// allows that, makes delay-imported DLLs load from the system folder, and
// holds the system's msimg32.dll for the life of the process. Call first
// thing in the program entry.
void hardenDllSearch();

// For as long as it lives, a DLL in folder that is loaded by its full path
// alone, with no search of its own, finds the DLLs it imports in folder too.
// The spooler loads a driver's modules that way, in this process under some
// spoolers (Wine's), and hardenDllSearch has left only the system folder in
// the default search. Only for a folder that administrators alone can write.
// Does nothing unless hardenDllSearch has cut the default search down.
class DllFolderInSearch {
public:
    explicit DllFolderInSearch(const char* folder);
    ~DllFolderInSearch();
    DllFolderInSearch(const DllFolderInSearch&) = delete;
    DllFolderInSearch& operator=(const DllFolderInSearch&) = delete;

private:
    void* cookie_;
};
