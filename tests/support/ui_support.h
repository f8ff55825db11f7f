// Test support for setup's pages inside the test program: opening a page
// from setup's own templates with the shared frame and skinned buttons,
// running its messages, and reading what it painted from the screen.
#pragma once
#include <windows.h>
#include <algorithm>
#include <vector>
#include "setup/button.h"
#include "setup/frame.h"
#include "setup/sequence.h"

namespace ui_support {

// Runs this thread's messages for ms milliseconds.
void pump(DWORD ms);

// The procedure OpenPage uses when none is given (lParam carries the Page).
inline INT_PTR CALLBACK plainPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        openPage(page, (Page)lParam);
        return TRUE;
    }
    return commonPageProc(page, message, wParam, lParam);
}

// Creates a modeless page from template dialogId (lParam: its Page), shows,
// paints and settles it; null when the template fails.
HWND createPage(int dialogId, DLGPROC proc);

// Such a page for the length of a test, by default with plainPageProc.
class OpenPage {
public:
    explicit OpenPage(int dialogId, DLGPROC proc = nullptr) : window_(createPage(dialogId, proc ? proc : plainPageProc)) {}
    ~OpenPage() {
        if (window_) DestroyWindow(window_);
        pump(20);
    }
    OpenPage(const OpenPage&) = delete;
    OpenPage& operator=(const OpenPage&) = delete;
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

private:
    HWND window_;
};

// Repaints the window now and waits until the screen shows it.
void settle(HWND window);

// The pixels of a window's client area as the screen shows them.
class ClientPixels {
public:
    explicit ClientPixels(HWND window);
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF at(int x, int y) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

// A button's client rectangle shrunk by the system edge sizes.
RECT innerRect(HWND button);

// Whether a pixel's brightest channel is below limit (no pixel is dark).
inline bool isDark(COLORREF c, int limit = 100) {
    return c != CLR_INVALID && GetRValue(c) < limit && GetGValue(c) < limit && GetBValue(c) < limit;
}

// Bounding box of the dark pixels in area of anything with at(x, y);
// empty (all zero) when there are none.
template <typename Pixels>
RECT darkBox(const Pixels& pixels, const RECT& area, int limit = 100) {
    RECT box = {area.right, area.bottom, area.left, area.top};
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            if (isDark(pixels.at(x, y), limit))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
    return box.right > box.left ? box : RECT{0, 0, 0, 0};
}

}  // namespace ui_support
