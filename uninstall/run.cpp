// The removal run: printer and driver first, then everything setup put on
// the machine, moving the progress bar as it goes.
#include "common/installer.h"
#include "common/errorreport.h"
#include "common/runlog.h"
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
    // Before anything goes: the add-in is loaded from the install folder and
    // files are deleted in it with administrator rights. A refusal stops the
    // run with nothing removed; otherwise the folder is held until the last
    // file in it has gone.
    if (!runlog::step("Checking the install folder", checkInstallFolder())) return 0;
    // The uninstaller shows no status text: the texts name the steps in the log.
    setStatus(0, "Looking up the printer driver folder");
    if (!lookUpDriverDir(driverDir)) {
        reportError("GetPrinterDriverDirectory", 0);
        return stepDone(0);
    }
    stepDone(1);
    setStatus(3, "Removing the printers and the driver");
    printerStage = kStagePrinter;
    if (!stepDone(removePrinterAndDriver())) return 0;

    // None of these can fail the run; each deletion is tried.
    setStatus(4, "Removing the registry records");
    removeRegistryRecords();
    stepDone(1);
    setStatus(5, "Removing the Word add-in");
    removeWordAddin(installDir);
    stepDone(1);
    setStatus(6, "Removing the shortcuts");
    runlog::write("%s: %s", stepText, removeShortcuts() ? "done" : kKeptForLink);
    setStatus(7, "Removing the product files");
    removeProductFiles();
    stepDone(1);
    setStatus(10, "Removing the install folder");
    // A held folder cannot go. Only an emptied folder goes; a drive root is
    // never a folder to remove.
    installFolderHold.release();
    bool removed = installDir[0] && !isDriveRoot(installDir) && RemoveDirectoryA(installDir);
    runlog::write("%s \"%s\": %s", stepText, installDir, removed ? "done" : "kept: it still holds files or is in use");
    return 1;
}
