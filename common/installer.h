// The object that carries one installation run in setup and one removal run
// in the uninstaller. The printer, file, registry, shortcut and add-in
// operations are its operations; each returns 1 (or true) for "succeeded and
// complete" and 0 after composing its error report.
#pragma once
#include <windows.h>
#include "common/protect.h"
#ifdef ORLAN_SETUP
#include "common/handles.h"
#include "common/payload.h"
#endif

#ifdef ORLAN_SETUP
// Setup's choices: the wizard's pages (or setup's command line) fill them,
// and an installation run copies them once when it starts.
struct InstallOptions {
    char installDir[MAX_PATH];
    char sourceDir[MAX_PATH];
    int addWordAddin;
    int allUsers;
    int addStartMenuIcon;
};
#endif

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
#ifdef ORLAN_SETUP
    // What the run learned for its caller: the default printer before it
    // made its own the default ("" when there was none).
    char previousDefaultPrinter[264];
    int declined;  // the user chose not to install over an existing copy
    // What the payload is checked against (setup.exe's own table), and each
    // payload file once checked, held open until the Installer goes.
    PayloadTable payloadTable;
    FileHandle checkedFiles[kProductFileCount];
#endif

    // Shows a step's text (when there is a status control) and moves the bar.
    void setStatus(int step, const char* text);
    // The outcome of the step setStatus named, into the log; returns result.
    int stepDone(int result);
    const char* stepText;

    // The install folder's path, held: no folder on it can be renamed or
    // replaced while the Installer lives, or until release().
    HeldFolders installFolderHold;
    // Holds installDir's path (when it is not yet) and judges it as held:
    // no link on it, no folder above it that others may move, and the folder
    // one that only administrators can change. 0 with the report: why, then
    // `then`.
    int holdInstallFolder(const char* then);

    // Printer and driver removal, shared by both programs.
    int deleteProductPrinters();
    int deleteProductDriver();
    int removePrinterAndDriver();

#ifdef ORLAN_SETUP
    // Takes the choices and the page's controls (any may be null: no page).
    int init(const InstallOptions& choices, HWND page, HWND bar, HWND status);
    int run();

    // Checks every payload file the run copies; 0 with the failing file's
    // report. Before the run changes anything.
    int checkPayload();
    // The payload file from sourceDir, checked and held; checked now when it
    // is not yet. INVALID_HANDLE_VALUE with the last error set when it is
    // missing (ERROR_FILE_NOT_FOUND), differs from the table
    // (ERROR_FILE_CORRUPT), or cannot be opened.
    HANDLE checkedFile(const ProductFile& file);
    // Copies it over target from that handle (copyFromHandle, against its
    // row); false with the last error.
    bool copyCheckedFile(const ProductFile& file, const char* target);

    int addPort();
    int isDriverInstalled();
    int addDriver();
    int addPrinter();
    // Before anything changes: takes over or refuses an install folder that
    // is already there (installFolderUse), with the report.
    int prepareInstallFolder();
    int copyProductFiles();
    void clearProductKey();
    int writeRegistryRecords();
    void removeOldShortcuts();
    int createShortcuts();
    int installWordAddin();
#endif

#ifdef ORLAN_UNINSTALL
    void initRemoval(const char* folder, HWND owner, HWND bar);
    int runRemoval();
    // Before anything is removed: a folder that is not there is dropped
    // (nothing in it is loaded or deleted), one that is there is held and
    // judged (holdInstallFolder).
    int checkInstallFolder();
    void removeRegistryRecords();
    void removeWordAddin(const char* folder);
    // False when a link on the way kept a shortcut (deleteSpecialFolderFile).
    bool removeShortcuts();
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
