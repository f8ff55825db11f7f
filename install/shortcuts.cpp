// The Start-menu folder with the uninstaller's shortcut.
#include <objbase.h>
#include <shlobj.h>
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/protect.h"
#include "common/shell.h"
#include "common/text.h"
#include "install/install.h"

bool createShortcut(const char* linkPath, const char* targetPath, const char* description) {
    // Nests within the installation thread's own initialisation.
    CoInitialize(nullptr);
    HRESULT hr;
    {
        ComPtr<IShellLinkA> link;
        ComPtr<IPersistFile> file;
        hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.receive());
        if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, file.receive());
        if (SUCCEEDED(hr)) hr = link->SetPath(targetPath);
        if (SUCCEEDED(hr)) hr = link->SetDescription(description);
        wchar_t widePath[MAX_PATH];
        // A link path that does not convert whole is not saved under a cut name.
        if (SUCCEEDED(hr) && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) <= 0)
            hr = HRESULT_FROM_WIN32(GetLastError());
        if (SUCCEEDED(hr)) hr = file->Save(widePath, TRUE);
    }  // both interfaces are released before COM is left
    CoUninitialize();
    // A Windows error wrapped in an HRESULT reports as its own code and text.
    SetLastError(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr));
    return SUCCEEDED(hr);
}

namespace {
// Names the step that failed when the uninstaller's shortcut is not saved.
const char kShortcutTag[] = "CreateShortcut";
}  // namespace

void Installer::removeOldShortcuts() {
    const char* const links[] = {product::kUninstallLink, product::kOldBatchLink};
    for (const char* link : links) {
        deleteSpecialFolderFile(CSIDL_COMMON_PROGRAMS, link);
        deleteSpecialFolderFile(CSIDL_PROGRAMS, link);
    }
    // The folder goes only when it is empty: files of others stay.
    const int folders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
    for (int csidl : folders) removeSpecialFolderDirectory(csidl, product::kStartMenuFolder);
}

int Installer::createShortcuts() {
    char programs[MAX_PATH];
    if (!specialFolderPath(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, programs)) {
        reportError(kShortcutTag, ERROR_PATH_NOT_FOUND);
        return 0;
    }
    char folder[MAX_PATH];
    char link[MAX_PATH];
    char target[MAX_PATH];
    if (!text::format(folder, "%s\\%s", programs, product::kStartMenuFolder) ||
        !text::format(link, "%s\\%s", programs, product::kUninstallLink) ||
        !text::format(target, "%s\\%s", installDir, productFile(FileRole::Uninstaller).name)) {
        reportError(kShortcutTag, ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    // A link on the way would have the folder made, and the link file
    // written, somewhere else: the way is held before anything is made on it.
    // A folder that cannot be made fails the save, which reports why.
    HeldFolders way(programs);
    if (way.safe()) createFolderTree(folder);
    if (!way.safe() || !way.hold(folder)) {
        reportError(kShortcutTag, ERROR_ACCESS_DENIED);
        return 0;
    }
    if (createShortcut(link, target, product::kUninstallLinkDescription)) return 1;
    reportError(kShortcutTag, 0);
    return 0;
}
