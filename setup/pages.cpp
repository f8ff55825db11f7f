// The Welcome, Licence, Setup type, Options, Finish and Interrupted pages.
#include <windows.h>
#include "common/centre.h"
#include "common/product.h"
#include "install/install.h"
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"
#include "setup/page_logic.h"
#include "setup/pages.h"
#include "setup/run.h"

namespace {

// The Welcome page's link font: made on the first repaint of the link and
// kept until the page goes, so repainting does not make a font each time.
HFONT linkFont;

HFONT welcomeLinkFont() {
    if (!linkFont)
        // 15 pixels high at 96 DPI, like the page's own text grown with the DPI.
        linkFont = CreateFontA(scaleForDpi(15, screenDpi()), 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET, OUT_RASTER_PRECIS,
                               CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    return linkFont;
}

void releaseWelcomeLinkFont() {
    if (linkFont) DeleteObject(linkFont);
    linkFont = nullptr;
}

bool clickOnLink(HWND page, LPARAM lParam) {
    HWND link = GetDlgItem(page, IDC_LINK);
    if (!link) return false;
    POINT click = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(page, &click);
    RECT area;
    GetClientRect(link, &area);
    POINT topLeft = {area.left, area.top};
    POINT bottomRight = {area.right, area.bottom};
    ClientToScreen(link, &topLeft);
    ClientToScreen(link, &bottomRight);
    RECT onScreen = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return pointOnLink(click, onScreen);
}

void storeOptionBoxes(HWND page) {
    options.addWordAddin = IsDlgButtonChecked(page, IDC_WORD_ADDIN) == BST_CHECKED ? 1 : 0;
    options.allUsers = IsDlgButtonChecked(page, IDC_ALL_USERS) == BST_CHECKED ? 1 : 0;
    options.addStartMenuIcon = IsDlgButtonChecked(page, IDC_START_MENU) == BST_CHECKED ? 1 : 0;
}

}  // namespace

INT_PTR CALLBACK welcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        centreOnScreen(page);
        storePageRect(page);
        openPage(page, Page::Welcome);
        SetFocus(GetDlgItem(page, IDC_NEXT));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT: endPage(page, kResultNext); return FALSE;
        case IDCANCEL:
        case IDC_CANCEL: quitPage(page, kResultCancel); return FALSE;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(page, IDC_LINK)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 255));
            SelectObject(dc, welcomeLinkFont());
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        break;
    case WM_LBUTTONDOWN:
        if (clickOnLink(page, lParam)) openProductPage(page);
        break;
    case WM_DESTROY:
        releaseWelcomeLinkFont();
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}

INT_PTR CALLBACK licencePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        openPage(page, Page::Licence);
        SetWindowTextA(GetDlgItem(page, IDC_LICENCE_TEXT), kLicenceAgreement);
        SetFocus(GetDlgItem(page, IDC_AGREE));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_AGREE: endPage(page, kResultAgree); return FALSE;
        case IDCANCEL:
        case IDC_DISAGREE: quitPage(page, kResultDisagree); return FALSE;
        }
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}

INT_PTR CALLBACK setupTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        openPage(page, Page::SetupType);
        SetFocus(GetDlgItem(page, IDC_DEFAULT));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DEFAULT: endPage(page, kResultDefault); return FALSE;
        case IDC_CUSTOM: endPage(page, kResultCustom); return FALSE;
        case IDC_BACK: endPage(page, kResultBack); return FALSE;
        case IDCANCEL:
        case IDC_CANCEL: quitPage(page, kResultCancel); return FALSE;
        }
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}

INT_PTR CALLBACK optionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        openPage(page, Page::Options);
        SetFocus(GetDlgItem(page, IDC_NEXT));
        CheckDlgButton(page, IDC_WORD_ADDIN, options.addWordAddin ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_ALL_USERS, options.allUsers ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_START_MENU, options.addStartMenuIcon ? BST_CHECKED : BST_UNCHECKED);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
        case IDC_BACK: endPage(page, LOWORD(wParam), storeOptionBoxes); return FALSE;
        case IDCANCEL:
        case IDC_CANCEL: quitPage(page, kResultCancel, storeOptionBoxes); return FALSE;
        }
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}

INT_PTR CALLBACK finishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // The wizard's run, whose earlier default printer a declined box gives back.
        SetWindowLongPtrA(page, DWLP_USER, lParam);
        openPage(page, Page::Finish);
        SetFocus(GetDlgItem(page, IDC_FINISH));
        CheckDlgButton(page, IDC_DEFAULT_PRINTER, BST_CHECKED);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDC_FINISH: {
            // The run made the new printer the default; hand it back when declined.
            const InstallRun* run = reinterpret_cast<const InstallRun*>(GetWindowLongPtrA(page, DWLP_USER));
            if (run && IsDlgButtonChecked(page, IDC_DEFAULT_PRINTER) != BST_CHECKED)
                giveDefaultBack(*run);
            endPage(page, kResultFinish);
            return FALSE;
        }
        }
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}

INT_PTR CALLBACK interruptedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        openPage(page, Page::Interrupted);
        SetFocus(GetDlgItem(page, IDC_FINISH));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDC_FINISH: endPage(page, kResultFinish); return FALSE;
        }
        break;
    }
    return commonPageProc(page, message, wParam, lParam);
}
