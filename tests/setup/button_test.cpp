// The skinned buttons as the pages show them: real controls from setup's
// templates, painted through the page and read back from the screen.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "setup/button.h"
#include "tests/support/support.h"
#include "tests/support/ui_support.h"

using namespace ui_support;
using testing_support::waitUntil;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kHoverLeft = RGB(250, 196, 88);
const COLORREF kHoverBottom = RGB(229, 151, 0);
const COLORREF kFocusLeft = RGB(153, 198, 252);

std::string hex(COLORREF c) {
    char text[32];
    snprintf(text, sizeof text, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// The painting steps on a memory DC, away from any window.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height, COLORREF fill) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all = {0, 0, width, height};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~MemoryCanvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
// Checks the face column x over rows [from, to] against the face that
// fillFace (pinned to fixed colours below) paints for the look.
void expectFace(const ClientPixels& px, const RECT& inner, int x, int from, int to, int hovered, int highlighted) {
    int height = inner.bottom - inner.top;
    MemoryCanvas face(1, height + 1, kBlack);
    SkinnedButton skin;
    skin.hovered = hovered;
    skin.highlighted = highlighted;
    skin.fillFace(face.dc(), RECT{0, 0, 1, height});
    for (int y = from; y <= to; ++y)
        EXPECT_EQ(hex(face.at(0, y - inner.top)), hex(px.at(x, y)))
            << "row " << y << " of a face from " << inner.top << " to " << inner.bottom;
}

// A pixel of a button's inner rectangle, dx columns from its left (from its
// right when negative), on its top, middle or bottom row; or the column dx
// over the face's rows: all of the colour, or (Dotted, under the focus
// rectangle) not all.
enum Row { Top, Mid, Bottom, Column, Dotted };
struct Probe {
    int dx;
    Row row;
    COLORREF colour;
};
struct Look {
    const char* name;
    bool focused, hovered;
    std::vector<Probe> probes;
    std::vector<int> faceColumns;  // dx of columns that show the face
    int faceInset;                 // rows at the top (and one less at the bottom) left to the edges
};
const Look kLooks[] = {
    // No edges: the face runs out to the inner rectangle's sides.
    {"idle", false, false, {{3, Top, kWhite}, {3, Bottom, RGB(234, 234, 243)}}, {0, 3}, 0},
    {"focused", true, false,
     {{1, Mid, kFocusLeft}, {-2, Mid, RGB(162, 189, 252)}, {4, Bottom, RGB(162, 201, 255)}, {0, Dotted, kFocusLeft}},
     {4}, 3},
    {"hovered", false, true,
     {{0, Mid, kHoverLeft}, {1, Mid, kHoverLeft}, {-1, Mid, RGB(251, 202, 106)}, {4, Top, RGB(252, 210, 121)},
      {4, Bottom, kHoverBottom}},
     {4}, 3},
    // Hover wins: orange edges and no focus rectangle.
    {"focused and hovered", true, true, {{4, Bottom, kHoverBottom}, {0, Column, kHoverLeft}, {1, Column, kHoverLeft}},
     {4}, 3},
};

void expectLook(HWND button, const Look& look) {
    SCOPED_TRACE(look.name);
    ClientPixels px(button);
    EXPECT_EQ(hex(kBlack), hex(px.at(px.width() / 2, 0))) << "the outline";
    EXPECT_EQ(hex(kBlack), hex(px.at(px.width() / 2, px.height() - 1))) << "the outline";
    EXPECT_EQ(hex(kBlack), hex(px.at(0, px.height() / 2))) << "the outline";
    RECT inner = innerRect(button);
    ASSERT_GT(inner.bottom - inner.top, 4);
    const int rows[] = {inner.top, (inner.top + inner.bottom) / 2, inner.bottom};
    int from = inner.top + look.faceInset, to = inner.bottom - (look.faceInset ? look.faceInset - 1 : 0);
    for (const Probe& p : look.probes) {
        int x = p.dx < 0 ? inner.right + p.dx : inner.left + p.dx;
        if (p.row < Column) {
            EXPECT_EQ(hex(p.colour), hex(px.at(x, rows[p.row]))) << "at " << p.dx << " on row " << p.row;
            continue;
        }
        int differing = 0;
        for (int y = from; y <= to; ++y) differing += px.at(x, y) != p.colour;
        EXPECT_EQ(p.row == Dotted, differing > 0) << "column " << p.dx << ": " << differing << " of another colour";
    }
    for (int dx : look.faceColumns) expectFace(px, inner, inner.left + dx, from, to, look.hovered, look.focused);
}

// The object that skins a button, as the page attached it.
SkinnedButton* skinOf(HWND button) { return (SkinnedButton*)GetWindowLongPtrA(button, GWLP_USERDATA); }

void hover(HWND button) {
    SendMessageA(button, WM_MOUSEHOVER, 0, 0);
    settle(GetParent(button));
}

}  // namespace

// Welcome's Cancel in each look; leaving it is in the resting pointer's test.
TEST(SkinnedButtonLook, EachLookShowsItsEdgesAndFace) {
    for (const Look& look : kLooks) {
        OpenPage page(IDD_WELCOME);
        HWND cancel = page.item(IDC_CANCEL);
        SetFocus(look.focused ? cancel : page.item(IDC_NEXT));
        settle(page.window());
        if (look.hovered) hover(cancel);
        expectLook(cancel, look);
    }
}

// Enabled captions are dark (the caption tests).
TEST(SkinnedButtonLook, DisabledCaptionIsEmbossed) {
    OpenPage progress(IDD_PROGRESS);
    HWND cancel = progress.item(IDC_CANCEL);
    ASSERT_FALSE(IsWindowEnabled(cancel));
    ClientPixels px(cancel);
    RECT inner = innerRect(cancel);
    RECT dark = darkBox(px, inner);
    EXPECT_EQ(dark.left, dark.right) << "a disabled caption has no dark ink";
    COLORREF shadow = GetSysColor(COLOR_3DSHADOW);
    int shadowed = 0;
    for (int y = inner.top; y < inner.bottom; ++y)
        for (int x = inner.left; x < inner.right; ++x) shadowed += px.at(x, y) == shadow;
    EXPECT_GT(shadowed, 10) << "the embossed caption is drawn in the shadow colour";
    // The face itself is the idle one.
    expectFace(px, inner, inner.left + 3, inner.top, inner.bottom, 0, 0);
}

TEST(SkinnedButtonShape, WindowIsCutToRoundedClientRectangle) {
    OpenPage page(IDD_SETUP_TYPE);
    for (int id : {IDC_DEFAULT, IDC_CANCEL}) {
        HWND button = page.item(id);
        RECT client;
        GetClientRect(button, &client);
        HRGN actual = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(ERROR, GetWindowRgn(button, actual));
        HRGN expected = CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, 5, 5);
        // Same pixels, however each system splits the shape into bands.
        HRGN difference = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(NULLREGION, CombineRgn(difference, actual, expected, RGN_XOR)) << "button " << id;
        DeleteObject(difference);
        DeleteObject(actual);
        DeleteObject(expected);
    }
}

