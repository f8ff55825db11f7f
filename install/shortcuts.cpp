// The Start-menu folder with the uninstaller's shortcut.
#include <objbase.h>
#include <shlobj.h>
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/shell.h"
#include "common/text.h"
#include "install/install.h"

void createShortcut(const char* linkPath, const char* targetPath, const char* description) {
    // Nests within the installation thread's own initialisation.
    CoInitialize(nullptr);
    {
        ComPtr<IShellLinkA> link;
        ComPtr<IPersistFile> file;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                       link.receive())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.receive())) &&
            SUCCEEDED(link->SetPath(targetPath)) && SUCCEEDED(link->SetDescription(description))) {
            wchar_t widePath[MAX_PATH];
            // A link path that does not convert whole is not saved under a
            // cut name.
            if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) > 0) file->Save(widePath, TRUE);
        }
    }  // both interfaces are released before COM is left
    CoUninitialize();
}

void Installer::removeOldShortcuts() {
    const char* const links[] = {product::kUninstallLink, product::kOldBatchLink};
    for (const char* link : links) {
        deleteSpecialFolderFile(CSIDL_COMMON_PROGRAMS, link);
        deleteSpecialFolderFile(CSIDL_PROGRAMS, link);
    }
    const int folders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
    for (int csidl : folders) {
        char programs[MAX_PATH];
        char productFolder[MAX_PATH];
        if (!specialFolderPath(csidl, programs)) continue;
        // Removes the folder only when it is empty: files of others stay.
        if (text::format(productFolder, "%s\\%s", programs, product::kStartMenuFolder))
            RemoveDirectoryA(productFolder);
    }
}

void Installer::createShortcuts() {
    char programs[MAX_PATH];
    if (!specialFolderPath(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, programs)) return;
    char folder[MAX_PATH];
    char link[MAX_PATH];
    char target[MAX_PATH];
    if (!text::format(folder, "%s\\%s", programs, product::kStartMenuFolder) ||
        !text::format(link, "%s\\%s", programs, product::kUninstallLink) ||
        !text::format(target, "%s\\%s", installDir, productFile(FileRole::Uninstaller).name))
        return;
    createFolderTree(folder);
    createShortcut(link, target, product::kUninstallLinkDescription);
}
