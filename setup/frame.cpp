// What every wizard page shares: where it opens, its icon, its skinned
// buttons, the quit question, how it ends, and the white painting of the page
// and its static controls.
#include "setup/frame.h"
#include "common/product.h"
#include "common/prompt.h"
#include "resources/resource.h"
#include "setup/button.h"
#include "setup/options.h"

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
    // Only the wizard asks it, and an unattended run has no wizard.
    return prompt::yes(page, product::kQuitQuestion, product::kBoxCaption, MB_SETFOREGROUND, false);
}

// One object per button of every page, for the whole run; a page attaches
// its own set each time its dialog is created.
namespace {

struct PageButtons {
    const int* ids;
    SkinnedButton* buttons;
    int count;
};

const int kWelcomeIds[] = {IDC_NEXT, IDC_CANCEL};
SkinnedButton welcomeButtons[2];
const int kInterruptedIds[] = {IDC_FINISH};
SkinnedButton interruptedButtons[1];
const int kLicenceIds[] = {IDC_AGREE, IDC_DISAGREE};
SkinnedButton licenceButtons[2];
const int kSetupTypeIds[] = {IDC_DEFAULT, IDC_CUSTOM, IDC_BACK, IDC_CANCEL};
SkinnedButton setupTypeButtons[4];
const int kSummaryIds[] = {IDC_BACK, IDC_INSTALL, IDC_CANCEL};
SkinnedButton summaryButtons[3];
const int kDestinationIds[] = {IDC_BROWSE, IDC_BACK, IDC_NEXT, IDC_CANCEL};
SkinnedButton destinationButtons[4];
const int kOptionsIds[] = {IDC_BACK, IDC_NEXT, IDC_CANCEL};
SkinnedButton optionsButtons[3];
const int kFinishIds[] = {IDC_FINISH};
SkinnedButton finishButtons[1];
const int kProgressIds[] = {IDC_BACK, IDC_NEXT, IDC_CANCEL};
SkinnedButton progressButtons[3];

#define PAGE_BUTTONS(ids, buttons) PageButtons{ids, buttons, (int)(sizeof(ids) / sizeof(ids[0]))}

PageButtons buttonsOf(Page which) {
    switch (which) {
    case Page::Welcome: return PAGE_BUTTONS(kWelcomeIds, welcomeButtons);
    case Page::Interrupted: return PAGE_BUTTONS(kInterruptedIds, interruptedButtons);
    case Page::Licence: return PAGE_BUTTONS(kLicenceIds, licenceButtons);
    case Page::SetupType: return PAGE_BUTTONS(kSetupTypeIds, setupTypeButtons);
    case Page::Summary: return PAGE_BUTTONS(kSummaryIds, summaryButtons);
    case Page::Destination: return PAGE_BUTTONS(kDestinationIds, destinationButtons);
    case Page::Options: return PAGE_BUTTONS(kOptionsIds, optionsButtons);
    case Page::Finish: return PAGE_BUTTONS(kFinishIds, finishButtons);
    case Page::Progress: return PAGE_BUTTONS(kProgressIds, progressButtons);
    default: return PageButtons{nullptr, nullptr, 0};
    }
}

}  // namespace

int screenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int scaleForDpi(int length, int dpi) {
    int scaled = MulDiv(length, dpi, 96);
    return length >= 1 && scaled < 1 ? 1 : scaled;
}

HBITMAP fittedBitmap(HBITMAP source, int width, int height) {
    BITMAP info;
    if (!source || width <= 0 || height <= 0 || !GetObjectA(source, sizeof info, &info)) return nullptr;
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP fitted = CreateCompatibleBitmap(screen, width, height);
    bool drawn = false;
    if (from && to && fitted) {
        HGDIOBJ oldFrom = SelectObject(from, source);
        HGDIOBJ oldTo = SelectObject(to, fitted);
        // HALFTONE averages the source pixels that meet in one; the brush
        // origin has to be set again after choosing it.
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        drawn = StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY) != FALSE;
        SelectObject(to, oldTo);
        SelectObject(from, oldFrom);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    ReleaseDC(nullptr, screen);
    if (!drawn && fitted) {
        DeleteObject(fitted);
        fitted = nullptr;
    }
    return fitted;
}

namespace {

bool isPicture(HWND child) {
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    return lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
}

// The pictures the page put in its controls go with the page.
void releasePictures(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!isPicture(child)) continue;
        HGDIOBJ shown = (HGDIOBJ)SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, 0);
        if (shown) DeleteObject(shown);
    }
}

}  // namespace

void fitPictures(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!isPicture(child)) continue;
        // The templates' SS_CENTERIMAGE keeps each control at its place in
        // dialog units, which grow with the system font; the bitmaps do not.
        RECT place;
        GetClientRect(child, &place);
        HBITMAP loaded = (HBITMAP)SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0);
        HBITMAP fitted = fittedBitmap(loaded, place.right, place.bottom);
        // Without a copy the loaded picture stays, cut to its place.
        if (!fitted) continue;
        // The control gives up the bitmap it loaded, which is then ours.
        HGDIOBJ old = (HGDIOBJ)SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)fitted);
        if (old && old != fitted) DeleteObject(old);
    }
    // The side picture's place reaches into the separator's row. Beneath
    // every other control and clipped by them, a picture that repaints on
    // its own never draws over the line. Pictures take no tab stop, so the
    // order of the Tab key stays.
    HWND pictures[8];
    int count = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child && count < 8; child = GetWindow(child, GW_HWNDNEXT))
        if (isPicture(child)) pictures[count++] = child;
    for (int i = 0; i < count; ++i) {
        SetWindowLongA(pictures[i], GWL_STYLE, GetWindowLongA(pictures[i], GWL_STYLE) | WS_CLIPSIBLINGS);
        SetWindowPos(pictures[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void openPage(HWND page, Page which) {
    initPage(page);
    fitPictures(page);
    PageButtons set = buttonsOf(which);
    for (int i = 0; i < set.count; ++i) {
        HWND control = GetDlgItem(page, set.ids[i]);
        // A template without the button leaves its object unused.
        if (control) set.buttons[i].attach(control);
    }
    for (int i = 0; i < set.count; ++i) set.buttons[i].resetState();
}

void endPage(HWND page, INT_PTR result, KeepFields keep) {
    storePageRect(page);
    if (keep) keep(page);
    EndDialog(page, result);
}

void quitPage(HWND page, INT_PTR result, KeepFields keep) {
    if (!confirmQuit(page)) return;
    if (keep) keep(page);
    EndDialog(page, result);
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
    case WM_DESTROY:
        releasePictures(page);
        return FALSE;
    default:
        return FALSE;
    }
}
