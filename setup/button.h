// Owner-drawn push buttons of the wizard pages.
#pragma once
#include <windows.h>

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
    // The screen's DPI when the object was made: its pens' widths, corners,
    // edges and the pressed caption's shift grow with it.
    int dpi;
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
