// Removal of the product's printers, its driver and the staged driver files,
// shared by setup's clean-up and the uninstaller. Deleting a printer or the
// driver fails while an application holds it, so each deletion loops on an
// OK/Cancel prompt until it succeeds or the user gives up.
#include <string.h>
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/spooler.h"
#include "common/text.h"

SpoolerCalls systemSpoolerCalls() {
    SpoolerCalls calls = {};
    calls.enumPrinters = EnumPrintersA;
    calls.openPrinter = OpenPrinterA;
    calls.deletePrinter = DeletePrinter;
    calls.deletePrinterDriver = DeletePrinterDriverA;
    calls.addPrinter = AddPrinterA;
    calls.getPrinterDriverDirectory = GetPrinterDriverDirectoryA;
    calls.enumPrinterDrivers = EnumPrinterDriversA;
    calls.openMonitor = OpenPrinterA;
    calls.xcvData = nullptr;
    return calls;
}

SpoolerCalls spoolerCalls = systemSpoolerCalls();

void clearReadOnly(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

void deleteProductFile(const char* path) {
    clearReadOnly(path);
    DeleteFileA(path);
}

HANDLE addProductPrinter(const char* printerName) {
    // The record's members are writable pointers; these copies keep the
    // constant texts out of the spooler's reach.
    char name[64], port[16], driver[64], processor[16], datatype[8];
    text::copy(name, printerName);
    text::copy(port, product::kPortName);
    text::copy(driver, product::kDriverName);
    text::copy(processor, product::kPrintProcessor);
    text::copy(datatype, product::kDatatype);
    PRINTER_INFO_2A info = {};
    info.pPrinterName = name;
    info.pPortName = port;
    info.pDriverName = driver;
    info.pPrintProcessor = processor;
    info.pDatatype = datatype;
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    return spoolerCalls.addPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
}

namespace {
// OK repeats the failed call; any other answer gives up.
bool askRetry(HWND owner, const char* format, const char* printerName, int& asked) {
    char question[512];
    text::format(question, format, printerName);
    return prompt::retry(owner, question, asked);
}

void reportPrinterError(const char* format, const char* printerName, DWORD code) {
    char tag[128];
    text::format(tag, format, printerName);
    reportError(tag, code);
}
}  // namespace

int Installer::deleteProductPrinters() {
    DWORD needed = 0, count = 0;
    spoolerCalls.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    Buffer buffer(needed);
    if (!spoolerCalls.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.get(), buffer.size(), &needed, &count)) return 1;
    const PRINTER_INFO_2A* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.get());
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2A& printer = printers[i];
        if (!printer.pDriverName || strcmp(printer.pDriverName, product::kDriverName) != 0) continue;

        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        PrinterHandle handle;
        int asked = 0;
        while (!spoolerCalls.openPrinter(printer.pPrinterName, handle.receive(), &defaults)) {
            reportPrinterError(product::kCannotOpenTag, printerName, GetLastError());
            if (!askRetry(ownerWindow, product::kCannotOpenPrompt, printerName, asked)) return 0;
        }
        if (printer.cJobs > 0) {
            char message[512];
            text::format(message, product::kJobsQueued, printerName);
            prompt::tell(ownerWindow, message, product::kBoxCaption, 0);
            return 0;
        }
        asked = 0;
        while (!spoolerCalls.deletePrinter(handle.get())) {
            reportPrinterError(product::kCannotDeleteTag, printerName, GetLastError());
            if (!askRetry(ownerWindow, product::kCannotDeletePrompt, printerName, asked)) return 0;
        }
    }
    return 1;
}

int Installer::deleteProductDriver() {
    char driver[64];
    text::copy(driver, product::kDriverName);
    for (int asked = 0;;) {
        // Some spoolers fail without setting an error; the code read below
        // must then not be an older one.
        SetLastError(ERROR_SUCCESS);
        if (spoolerCalls.deletePrinterDriver(nullptr, nullptr, driver)) return 1;
        DWORD code = GetLastError();
        // A driver that is already gone is no failure. Not every spooler says
        // so with ERROR_UNKNOWN_PRINTER_DRIVER; asking the user to retry the
        // deletion of a missing driver could never succeed.
        if (code == ERROR_UNKNOWN_PRINTER_DRIVER || productDriverListing(nullptr) == DriverListing::NotListed) return 1;
        SetLastError(code);
        reportError(product::kDriverTag, code);
        if (!prompt::retry(ownerWindow, product::kDriverPrompt, asked)) return 0;
    }
}

int Installer::removePrinterAndDriver() {
    if (printerStage >= kStagePrinter && !deleteProductPrinters()) return 0;
    if (printerStage >= kStageDriver && !deleteProductDriver()) {
#ifdef ORLAN_UNINSTALL
        putPrinterBack();
#endif
        return 0;
    }
    // Without a driver directory the names would point into the current
    // drive's root, where these files are none of ours.
    if (printerStage >= kStageDriverFiles && driverDir[0]) {
        for (size_t i = ARRAYSIZE(kDriverRoles); i-- > 0;) {  // the staging order backwards
            char path[MAX_PATH];
            if (text::format(path, "%s\\%s", driverDir, productFile(kDriverRoles[i]).name)) deleteProductFile(path);
        }
    }
    return 1;
}

#ifdef ORLAN_UNINSTALL
void Installer::putPrinterBack() {
    PrinterHandle printer(addProductPrinter(product::kPrinterName));
    // Tried once: starting the removal over from here would bring back the
    // prompt the user just cancelled, as often as they cancel it. The run
    // stops and the report tells what is missing.
    if (!printer) reportError("AddPrinter", 0);
}
#endif
