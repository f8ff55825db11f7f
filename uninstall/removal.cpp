// What the removal run deletes besides the printer: registry records, the
// Word add-in, shortcuts and product files. Every deletion is attempted and
// none of them can fail the run; an install folder that elevated code cannot
// trust stops it before anything is removed.
#include "common/installer.h"
#include <shlobj.h>
#include "common/payload.h"
#include "common/product.h"
#include "common/protect.h"
#include "common/registry.h"
#include "common/runlog.h"
#include "common/shell.h"
#include "common/text.h"
#include "uninstall/uninstall.h"

namespace {

struct RegistryRecord {
    HKEY root;
    const char* key;
};

// Removed by the run itself.
const RegistryRecord kRunKeys[] = {
    {HKEY_LOCAL_MACHINE, product::kProductKey},
    {HKEY_CURRENT_USER, product::kProductKey},
    {HKEY_LOCAL_MACHINE, product::kUninstallKey},
};

// Removed again after a successful run, with an older product's entry.
const RegistryRecord kLeftoverKeys[] = {
    {HKEY_LOCAL_MACHINE, product::kProductKey},
    {HKEY_CURRENT_USER, product::kProductKey},
    {HKEY_LOCAL_MACHINE, product::kOldUninstallKey},
};

// Shortcuts are looked for under all users first, then under the user.
const int kProgramsFolders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};

const char* const kRunShortcuts[] = {product::kUninstallLink, product::kBatchLink};

}  // namespace

bool productFilePath(char (&out)[MAX_PATH], const char* folder, const char* file) {
    out[0] = '\0';
    if (!folder || !folder[0]) return false;  // "\file" would name the root of the current drive
    if (!text::format(out, "%s\\%s", folder, file)) {
        out[0] = '\0';  // a cut path names some other file
        return false;
    }
    return true;
}

int Installer::checkInstallFolder() {
    if (!installDir[0]) return 1;
    if (GetFileAttributesA(installDir) == INVALID_FILE_ATTRIBUTES && isNotThere(GetLastError())) {
        installDir[0] = '\0';
        return 1;
    }
    return holdInstallFolder(product::kInstallFolderRefused);
}

bool isDriveRoot(const char* folder) {
    if (!folder || !folder[0] || folder[1] != ':') return false;
    return folder[2] == '\0' || (text::isSeparator(folder[2], true) && folder[3] == '\0');
}

void Installer::removeRegistryRecords() {
    for (const RegistryRecord& record : kRunKeys) deleteRegTree(record.root, record.key);
}

void Installer::removeWordAddin(const char* folder) {
    char path[MAX_PATH];
    if (!productFilePath(path, folder, productFile(FileRole::WordAddin).name)) return;
    callDllRegistration(path, false);
    deleteProductFile(path);
}

bool Installer::removeShortcuts() {
    bool done = true;
    for (const char* link : kRunShortcuts)
        for (int csidl : kProgramsFolders) done &= deleteSpecialFolderFile(csidl, link);
    return done;
}

void Installer::removeProductFiles() {
    // The add-in goes with its unregistration.
    for (const ProductFile& file : kProductFiles) {
        char folder[MAX_PATH], path[MAX_PATH];
        if (file.role != FileRole::WordAddin && productFolder(folder, file.removedFrom, installDir, driverDir) &&
            productFilePath(path, folder, file.name))
            deleteProductFile(path);
    }
}

void removeLeftovers(const char* installFolder) {
    for (const RegistryRecord& record : kLeftoverKeys) deleteRegTree(record.root, record.key);
    bool done = true;
    for (int csidl : kProgramsFolders) done &= deleteSpecialFolderFile(csidl, product::kOldVendorLink);
    // Goes only when nothing else is left in it.
    for (int csidl : kProgramsFolders) done &= removeSpecialFolderDirectory(csidl, product::kStartMenuFolder);
    // An earlier release's uninstaller, one folder down.
    char olderFolder[MAX_PATH], oldProgram[MAX_PATH];
    if (productFilePath(olderFolder, installFolder, "PDF Scribe") &&
        productFilePath(oldProgram, olderFolder, productFile(FileRole::Uninstaller).name))
        deleteProductFile(oldProgram);
    runlog::write("Removing what earlier releases left: %s", done ? "done" : kKeptForLink);
}
