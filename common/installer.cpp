#include "common/installer.h"
#include <commctrl.h>
#include "common/errorreport.h"
#include "common/foldersecurity.h"
#include "common/product.h"
#include "common/runlog.h"
#include "common/text.h"

Installer::Installer()
    : ownerWindow(nullptr),
      progressBar(nullptr),
      statusText(nullptr),
      addWordAddin(0),
      allUsers(0),
      addStartMenuIcon(0),
      printerStage(kStageNothing),
      progressLow(0),
      progressHigh(100),
#ifdef ORLAN_UNINSTALL
      stepCount(10) {
#else
      stepCount(11) {
    addWordAddin = 1;
    previousDefaultPrinter[0] = '\0';
    declined = 0;
    payloadTable = releasePayloadTable();
#endif
    sourceDir[0] = installDir[0] = driverDir[0] = '\0';
    stepText = "";
    text::copy(printerName, product::kPrinterName);
}

int progressPosition(int low, int high, int step, int count) {
    if (count <= 0) return low;
    return low + (high - low) * step / count;
}

int Installer::stepDone(int result) { return runlog::step(stepText, result); }

void Installer::setStatus(int step, const char* status) {
    stepText = status;
    if (statusText) SetWindowTextA(statusText, status);
    if (progressBar)
        SendMessageA(progressBar, PBM_SETPOS, progressPosition(progressLow, progressHigh, step, stepCount), 0);
}

int Installer::holdInstallFolder(const char* then) {
    bool held = installFolderHold.safe() || installFolderHold.hold(installDir);
    DWORD error = GetLastError();
    // Judged once held, so that what was judged is what is used.
    FolderRefusal why = folderRefusal(installDir);
    if (why != FolderRefusal::None) {
        char message[kErrorTextSize];
        folderRefusalText(message, sizeof message, why, installDir, then);
        setErrorText(message);
        return 0;
    }
    if (held) return 1;
    reportError("CreateFile", error);
    return 0;
}
