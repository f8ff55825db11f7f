// One installation run: the choices go in when it starts, and it hands back
// how it ended and what it learned. The wizard gives the same run to every
// page; the progress page carries it out and the Finish page reads it.
#pragma once
#include <windows.h>
#include "common/installer.h"

struct InstallRun {
    InstallOptions choices;
    HWND page;  // the progress page, or null for a run without a window
    int succeeded;
    int declined;  // the user chose not to install over an existing copy
    // The default printer before the run made its own the default.
    char previousDefaultPrinter[264];
};

// Carries the run out on the calling thread, showing its steps on run.page's
// controls when there is a page. Returns and records 1 (done, or the user
// chose not to install over an existing copy) or 0 (failed, with the report
// in errorText). COM must be initialised on the thread.
int performInstallation(InstallRun& run);

// Gives the default back to the printer that had it before the run, as the
// Finish page's cleared box asks.
void giveDefaultBack(const InstallRun& run);

// The thread the progress page starts, given the run: performs it, shows the
// report of a failure and ends the page with the result. Returns 0.
unsigned __stdcall installThread(void* run);
