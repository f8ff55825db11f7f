// The product key and the entry in the system's list of installed programs.
#include "common/installer.h"
#include "common/product.h"
#include "common/registry.h"
#include "common/text.h"

void Installer::clearProductKey() {
    deleteRegTree(HKEY_CURRENT_USER, product::kProductKey);
    deleteRegTree(HKEY_LOCAL_MACHINE, product::kProductKey);
}

namespace {
bool writeText(const char* key, const char* name, const char* data) {
    return writeRegValue(HKEY_LOCAL_MACHINE, key, name, data, REG_SZ);
}
}  // namespace

// Every value is written on its own, so one failure does not keep the others
// out. A path that does not fit its buffer is left out rather than written
// cut short: the uninstaller would follow a cut path to the wrong folder.
// The result says whether every value went in; the run does not stop on it.
int Installer::writeRegistryRecords() {
    bool complete = true;
    char setupPath[MAX_PATH];
    if (text::format(setupPath, "%s\\", installDir))
        complete &= writeText(product::kProductKey, "SetupPath", setupPath);
    else
        complete = false;
    complete &= writeText(product::kProductKey, "BtnShowWd", "1");
    complete &= writeText(product::kUninstallKey, "DisplayName", product::kDisplayName);
    char uninstaller[MAX_PATH];
    if (text::format(uninstaller, "%s\\uninstall.exe", installDir)) {
        complete &= writeText(product::kUninstallKey, "UninstallString", uninstaller);
        complete &= writeText(product::kUninstallKey, "DisplayIcon", uninstaller);
        complete &= writeText(product::kUninstallKey, "UninstallPath", uninstaller);
    } else {
        complete = false;
    }
    complete &= writeText(product::kUninstallKey, "Publisher", product::kPublisher);
    complete &= writeText(product::kUninstallKey, "DisplayVersion", product::kDisplayVersion);
    return complete ? 1 : 0;
}