// A procedure installed on Cancel before the page attaches its buttons, so
// that it becomes the saved (standard) procedure and sees what reaches it.
namespace {
WNDPROC standardProc;
std::vector<UINT> reachedStandard;
std::vector<WORD> pageCommands;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    reachedStandard.push_back(message);
    return CallWindowProcA(standardProc, window, message, wParam, lParam);
}

INT_PTR CALLBACK observedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        standardProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(page, IDC_CANCEL), GWLP_WNDPROC, (LONG_PTR)recordingProc);
    }
    if (message == WM_COMMAND) pageCommands.push_back(LOWORD(wParam));
    return plainPageProc(page, message, wParam, lParam);
}

bool reached(UINT message) {
    return std::find(reachedStandard.begin(), reachedStandard.end(), message) != reachedStandard.end();
}
}  // namespace

TEST(SkinnedButtonBehaviour, MouseMovesStayWithTheSkinWhileClicksAndKeysReachTheButton) {
    OpenPage page(IDD_WELCOME, observedPageProc);
    HWND cancel = page.item(IDC_CANCEL);
    SkinnedButton* skin = skinOf(cancel);
    ASSERT_NE(nullptr, skin);
    reachedStandard.clear();
    pageCommands.clear();
    SendMessageA(cancel, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    EXPECT_FALSE(reached(WM_MOUSEMOVE));
    EXPECT_NE(0, skin->tracking) << "the hover request was made through comctl32";

    SendMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    SendMessageA(cancel, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
    EXPECT_TRUE(reached(WM_LBUTTONDOWN));
    EXPECT_TRUE(reached(WM_LBUTTONUP));
    pump(50);
    EXPECT_EQ(std::vector<WORD>{IDC_CANCEL}, pageCommands);

    SetFocus(page.item(IDC_NEXT));
    reachedStandard.clear();
    SetFocus(cancel);
    EXPECT_TRUE(reached(WM_SETFOCUS));
    SendMessageA(cancel, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(reached(WM_KEYDOWN));
    // Nothing the skin does itself reaches the standard procedure.
    reachedStandard.clear();
    SendMessageA(cancel, WM_ERASEBKGND, (WPARAM)GetDC(cancel), 0);
    EXPECT_FALSE(reached(WM_ERASEBKGND));
    SendMessageA(cancel, WM_KEYUP, VK_SPACE, 0);
}

TEST(SkinnedButtonBehaviour, RestingPointerGivesHoverLookAndLeavingTakesItAway) {
    OpenPage page(IDD_WELCOME);
    SetFocus(page.item(IDC_NEXT));
    HWND cancel = page.item(IDC_CANCEL);
    SkinnedButton* skin = skinOf(cancel);
    ASSERT_NE(nullptr, skin);
    RECT r;
    GetWindowRect(cancel, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The move the pointer makes over the button.
    PostMessageA(cancel, WM_MOUSEMOVE, 0, MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2));
    // How the hover look shows is the looks' test.
    ASSERT_TRUE(waitUntil([&] { return skin->hovered == 1; }, 5000, 20)) << "no WM_MOUSEHOVER arrived";
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    ASSERT_TRUE(waitUntil([&] { return skin->hovered == 0; }, 5000, 20)) << "no WM_MOUSELEAVE arrived";
    EXPECT_EQ(0, skin->tracking);
    settle(page.window());
    expectLook(cancel, kLooks[0]);
}

TEST(SkinnedButtonBehaviour, PageShownAgainGetsFreshButtons) {
    HWND firstCancel;
    SkinnedButton* skin;
    {
        OpenPage page(IDD_WELCOME);
        firstCancel = page.item(IDC_CANCEL);
        skin = skinOf(firstCancel);
        ASSERT_NE(nullptr, skin);
        SendMessageA(firstCancel, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
        hover(firstCancel);
        ASSERT_EQ(1, skin->hovered);
    }
    OpenPage again(IDD_WELCOME);
    HWND cancel = again.item(IDC_CANCEL);
    SetFocus(again.item(IDC_NEXT));
    settle(again.window());
    ASSERT_NE(nullptr, skinOf(cancel));
    EXPECT_EQ(0, skinOf(cancel)->hovered);
    EXPECT_EQ(0, skinOf(cancel)->tracking);
    expectLook(cancel, kLooks[0]);
}

// That every button of every page has an object of its own is checked with
// the pages' screenshots (PageScreens).
TEST(SkinnedButtonBehaviour, WindowWithoutObjectBehavesAsAPlainButton) {
    HWND button = CreateWindowA("BUTTON", "Plain", WS_POPUP | BS_PUSHBUTTON, 0, 0, 80, 24, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, button);
    SetWindowLongPtrA(button, GWLP_WNDPROC, (LONG_PTR)&SkinnedButton::windowProc);
    ASSERT_EQ(0, GetWindowLongPtrA(button, GWLP_USERDATA));
    SendMessageA(button, WM_SETTEXT, 0, (LPARAM) "Renamed");
    char text[32] = "";
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ("Renamed", text);
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    DestroyWindow(button);
}

namespace {
// The dark pixels of an area, cropped to their bounding box: a caption's
// ink, comparable wherever it was drawn.
struct Ink {
    int width = 0, height = 0;
    std::string rows;  // '#' dark, '.' light, one line per row
};

template <typename Pixels>
Ink inkIn(const Pixels& px, const RECT& area) {
    RECT box = darkBox(px, area);
    Ink ink{box.right - box.left, box.bottom - box.top, ""};
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) ink.rows += isDark(px.at(x, y)) ? '#' : '.';
        ink.rows += '\n';
    }
    return ink;
}

// A caption as DrawText draws it in the button's font, black on white.
Ink drawnInk(HFONT font, const char* caption, UINT format) {
    MemoryCanvas canvas(200, 40, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    RECT r = {4, 4, 196, 36};
    DrawTextA(canvas.dc(), caption, -1, &r, DT_SINGLELINE | DT_LEFT | DT_TOP | format);
    SelectObject(canvas.dc(), old);
    return inkIn(canvas, RECT{0, 0, 200, 40});
}

}  // namespace

TEST(SkinnedButtonLook, CaptionUnderlinesItsMnemonicAndMovesWhenPressed) {
    OpenPage page(IDD_WELCOME);
    SetFocus(page.item(IDC_NEXT));
    settle(page.window());
    for (int id : {IDC_NEXT, IDC_CANCEL}) {
        HWND button = page.item(id);
        char caption[64] = "";
        GetWindowTextA(button, caption, sizeof caption);
        ASSERT_EQ('&', caption[0]) << "the template's caption keeps its mnemonic: " << caption;
        HFONT font = (HFONT)SendMessageA(button, WM_GETFONT, 0, 0);
        RECT face = innerRect(button);
        InflateRect(&face, -2, -1);  // clear of the focus rectangle's dots
        Ink shown = inkIn(ClientPixels(button), face);
        Ink underlined = drawnInk(font, caption, 0);
        Ink literal = drawnInk(font, caption, DT_NOPREFIX);
        Ink letters = drawnInk(font, caption + 1, DT_NOPREFIX);
        // The system's own mnemonic drawing: the letters without the
        // ampersand, with a line below them.
        ASSERT_GT(underlined.height, letters.height) << underlined.rows;
        ASSERT_LT(underlined.width, literal.width) << underlined.rows;
        EXPECT_EQ(underlined.rows, shown.rows) << caption << " shown as\n" << shown.rows << "instead of\n"
                                               << underlined.rows << "(with the ampersand:\n" << literal.rows << ")";
        // Centred as shown, not as the text with its ampersand measures.
        RECT box = darkBox(ClientPixels(button), face);
        EXPECT_NEAR((face.left + face.right) / 2.0, (box.left + box.right) / 2.0, 1.0) << caption;
        // Pressed, the caption moves one pixel right and down (its underline
        // runs just above the focus rectangle's dots); released, it is back.
        LPARAM centre = MAKELPARAM((face.left + face.right) / 2, (face.top + face.bottom) / 2);
        SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        settle(page.window());
        RECT pressed = darkBox(ClientPixels(button), face);
        SendMessageA(button, WM_LBUTTONUP, 0, centre);
        settle(page.window());
        EXPECT_EQ(box.left + 1, pressed.left) << caption;
        EXPECT_EQ(box.top + 1, pressed.top) << caption;
        EXPECT_EQ(box.right - box.left, pressed.right - pressed.left) << caption;
        RECT again = darkBox(ClientPixels(button), face);
        EXPECT_EQ(box.left, again.left) << caption;
        EXPECT_EQ(box.top, again.top) << caption;
    }
}

TEST(SkinnedButtonFace, GradientRunsFromWhiteToTheLookOfHoverAndHighlight) {
    // Rows 12, 21, 30 and 40 of a face from row 3 to row 40.
    struct Look { int hovered, highlighted; COLORREF rows[4]; };
    const Look looks[] = {
        {0, 0, {RGB(250, 250, 252), RGB(245, 245, 249), RGB(240, 240, 246), RGB(234, 234, 243)}},
        {0, 1, {RGB(250, 250, 252), RGB(245, 245, 248), RGB(240, 240, 244), RGB(234, 234, 240)}},
        {1, 0, {RGB(252, 252, 252), RGB(248, 248, 249), RGB(244, 244, 246), RGB(240, 240, 243)}},
        {1, 1, {RGB(252, 252, 250), RGB(248, 248, 245), RGB(244, 244, 240), RGB(240, 240, 234)}}};
    const COLORREF fill = RGB(1, 2, 3);
    for (const Look& look : looks) {
        MemoryCanvas canvas(24, 48, fill);
        SkinnedButton skin;
        skin.hovered = look.hovered;
        skin.highlighted = look.highlighted;
        skin.fillFace(canvas.dc(), RECT{2, 3, 20, 40});
        // Flat or inverted faces below it are left unpainted.
        skin.fillFace(canvas.dc(), RECT{2, 44, 20, 44});
        skin.fillFace(canvas.dc(), RECT{2, 46, 20, 42});
        skin.fillFace(canvas.dc(), RECT{20, 42, 2, 46});
        for (int x : {2, 10, 19}) {
            EXPECT_EQ(hex(kWhite), hex(canvas.at(x, 3)));
            int i = 0;
            for (int y : {12, 21, 30, 40})
                EXPECT_EQ(hex(look.rows[i++]), hex(canvas.at(x, y)))
                    << "look " << look.hovered << look.highlighted << " at " << x << "," << y;
        }
        // Nothing outside the face's columns and rows is painted.
        int painted = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 24; ++x) painted += (x < 2 || x >= 20 || y < 3 || y > 40) && canvas.at(x, y) != fill;
        EXPECT_EQ(0, painted) << "look " << look.hovered << look.highlighted;
    }
}

TEST(SkinnedButtonObject, ButtonsMadeAndGoneLeaveNoGdiObjectsBehind) {
    // More rounds than a process has GDI handles (Windows 10,000, Wine
    // 65,536): one pen or brush left behind a round would use them all up,
    // and then only the few that each round gives back would be free.
    for (int round = 0; round < 70000; ++round) SkinnedButton gone;
    std::vector<HPEN> pens(100);
    for (HPEN& pen : pens) pen = CreatePen(PS_SOLID, 1, kBlack);
    EXPECT_EQ(0, std::count(pens.begin(), pens.end(), nullptr)) << "GDI handles ran out";
    for (HPEN pen : pens)
        if (pen) DeleteObject(pen);
}
