// Destination and summary pages (placeholders until their behaviour lands).
#include "setup/pages.h"

static INT_PTR plainPage(HWND page, UINT message, WPARAM wParam) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND) {
        int id = LOWORD(wParam);
        EndDialog(page, id == IDCANCEL ? kResultCancel : id);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK destinationPageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w); }
INT_PTR CALLBACK summaryPageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w); }
