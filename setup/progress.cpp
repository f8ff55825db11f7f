// The progress page: it starts the installation thread and shows its steps.
#include <process.h>
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/pages.h"
#include "setup/run.h"

INT_PTR CALLBACK progressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        openPage(page, Page::Progress);
        SetFocus(GetDlgItem(page, IDC_NEXT));
        // The wizard's run for this page; the page ends at once without one.
        InstallRun* run = reinterpret_cast<InstallRun*>(lParam);
        if (run) run->page = page;
        unsigned threadId = 0;
        uintptr_t thread = run ? _beginthreadex(nullptr, 0, installThread, run, 0, &threadId) : 0;
        if (thread) {
            CloseHandle(reinterpret_cast<HANDLE>(thread));
        } else {
            // Without its thread the page would wait for ever.
            endPage(page, kResultFailed);
        }
        return FALSE;  // the focus is set
    }
    case WM_CLOSE:
        return TRUE;
    case WM_COMMAND:
        // Escape: the run cannot be stopped half-way, and only the run ends
        // this page, so the key is ignored while it works.
        if (LOWORD(wParam) == IDCANCEL) return TRUE;
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}
