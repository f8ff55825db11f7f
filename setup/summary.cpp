// The Summary page: the choices made, before the installation starts.
#include <windows.h>
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"
#include "setup/page_logic.h"
#include "setup/pages.h"

INT_PTR CALLBACK summaryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        openPage(page, Page::Summary);
        SetFocus(GetDlgItem(page, IDC_INSTALL));
        char summary[kSummaryCapacity];
        buildSummaryText(summary, sizeof summary, options.installDir, options.addWordAddin, options.addStartMenuIcon,
                         options.allUsers);
        SetWindowTextA(GetDlgItem(page, IDC_SUMMARY_TEXT), summary);
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDC_CANCEL: quitPage(page, kResultCancel); return FALSE;
        case IDC_BACK:
        case IDC_INSTALL: endPage(page, LOWORD(wParam)); return FALSE;
        }
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}
