// The removal run: printer and driver first, then everything setup put on
// the machine, moving the progress bar as it goes.
#include "common/installer.h"
#include "common/errorreport.h"
#include "common/spooler.h"
#include "common/text.h"
#include "uninstall/uninstall.h"

void Installer::initRemoval(const char* folder, HWND owner, HWND bar) {
    // A folder that does not fit would be cut into some other folder.
    if (!text::copy(installDir, folder)) installDir[0] = '\0';
    text::dropTrailingSeparator(installDir);
    ownerWindow = owner;
    progressBar = bar;
}

int Installer::runRemoval() {
    setStatus(0, "");
    if (!lookUpDriverDir(driverDir)) {
        reportError("GetPrinterDriverDirectory", 0);
        return 0;
    }
    setStatus(3, "");
    printerStage = kStagePrinter;
    if (!removePrinterAndDriver()) return 0;

    setStatus(4, "");
    removeRegistryRecords();
    setStatus(5, "");
    removeWordAddin(installDir);
    setStatus(6, "");
    removeShortcuts();
    setStatus(7, "");
    removeProductFiles();
    setStatus(10, "");
    // Only an emptied folder goes; a drive root is never a folder to remove.
    if (installDir[0] && !isDriveRoot(installDir)) RemoveDirectoryA(installDir);
    return 1;
}
