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

namespace {
// Neither the run nor the Finish page stops for a default printer that will
// not change, but the log says so, with the system's reason.
void makeDefaultPrinter(const char* name) {
    char step[320];
    text::format(step, "Default printer \"%s\"", name);
    BOOL made = setDefaultPrinter(name);
    if (!made) reportError("SetDefaultPrinter", 0);
    runlog::step(step, made ? 1 : 0);
}
}  // namespace

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

    // A user may have swapped a file beside setup.exe while the pages were
    // read: nothing changes on the machine before every file is checked.
    if (!runlog::step("Checking the product files", checkPayload())) return 0;
    removeOldShortcuts();
    clearProductKey();
    runlog::write("Default printer before the run: \"%s\"", previousDefaultPrinter);

    setStatus(4, "Status: Adding printer port");
    if (!stepDone(addPort())) return 0;
    setStatus(5, "Status: Adding printer driver");
    if (!stepDone(addDriver())) return 0;
    setStatus(6, "Status: Adding printer");
    if (!stepDone(addPrinter())) return 0;
    makeDefaultPrinter(printerName);

    // Records written over missing files, or files without their records,
    // would be an installation that only looks complete.
    setStatus(7, "Status: Copying files to setup folder");
    if (!stepDone(copyProductFiles())) return 0;
    setStatus(8, "Status: Registering information");
    if (!stepDone(writeRegistryRecords())) return 0;
    setStatus(9, "");
    if (addWordAddin && !runlog::step("Word add-in", installWordAddin())) return 0;
    if (addStartMenuIcon && !runlog::step("Start menu shortcut", createShortcuts())) return 0;
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
    // Windows has no call that leaves it without a default printer: with none
    // before the run, an empty name keeps the current one.
    if (!run.previousDefaultPrinter[0]) runlog::write("There was no default printer before the run.");
    makeDefaultPrinter(run.previousDefaultPrinter);
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
