// Copies the Word add-in into the install folder and has it register itself.
#include "common/errorreport.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/shell.h"
#include "common/text.h"
#include "install/install.h"

namespace {
// Names the call that failed when the add-in does not register itself.
const char kRegisterTag[] = "DllRegisterServer";
}  // namespace

int Installer::installWordAddin() {
    const ProductFile& addin = productFile(FileRole::WordAddin);
    char target[MAX_PATH];
    // Asking the user to close Word would not help with these.
    if (!text::format(target, "%s\\%s", installDir, addin.name)) {
        reportError(addin.copyTag, ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    if (checkedFile(addin) == INVALID_HANDLE_VALUE) {
        reportError(addin.copyTag, 0);
        return 0;
    }
    // Word keeps the add-in open while it runs; the copy over it fails until
    // Word is closed or the user gives up. Closing Word cannot mend other
    // bytes than the release's.
    int asked = 0;
    while (!copyCheckedFile(addin, target)) {
        DWORD why = GetLastError();
        reportError(addin.copyTag, why);
        if (why == ERROR_FILE_CORRUPT || !prompt::retry(ownerWindow, product::kCloseWord, asked)) return 0;
    }
    if (callDllRegistration(target, true)) return 1;
    // Without a report of its own the run's failure message would show an
    // earlier step's report, or nothing at all.
    reportError(kRegisterTag, 0);
    return 0;
}
