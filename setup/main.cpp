#include <windows.h>
#include <commctrl.h>
#include "common/dllsearch.h"
#include "common/product.h"
#include "setup/entry.h"
#include "setup/options.h"
#include "setup/pages.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    hardenDllSearch();
    HANDLE mutex = CreateMutexA(nullptr, TRUE, product::kSetupMutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        ReleaseMutex(mutex);
        SetForegroundWindow(FindWindowA(product::kDialogClass, product::kWizardCaption));
        return 0;
    }
    if (!checkSystem()) return 0;
    if (!initFolders(instance)) return 0;
    InitCommonControls();
    showSplash(instance);

    bool ranInstallation = false;
    Page page = Page::Welcome;
    Road road = Road::Undecided;
    while (page != Page::End) {
        INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(pageDialog(page)), nullptr, pageProcedure(page), 0);
        if (page == Page::Progress) ranInstallation = true;
        Step step = nextPage(page, road, result);
        if (step.applyDefaults) applyDefaultChoices();
        page = step.next;
        road = step.road;
    }
    if (ranInstallation && mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return 0;
}
