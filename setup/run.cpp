// One installation run: its fixed order of steps and the thread that carries it.
#include <objbase.h>
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/spooler.h"
#include "common/text.h"
#include "install/install.h"
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"
#include "setup/run.h"

int Installer::init(const InstallParams& params) {
    text::copy(sourceDir, params.sourceDir);
    text::copy(installDir, params.installDir);
    text::dropTrailingSeparator(sourceDir);
    text::dropTrailingSeparator(installDir);
    addWordAddin = params.addWordAddin;
    addStartMenuIcon = params.addStartMenuIcon;
    allUsers = params.allUsers;
    ownerWindow = params.page;
    progressBar = params.progressBar;
    statusText = params.statusText;
    return 1;
}

int Installer::run() {
    // When the spooler does not say, the driver step asks again and reports it.
    lookUpDriverDir(driverDir);

    DWORD size = sizeof options.previousDefaultPrinter;
    if (!getDefaultPrinter(options.previousDefaultPrinter, &size)) options.previousDefaultPrinter[0] = '\0';

    if (isDriverInstalled() &&
        MessageBoxA(ownerWindow, product::kAlreadyInstalled, product::kSetupBoxCaption,
                    MB_YESNO | MB_SETFOREGROUND) != IDYES)
        return 1;  // nothing installed; the wizard goes on as after success

    removeOldShortcuts();
    clearProductKey();

    setStatus(4, "Status: Adding printer port");
    if (!addPort()) return 0;
    setStatus(5, "Status: Adding printer driver");
    if (!addDriver()) return 0;
    setStatus(6, "Status: Adding printer");
    if (!addPrinter()) return 0;
    setDefaultPrinter(printerName);

    // Records written over missing files, or files without their records,
    // would be an installation that only looks complete.
    setStatus(7, "Status: Copying files to setup folder");
    if (!copyProductFiles()) return 0;
    setStatus(8, "Status: Registering information");
    if (!writeRegistryRecords()) return 0;
    setStatus(9, "");
    if (addWordAddin && !installWordAddin()) return 0;
    if (addStartMenuIcon) createShortcuts();
    setStatus(11, "Status: Success");
    return 1;
}

unsigned __stdcall installThread(void* argument) {
    HWND page = static_cast<HWND>(argument);
    CoInitialize(nullptr);
    InstallParams params = {options.sourceDir,      options.installDir, options.addWordAddin,
                            options.addStartMenuIcon, options.allUsers,  page,
                            GetDlgItem(page, IDC_PROGRESS_BAR), GetDlgItem(page, IDC_STATUS)};
    int result;
    {
        Installer installer;
        installer.init(params);
        result = installer.run();
    }
    if (!result) showError(page, nullptr);
    storePageRect(page);
    EndDialog(page, result ? 1 : 0);
    CoUninitialize();
    return 0;
}
