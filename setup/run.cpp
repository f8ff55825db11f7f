// One installation run: its fixed order of steps and the thread that carries it.
#include <objbase.h>
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/runlog.h"
#include "common/spooler.h"
#include "common/text.h"
#include "install/install.h"
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/run.h"

int Installer::init(const InstallOptions& choices, HWND page, HWND bar, HWND status) {
    text::copy(sourceDir, choices.sourceDir);
    text::copy(installDir, choices.installDir);
    text::dropTrailingSeparator(sourceDir);
    text::dropTrailingSeparator(installDir);
    addWordAddin = choices.addWordAddin;
    addStartMenuIcon = choices.addStartMenuIcon;
    allUsers = choices.allUsers;
    ownerWindow = page;
    progressBar = bar;
    statusText = status;
    return 1;
}

int Installer::run() {
    // When the spooler does not say, the driver step asks again and reports it.
    lookUpDriverDir(driverDir);

    DWORD size = sizeof previousDefaultPrinter;
    if (!getDefaultPrinter(previousDefaultPrinter, &size)) previousDefaultPrinter[0] = '\0';

    // Unattended, setup installs again, as the user's Yes does.
    if (isDriverInstalled() &&
        !prompt::yes(ownerWindow, product::kAlreadyInstalled, product::kSetupBoxCaption, MB_SETFOREGROUND, true)) {
        declined = 1;
        return 1;  // nothing installed; the wizard goes on as after success
    }

    if (!runlog::step("Checking the install folder", prepareInstallFolder())) return 0;
    removeOldShortcuts();
    clearProductKey();
    runlog::write("Default printer before the run: \"%s\"", previousDefaultPrinter);

    setStatus(4, "Status: Adding printer port");
    if (!stepDone(addPort())) return 0;
    setStatus(5, "Status: Adding printer driver");
    if (!stepDone(addDriver())) return 0;
    setStatus(6, "Status: Adding printer");
    if (!stepDone(addPrinter())) return 0;
    setDefaultPrinter(printerName);

    // Records written over missing files, or files without their records,
    // would be an installation that only looks complete.
    setStatus(7, "Status: Copying files to setup folder");
    if (!stepDone(copyProductFiles())) return 0;
    setStatus(8, "Status: Registering information");
    if (!stepDone(writeRegistryRecords())) return 0;
    setStatus(9, "");
    if (addWordAddin && !runlog::step("Word add-in", installWordAddin())) return 0;
    if (addStartMenuIcon) {
        createShortcuts();
        runlog::step("Start menu shortcut", 1);
    }
    setStatus(11, "Status: Success");
    runlog::write("Status: Success");
    return 1;
}

int performInstallation(InstallRun& run) {
    const InstallOptions& c = run.choices;
    runlog::write("Choices: folder \"%s\", Word add-in %s, Start menu shortcut %s, for all users %s", c.installDir,
                  c.addWordAddin ? "yes" : "no", c.addStartMenuIcon ? "yes" : "no", c.allUsers ? "yes" : "no");
    Installer installer;
    installer.init(run.choices, run.page, GetDlgItem(run.page, IDC_PROGRESS_BAR), GetDlgItem(run.page, IDC_STATUS));
    run.succeeded = installer.run();
    run.declined = installer.declined;
    text::copy(run.previousDefaultPrinter, installer.previousDefaultPrinter);
    return run.succeeded;
}

void giveDefaultBack(const InstallRun& run) {
    runlog::write("The default printer goes back to \"%s\"", run.previousDefaultPrinter);
    setDefaultPrinter(run.previousDefaultPrinter);
}

unsigned __stdcall installThread(void* argument) {
    InstallRun& run = *static_cast<InstallRun*>(argument);
    CoInitialize(nullptr);
    if (!performInstallation(run)) showError(run.page, nullptr);
    storePageRect(run.page);
    EndDialog(run.page, run.succeeded ? 1 : 0);
    CoUninitialize();
    return 0;
}
