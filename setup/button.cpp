// Owner-drawn push buttons of the wizard pages: a rounded outline, a gradient
// face tinted by hover and focus, coloured edges and a centred caption.
#include "setup/button.h"
#include <commctrl.h>
#include "common/handles.h"
#include "common/system.h"
#include "setup/frame.h"

namespace {

typedef BOOL(WINAPI* TrackMouseEventFn)(LPTRACKMOUSEEVENT);

const int kGradientSteps = 64;

// Channel value of gradient brush i for one divisor.
inline BYTE shade(int i, int divisor) { return (BYTE)(255 - i / divisor); }

// The diameter of the rounded corners at 96 DPI.
const int kCorner = 5;

HPEN framedPen(int width, COLORREF colour, int dpi) {
    return CreatePen(PS_INSIDEFRAME, scaleForDpi(width, dpi), colour);
}

}  // namespace

SkinnedButton::SkinnedButton()
    : window(nullptr),
      savedProc(nullptr),
      dpi(screenDpi()),
      framePen(framedPen(1, RGB(0, 0, 0), dpi)),
      hoverLeftPen(framedPen(3, RGB(250, 196, 88), dpi)),
      hoverRightPen(framedPen(3, RGB(251, 202, 106), dpi)),
      hoverTopPen(framedPen(2, RGB(252, 210, 121), dpi)),
      hoverBottomPen(framedPen(2, RGB(229, 151, 0), dpi)),
      focusLeftPen(framedPen(3, RGB(153, 198, 252), dpi)),
      focusRightPen(framedPen(3, RGB(162, 189, 252), dpi)),
      focusTopPen(framedPen(2, RGB(162, 201, 255), dpi)),
      focusBottomPen(framedPen(2, RGB(162, 201, 255), dpi)),
      hoverBrush(CreateSolidBrush(RGB(223, 222, 236))),
      normalBrush(CreateSolidBrush(RGB(222, 223, 236))),
      hovered(0),
      tracking(0),
      focused(0),
      highlighted(0) {}

SkinnedButton::~SkinnedButton() {
    // The control is gone by now; only the object's own GDI objects remain.
    HGDIOBJ objects[] = {framePen,      hoverLeftPen,   hoverRightPen, hoverTopPen,
                         hoverBottomPen, focusLeftPen,  focusRightPen, focusTopPen,
                         focusBottomPen, hoverBrush,    normalBrush};
    for (HGDIOBJ object : objects) {
        if (object) DeleteObject(object);
    }
}

void SkinnedButton::attach(HWND control) {
    window = control;
    savedProc = (WNDPROC)GetWindowLongPtrA(control, GWLP_WNDPROC);
    // No message reaches the control between these two calls.
    SetWindowLongPtrA(control, GWLP_WNDPROC, (LONG_PTR)&SkinnedButton::windowProc);
    SetWindowLongPtrA(control, GWLP_USERDATA, (LONG_PTR)this);

    RECT client;
    GetClientRect(control, &client);
    int corner = scaleForDpi(kCorner, dpi);
    HRGN region = CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, corner, corner);
    // The control owns the region from here on.
    if (region && !SetWindowRgn(control, region, TRUE)) DeleteObject(region);
}

void SkinnedButton::resetState() {
    hovered = 0;
    tracking = 0;
    focused = 0;
    highlighted = 0;
}

LRESULT CALLBACK SkinnedButton::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SkinnedButton* button = (SkinnedButton*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (button) return button->handleMessage(window, message, wParam, lParam);
    // A window given this procedure without an object behaves as a plain
    // control of its class, so it still works, only unskinned.
    WNDPROC classProc = (WNDPROC)GetClassLongPtrA(window, GCLP_WNDPROC);
    if (classProc && classProc != &SkinnedButton::windowProc)
        return CallWindowProcA(classProc, window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT SkinnedButton::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        // Each paint covers the whole face; erasing would only flicker.
        return 1;
    case WM_DRAWITEM:
        if (lParam) drawItem(*(const DRAWITEMSTRUCT*)lParam);
        return 0;
    case WM_MOUSEMOVE:
        // Mouse moves stay here: the standard button never sees them.
        if (tracking == 0) startTracking();
        return 0;
    case WM_MOUSEHOVER:
        hovered = 1;
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_MOUSELEAVE:
        hovered = 0;
        tracking = 0;
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    default:
        if (!savedProc) return DefWindowProcA(hwnd, message, wParam, lParam);
        return CallWindowProcA(savedProc, hwnd, message, wParam, lParam);
    }
}

void SkinnedButton::startTracking() {
    TRACKMOUSEEVENT request;
    request.cbSize = sizeof(request);
    request.dwFlags = TME_HOVER | TME_LEAVE;
    request.hwndTrack = window;
    request.dwHoverTime = 1;
    // Older systems may lack it; the button then only misses its hover look.
    Library comctl(loadSystemLibrary("comctl32.dll"));
    if (!comctl) return;
    TrackMouseEventFn track =
        reinterpret_cast<TrackMouseEventFn>(reinterpret_cast<void*>(GetProcAddress(comctl.get(), "_TrackMouseEvent")));
    if (!track) return;
    tracking = track(&request);
}

