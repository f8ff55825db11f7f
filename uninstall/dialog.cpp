// The progress dialog, shown modally on a thread of its own while the main
// thread removes the product.
#include "uninstall/uninstall.h"
#include <commctrl.h>
#include "common/centre.h"
#include "resources/resource.h"

HWND volatile uninstallDialog = nullptr;
HWND volatile uninstallProgress = nullptr;

namespace {

HINSTANCE dialogInstance;

// Centred on the screen, with the program's icon.
void placeDialog(HWND dialog) {
    centreOnScreen(dialog);
    HICON icon = LoadIconA(dialogInstance, MAKEINTRESOURCEA(IDI_UNINSTALL));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// Only the initialisation is handled: Esc, the close box and the system
// menu's Close leave the dialog up until the run ends it.
INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return 0;
    placeDialog(dialog);
    HWND bar = GetDlgItem(dialog, IDC_UNINSTALL_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    // The range is set before the handles are published, so the main
    // thread's first position lands on the final scale.
    uninstallProgress = bar;
    uninstallDialog = dialog;
    return 0;
}

}  // namespace

DWORD WINAPI uninstallDialogThread(LPVOID instance) {
    dialogInstance = static_cast<HINSTANCE>(instance);
    DialogBoxParamA(dialogInstance, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, dialogProc, 0);
    return 0;
}

bool waitForDialog(DWORD limitMs, DWORD stepMs) {
    DWORD start = GetTickCount();
    while (!uninstallDialog || !uninstallProgress) {
        if (GetTickCount() - start >= limitMs) return false;
        Sleep(stepMs);
    }
    return true;
}
