// The local port "ORLAN_PDF:", added through the Local Port monitor's Xcv
// interface. XcvDataW is looked up at run time: older spoolers lack it.
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/product.h"
#include "common/spooler.h"
#include "common/system.h"
#include "common/text.h"

int Installer::addPort() {
    Library winspool(loadSystemLibrary("winspool.drv"));
    if (!winspool) {
        reportError("winspool", 0);
        return 0;
    }
    decltype(spoolerCalls.xcvData) xcvData =
        reinterpret_cast<decltype(xcvData)>(reinterpret_cast<void*>(GetProcAddress(winspool.get(), "XcvDataW")));
    if (!xcvData) {
        reportError("OR_XcvData_2", 0);
        return 0;
    }
    if (spoolerCalls.xcvData) xcvData = spoolerCalls.xcvData;

    WCHAR input[512] = {};
    lstrcpynW(input, product::kPortNameW, 512);
    char monitorName[64];
    text::copy(monitorName, product::kLocalPortMonitor);
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    PrinterHandle monitor;
    if (!spoolerCalls.openMonitor(monitorName, monitor.receive(), &defaults)) {
        // Typically a user without administrator rights.
        setErrorText(product::kNoPortMonitor);
        return 0;
    }

    BYTE output[1024];
    DWORD needed = 0, status = 0;
    DWORD inputSize = static_cast<DWORD>((lstrlenW(product::kPortNameW) + 1) * sizeof(WCHAR));
    if (!xcvData(monitor.get(), L"AddPort", reinterpret_cast<PBYTE>(input), inputSize, output, 0, &needed,
                 &status)) {
        reportError("XcvData_1", 0);
        return 0;
    }
    // Only a status with the top bit set is a failure; 183 (the port is
    // there already) and other positive answers count as success.
    if (static_cast<LONG>(status) < 0) {
        monitor.reset();
        SetLastError(status);
        reportError("XcvData_2", 0);
        return 0;
    }
    printerStage = kStagePort;
    return 1;
}
