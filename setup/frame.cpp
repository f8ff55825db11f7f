// What every wizard page shares: where it opens, its icon, the quit question
// and the white painting of the page and its static controls.
#include "setup/frame.h"
#include "common/product.h"
#include "setup/options.h"
#include "resources/resource.h"

RECT pageRect;

void initPage(HWND page) {
    HINSTANCE module = (HINSTANCE)GetWindowLongPtrA(page, GWLP_HINSTANCE);
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDI_SETUP));
    SendMessageA(page, WM_SETICON, ICON_BIG, (LPARAM)icon);
    // Every page opens where the previous one was last seen.
    SetWindowPos(page, GetActiveWindow(), pageRect.left, pageRect.top, 0, 0, SWP_NOSIZE);
    BringWindowToTop(page);
}

void storePageRect(HWND page) { GetWindowRect(page, &pageRect); }

bool confirmQuit(HWND page) {
    storePageRect(page);
    return MessageBoxA(page, product::kQuitQuestion, product::kBoxCaption, MB_YESNO | MB_SETFOREGROUND) == IDYES;
}

INT_PTR CALLBACK commonPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        if (dc) {
            SetBkColor(dc, RGB(255, 255, 255));
            ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &paint.rcPaint, nullptr, 0, nullptr);
        }
        EndPaint(page, &paint);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lParam;
        if (!item || item->CtlType != ODT_BUTTON) return FALSE;
        // The skinned button paints itself in its own window procedure.
        SendMessageA(GetDlgItem(page, item->CtlID), WM_DRAWITEM, wParam, lParam);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)GetStockObject(WHITE_BRUSH);
    default:
        return FALSE;
    }
}
