// The spooler calls that the printer steps and their clean-up make, gathered
// so that a test can answer one of them the way Wine cannot (a driver that is
// already gone, a monitor that refuses to open, a negative port status, a
// driver list that cannot be read). A field the system's calls leave null is
// looked up at run time where it is used: older systems lack it.
#pragma once
#include <windows.h>
#include <winspool.h>

struct SpoolerCalls {
    BOOL(WINAPI* enumPrinters)(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                               LPDWORD count);
    BOOL(WINAPI* openPrinter)(LPSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSA defaults);
    BOOL(WINAPI* deletePrinter)(HANDLE printer);
    BOOL(WINAPI* deletePrinterDriver)(LPSTR server, LPSTR environment, LPSTR driver);
    HANDLE(WINAPI* addPrinter)(LPSTR server, DWORD level, LPBYTE info);
    BOOL(WINAPI* getPrinterDriverDirectory)(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer,
                                            DWORD size, LPDWORD needed);
    BOOL(WINAPI* enumPrinterDrivers)(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                     LPDWORD needed, LPDWORD count);
    // Opens the Local Port monitor's Xcv interface.
    BOOL(WINAPI* openMonitor)(LPSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSA defaults);
    // Null: XcvDataW, looked up in winspool.drv.
    BOOL(WINAPI* xcvData)(HANDLE xcv, PCWSTR command, PBYTE input, DWORD inputSize, PBYTE output,
                          DWORD outputSize, PDWORD needed, PDWORD status);
};
extern SpoolerCalls spoolerCalls;

// The system's own calls, as the programs use them.
SpoolerCalls systemSpoolerCalls();

// AddPrinterA, level 2, for the product's printer under the given name on
// the product's port, driver, print processor and data type. The handle of
// the new printer, or null with the last error set.
HANDLE addProductPrinter(const char* printerName);

// The spooler's driver directory for the product's environment, asked
// through spoolerCalls. False, with out empty and the last error set, when
// the spooler does not say.
bool lookUpDriverDir(char (&out)[MAX_PATH]);

// Whether the spooler lists a driver named exactly "Orlan PDF Printer
// Driver" (byte for byte: another letter case is not ours) for environment,
// null for the spooler's own. Unknown, with the last error set, when the
// list cannot be read.
enum class DriverListing { Listed, NotListed, Unknown };
DriverListing productDriverListing(const char* environment);
