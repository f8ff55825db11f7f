#include "common/centre.h"

POINT centredOrigin(const RECT& r, int screenWidth, int screenHeight) {
    POINT p;
    p.x = (r.left + screenWidth - r.right) / 2;
    p.y = (r.top + screenHeight - r.bottom) / 2;
    return p;
}

SIZE screenSize(HWND window) {
    HDC dc = GetWindowDC(window);
    SIZE size = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    ReleaseDC(window, dc);
    return size;
}

void centreOnScreen(HWND window) {
    SIZE screen = screenSize(window);
    RECT r;
    GetWindowRect(window, &r);
    POINT p = centredOrigin(r, screen.cx, screen.cy);
    SetWindowPos(window, GetActiveWindow(), p.x, p.y, 0, 0, SWP_NOSIZE);
}
