// The printer "Orlan PDF Printer" and the system's default printer.
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/spooler.h"
#include "common/system.h"
#include "install/install.h"

int Installer::addPrinter() {
    PrinterHandle existing;
    if (spoolerCalls.openPrinter(printerName, existing.receive(), nullptr)) {
        // A printer of that name stays as it is, whatever port or driver it uses.
        existing.reset();
        printerStage = kStagePrinter;
        return 1;
    }
    PrinterHandle created(addProductPrinter(printerName));
    if (!created) {
        reportError("AddPrinter", 0);
        removePrinterAndDriver();
        return 0;
    }
    printerStage = kStagePrinter;
    return 1;
}

// Both functions came with Windows 2000; they are looked up so that the
// program still starts where they are missing.
BOOL getDefaultPrinter(char* buffer, DWORD* size) {
    typedef BOOL(WINAPI * GetDefaultPrinterFn)(LPSTR, LPDWORD);
    Library winspool(loadSystemLibrary("winspool.drv"));
    if (!winspool) return FALSE;
    GetDefaultPrinterFn get =
        reinterpret_cast<GetDefaultPrinterFn>(reinterpret_cast<void*>(GetProcAddress(winspool.get(), "GetDefaultPrinterA")));
    return get ? get(buffer, size) : FALSE;
}

BOOL setDefaultPrinter(const char* name) {
    typedef BOOL(WINAPI * SetDefaultPrinterFn)(LPCSTR);
    Library winspool(loadSystemLibrary("winspool.drv"));
    if (!winspool) return FALSE;
    SetDefaultPrinterFn set =
        reinterpret_cast<SetDefaultPrinterFn>(reinterpret_cast<void*>(GetProcAddress(winspool.get(), "SetDefaultPrinterA")));
    return set ? set(name) : FALSE;
}
