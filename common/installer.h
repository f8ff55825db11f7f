// The object that carries one installation run in setup and one removal run
// in the uninstaller. The printer, file, registry, shortcut and add-in
// operations are its operations; each returns 1 (or true) for "succeeded and
// complete" and 0 after composing its error report.
#pragma once
#include <windows.h>

// What the installation thread hands to init, built from the wizard's options.
struct InstallParams {
    const char* sourceDir;
    const char* installDir;
    int addWordAddin;
    int addStartMenuIcon;
    int allUsers;
    HWND page;
    HWND progressBar;
    HWND statusText;
};

// printerStage values: how far the printer installation got.
enum PrinterStage { kStageNothing = 0, kStagePort = 1, kStageDriverFiles = 2, kStageDriver = 3, kStagePrinter = 4 };

class Installer {
public:
    Installer();

    char sourceDir[MAX_PATH];
    char installDir[MAX_PATH];
    char driverDir[MAX_PATH];
    HWND ownerWindow;
    HWND progressBar;
    HWND statusText;
    int addWordAddin;
    int allUsers;
    int addStartMenuIcon;
    int printerStage;
    int progressLow;
    int progressHigh;
    int stepCount;
    char printerName[64];

    // Shows a step's text (when there is a status control) and moves the bar.
    void setStatus(int step, const char* text);

    // Printer and driver removal, shared by both programs.
    int deleteProductPrinters();
    int deleteProductDriver();
    int removePrinterAndDriver();

#ifdef ORLAN_SETUP
    int init(const InstallParams& params);
    int run();

    int addPort();
    int isDriverInstalled();
    int addDriver();
    int addPrinter();
    int copyProductFiles();
    void clearProductKey();
    int writeRegistryRecords();
    void removeOldShortcuts();
    void createShortcuts();
    int installWordAddin();
#endif

#ifdef ORLAN_UNINSTALL
    void initRemoval(const char* folder, HWND owner, HWND bar);
    int runRemoval();
    void removeRegistryRecords();
    void removeWordAddin(const char* folder);
    void removeShortcuts();
    void removeProductFiles();
    // After a cancelled driver deletion: puts "Orlan PDF Printer" back, in
    // one attempt; a failure is reported and nothing starts over.
    void putPrinterBack();
#endif
};

// Makes a file writable, keeping its other attributes. A copy of a
// read-only payload file carries the attribute over; DeleteFile then refuses
// it, and Windows' CopyFile will not overwrite it.
void clearReadOnly(const char* path);

// Deletes one of the product's own files, read-only or not.
void deleteProductFile(const char* path);

// The progress position of a step: low + (high - low) * step / count,
// multiplied first, the division truncating.
int progressPosition(int low, int high, int step, int count);
