// Owner-drawn push buttons of the wizard pages.
#pragma once
#include <windows.h>
#include "setup/sequence.h"

class SkinnedButton {
public:
    SkinnedButton();
    virtual ~SkinnedButton();
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void attach(HWND control);
    void resetState();
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void drawItem(const DRAWITEMSTRUCT& d);
    void fillFace(HDC dc, const RECT& inner);
    void drawEdges(HDC dc, const RECT& inner);

    HWND window;
    WNDPROC savedProc;
    HPEN framePen;
    HPEN hoverLeftPen, hoverRightPen, hoverTopPen, hoverBottomPen;
    HPEN focusLeftPen, focusRightPen, focusTopPen, focusBottomPen;
    HBRUSH hoverBrush;
    HBRUSH normalBrush;
    int hovered;
    int tracking;
    int focused;
    int highlighted;

private:
    void startTracking();
};

// Attaches the page's own SkinnedButton objects to its buttons, in the
// page's order, and resets each.
void attachPageButtons(HWND page, Page which);

// The object that attachPageButtons gives the page's index-th button (in the
// page's attach order); null past the end. For inspection.
SkinnedButton* pageButton(Page which, int index);
