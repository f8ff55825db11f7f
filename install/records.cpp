// The product key and the entry in the system's list of installed programs.
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/registry.h"
#include "common/setuppath.h"
#include "common/text.h"

void Installer::clearProductKey() {
    deleteRegTree(HKEY_CURRENT_USER, product::kProductKey);
    deleteRegTree(HKEY_LOCAL_MACHINE, product::kProductKey);
}

namespace {
// Names the call that failed when a value does not go in.
const char kWriteTag[] = "RegSetValue";

// Keeps the first failure's code for the step's report.
void writeValue(const char* key, const char* name, const void* data, DWORD type, DWORD* firstError) {
    if (!writeRegValue(HKEY_LOCAL_MACHINE, key, name, data, type) && *firstError == ERROR_SUCCESS)
        *firstError = GetLastError();
}

void writeText(const char* key, const char* name, const char* data, DWORD* firstError) {
    writeValue(key, name, data, REG_SZ, firstError);
}
}  // namespace

// Every value is written on its own, so one failure does not keep the others
// out. A path that does not fit its buffer is left out rather than written
// cut short: the uninstaller would follow a cut path to the wrong folder.
// The result says whether every value went in; a failure is reported.
int Installer::writeRegistryRecords() {
    DWORD firstError = ERROR_SUCCESS;
    char setupPath[MAX_PATH];
    if (setupPathFromInstallFolder(installDir, setupPath))
        writeText(product::kProductKey, product::kSetupPathValue, setupPath, &firstError);
    else
        firstError = ERROR_FILENAME_EXCED_RANGE;
    writeText(product::kProductKey, "BtnShowWd", "1", &firstError);
    writeText(product::kUninstallKey, "DisplayName", product::kDisplayName, &firstError);
    char uninstaller[MAX_PATH];
    if (text::format(uninstaller, "%s\\%s", installDir, productFile(FileRole::Uninstaller).name)) {
        // The two command lines are quoted: unquoted, "D:\Tools\Orlan PDF\..."
        // would first start a "D:\Tools\Orlan.exe" that any user may have put
        // there. The other two values are paths, not command lines.
        char command[MAX_PATH + 8];
        text::format(command, "\"%s\"", uninstaller);  // fits: the path did
        writeText(product::kUninstallKey, "UninstallString", command, &firstError);
        writeText(product::kUninstallKey, "DisplayIcon", uninstaller, &firstError);
        writeText(product::kUninstallKey, "UninstallPath", uninstaller, &firstError);
        // What deployment tools run to remove the product with nobody there.
        text::append(command, " /S");
        writeText(product::kUninstallKey, "QuietUninstallString", command, &firstError);
    } else if (firstError == ERROR_SUCCESS) {
        firstError = ERROR_FILENAME_EXCED_RANGE;
    }
    writeText(product::kUninstallKey, "Publisher", product::kPublisher, &firstError);
    writeText(product::kUninstallKey, "DisplayVersion", product::kDisplayVersion, &firstError);
    // Programs and Features offers no Change or Repair: setup has neither.
    const DWORD one = 1;
    writeValue(product::kUninstallKey, "NoModify", &one, REG_DWORD, &firstError);
    writeValue(product::kUninstallKey, "NoRepair", &one, REG_DWORD, &firstError);
    if (firstError == ERROR_SUCCESS) return 1;
    reportError(kWriteTag, firstError);
    return 0;
}
