// Plain pages until their own behaviour lands: each ends with the button pressed.
#include "setup/pages.h"

static INT_PTR plainPage(HWND page, UINT message, WPARAM wParam, INT_PTR cancelResult) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND) {
        int id = LOWORD(wParam);
        EndDialog(page, id == IDCANCEL ? cancelResult : id);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK welcomePageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w, kResultCancel); }
INT_PTR CALLBACK licencePageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w, kResultDisagree); }
INT_PTR CALLBACK setupTypePageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w, kResultCancel); }
INT_PTR CALLBACK optionsPageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w, kResultCancel); }
INT_PTR CALLBACK finishPageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w, kResultFinish); }
INT_PTR CALLBACK interruptedPageProc(HWND p, UINT m, WPARAM w, LPARAM) { return plainPage(p, m, w, kResultFinish); }
