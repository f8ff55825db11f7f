#include "common/installer.h"
#include <commctrl.h>
#include "common/product.h"
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
#endif
    sourceDir[0] = installDir[0] = driverDir[0] = '\0';
    text::copy(printerName, product::kPrinterName);
}

int progressPosition(int low, int high, int step, int count) {
    if (count <= 0) return low;
    return low + (high - low) * step / count;
}

void Installer::setStatus(int step, const char* status) {
    if (statusText) SetWindowTextA(statusText, status);
    if (progressBar)
        SendMessageA(progressBar, PBM_SETPOS, progressPosition(progressLow, progressHigh, step, stepCount), 0);
}
