// The progress page and the installation thread (placeholder until the run lands).
#include "setup/pages.h"

INT_PTR CALLBACK progressPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        EndDialog(page, kResultFailed);
        return TRUE;
    }
    return FALSE;
}
