// The product's own files, in one table: where setup puts each one, the
// report of a failed copy, and who deletes it again. Setup's copies, the
// driver record, the add-in, the Destination page's length check and the
// uninstaller's removal all read it.
#pragma once

// Also the original file name in the uninstaller's version resource.
#define ORLAN_UNINSTALLER_FILE "uninstall.exe"

#ifndef RC_INVOKED
#include <windows.h>

// The folders a product file lies in.
enum class FileFolder {
    None,           // setup puts it nowhere
    Install,        // installDir
    Driver,         // the spooler's driver directory, where the driver step stages its files
    DriverVersion,  // its sub-folder for version-3 drivers, where the spooler keeps its own copies
};

// What a file is to the two programs; it says who copies it and who deletes it.
enum class FileRole {
    // The driver step stages these three, in this order, and registers them
    // as the driver's pDriverPath, pConfigFile and pDataFile. The printer
    // removal deletes them from the driver folder, the uninstaller's file
    // removal the spooler's copies.
    DriverModule,
    DriverConfig,
    DriverData,
    // Setup's file step copies it; the records and the shortcut name it; the
    // uninstaller's file removal deletes it.
    Uninstaller,
    // Setup's file step copies it; the uninstaller's file removal deletes it.
    Companion,
    // The add-in step copies it and has it register itself; the uninstaller
    // has it unregister itself, then deletes it.
    WordAddin,
    // Setup never installs it; the uninstaller's file removal deletes what an
    // earlier release left.
    Leftover,
};

// Each name has one spelling: Windows compares file names without regard
// to case, so the "Uninstall.exe" and "OPS_WordAddin.dll" that earlier
// releases' records and uninstallers name are these same files.
struct ProductFile {
    const char* name;
    FileRole role;
    FileFolder copiedTo;     // from sourceDir, under the same name
    const char* copyTag;     // the error tag of a failed copy; null when setup copies none
    FileFolder removedFrom;  // where the uninstaller deletes it
};

// In the order the uninstaller deletes them; setup's file step copies its
// files in the same order. The build reads the rows' names and folders
// (payload.cmake): keep each row on one line.
inline constexpr ProductFile kProductFiles[] = {
    {ORLAN_UNINSTALLER_FILE, FileRole::Uninstaller, FileFolder::Install, "CopyFile_7", FileFolder::Install},
    {"OPSBatch.exe", FileRole::Leftover, FileFolder::None, nullptr, FileFolder::Install},
    {"ORC_ProxyProcess.exe", FileRole::Companion, FileFolder::DriverVersion, "CopyFile_10", FileFolder::DriverVersion},
    {"kpdcjk.bin", FileRole::Companion, FileFolder::DriverVersion, "CopyFile_11", FileFolder::DriverVersion},
    {"kpd_pnt.txt", FileRole::DriverData, FileFolder::Driver, "CopyFile_0", FileFolder::DriverVersion},
    {"kpd_drv.dll", FileRole::DriverModule, FileFolder::Driver, "CopyFile_1", FileFolder::DriverVersion},
    {"kpd_ui.dll", FileRole::DriverConfig, FileFolder::Driver, "CopyFile_2", FileFolder::DriverVersion},
    {"ops_wordaddin.dll", FileRole::WordAddin, FileFolder::Install, "RegServ2", FileFolder::Install},
};

inline constexpr size_t kProductFileCount = sizeof kProductFiles / sizeof kProductFiles[0];

// The release's record of the files it packs beside setup.exe, which the
// release build writes into setup.exe's resources: one line per file,
// "<SHA-256 in hex> <size> <name>".
struct PayloadTable {
    const char* text;
    DWORD size;
};
// setup.exe's own table; empty (no text) when it has none.
PayloadTable releasePayloadTable();

// The file with this role; every role but Companion has exactly one.
const ProductFile& productFile(FileRole role);

// The driver's files in the order the driver step stages them.
inline constexpr FileRole kDriverRoles[] = {FileRole::DriverModule, FileRole::DriverConfig, FileRole::DriverData};

// The folder's path for an installation with these folders: false, with the
// last error set, when the folder is not known (ERROR_PATH_NOT_FOUND) or its
// path does not fit (ERROR_FILENAME_EXCED_RANGE).
bool productFolder(char (&out)[MAX_PATH], FileFolder folder, const char* installDir, const char* driverDir);

// The longest name among the files that go to the install folder: a folder
// with room for that one has room for each.
size_t longestInstallFolderName();
#endif