void SkinnedButton::drawItem(const DRAWITEMSTRUCT& d) {
    HDC dc = d.hDC;
    RECT rect = d.rcItem;
    int saved = SaveDC(dc);

    char caption[MAX_PATH];
    caption[0] = '\0';
    GetWindowTextA(window, caption, MAX_PATH);

    HGDIOBJ oldPen = SelectObject(dc, framePen);
    int corner = scaleForDpi(kCorner, dpi);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
    SelectObject(dc, oldPen);

    focused = (d.itemState & ODS_FOCUS) ? 1 : 0;
    highlighted = (d.itemState & (ODS_FOCUS | ODS_SELECTED | ODS_DEFAULT)) ? 1 : 0;
    bool pressed = (d.itemState & ODS_SELECTED) != 0;

    RECT inner = rect;
    // The system's edge is the same few pixels at every DPI; the coloured
    // edges drawn inside it are not.
    InflateRect(&inner, -scaleForDpi(GetSystemMetrics(SM_CXEDGE), dpi),
                -scaleForDpi(GetSystemMetrics(SM_CYEDGE), dpi));

    HGDIOBJ oldBrush = SelectObject(dc, hovered ? hoverBrush : normalBrush);
    fillFace(dc, inner);
    if (hovered || focused) drawEdges(dc, inner);
    SelectObject(dc, oldBrush);

    HFONT font = (HFONT)SendMessageA(window, WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    // The caption as shown: its mnemonic "&" is not drawn but underlines
    // the next letter, so it is measured the way it is drawn.
    RECT shown = {0, 0, 0, 0};
    DrawTextA(dc, caption, -1, &shown, DT_CALCRECT | DT_SINGLELINE);
    SIZE extent = {shown.right - shown.left, shown.bottom - shown.top};
    int x = (inner.left + inner.right) / 2 - extent.cx / 2;
    int y = (inner.top + inner.bottom) / 2 - extent.cy / 2;
    if (pressed) {
        x += scaleForDpi(1, dpi);
        y += scaleForDpi(1, dpi);
    }
    int oldMode = SetBkMode(dc, TRANSPARENT);
    UINT flags = DST_PREFIXTEXT | ((d.itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL);
    DrawStateA(dc, nullptr, nullptr, (LPARAM)caption, 0, x, y, extent.cx, extent.cy, flags);

    if (oldFont) SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    RestoreDC(dc, saved);
}

void SkinnedButton::fillFace(HDC dc, const RECT& inner) {
    int height = inner.bottom - inner.top;
    // A face with no inner height has nothing to show (and the row-to-brush
    // scale would divide by zero).
    if (height <= 0 || inner.right <= inner.left) return;

    int redGreen, blue;
    if (!hovered) {
        redGreen = 3;
        blue = highlighted ? 4 : 5;
    } else {
        redGreen = 4;
        blue = highlighted ? 3 : 5;
    }
    HBRUSH brushes[kGradientSteps];
    for (int i = 0; i < kGradientSteps; ++i) {
        BYTE rg = shade(i, redGreen);
        brushes[i] = CreateSolidBrush(RGB(rg, rg, shade(i, blue)));
    }
    for (int y = inner.top; y <= inner.bottom; ++y) {
        RECT row = {inner.left, y, inner.right, y + 1};
        HBRUSH brush = brushes[(y - inner.top) * (kGradientSteps - 1) / height];
        if (brush) FillRect(dc, &row, brush);
    }
    for (HBRUSH brush : brushes) {
        if (brush) DeleteObject(brush);
    }
}

void SkinnedButton::drawEdges(HDC dc, const RECT& inner) {
    bool focusLook = focused == 1 && hovered == 0;
    HPEN left = focusLook ? focusLeftPen : hoverLeftPen;
    HPEN right = focusLook ? focusRightPen : hoverRightPen;
    HPEN top = focusLook ? focusTopPen : hoverTopPen;
    HPEN bottom = focusLook ? focusBottomPen : hoverBottomPen;

    // One pixel of the 96-DPI design.
    const int one = scaleForDpi(1, dpi);
    POINT remembered;
    HGDIOBJ oldPen = SelectObject(dc, left);
    MoveToEx(dc, inner.left, inner.bottom - one, &remembered);
    LineTo(dc, inner.left, inner.top + one);

    SelectObject(dc, right);
    MoveToEx(dc, inner.right - one, inner.bottom - one, nullptr);
    LineTo(dc, inner.right - one, inner.top);

    SelectObject(dc, top);
    MoveToEx(dc, inner.left - one, inner.top, nullptr);
    LineTo(dc, inner.right - one, inner.top);

    SelectObject(dc, bottom);
    MoveToEx(dc, inner.left, inner.bottom, nullptr);
    LineTo(dc, inner.right - one, inner.bottom);

    SelectObject(dc, oldPen);
    MoveToEx(dc, remembered.x, remembered.y, nullptr);

    if (focusLook) DrawFocusRect(dc, &inner);
}
