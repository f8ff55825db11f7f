// The page frame: where pages open, the quit question, the icon, the
// pictures and the white painting of pages made from setup's templates.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include "resources/resource.h"
#include "setup/entry.h"
#include "setup/frame.h"
#include "setup/options.h"
#include "setup/pages.h"
#include "tests/support/support.h"
#include "tests/support/ui_support.h"

using namespace ui_support;
using testing_support::windowRect;

namespace {

class PagePlacement : public ::testing::Test {
protected:
    void SetUp() override { saved = pageRect; }
    void TearDown() override { pageRect = saved; }
    RECT saved;
};
// scripts/screenshots.sh runs this suite for the frames' screenshots.
using PageScreens = PagePlacement;

// A child's rectangle in its page's client coordinates.
RECT placeOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), (POINT*)&r, 2);
    return r;
}

// Areas that the page does not paint and that may show the face colour:
// pictures, scroll bars, list views, progress bars, check squares.
std::vector<RECT> unpaintedAreas(HWND page) {
    std::vector<RECT> areas;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = placeOf(child);
        char cls[64] = "";
        GetClassNameA(child, cls, sizeof cls);
        auto is = [&](const char* name) { return lstrcmpiA(cls, name) == 0; };
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((is("Static") && (style & SS_TYPEMASK) == SS_BITMAP) || is("SysListView32") || is("msctls_progress32"))
            areas.push_back(r);
        else if (is("Edit") && (style & WS_VSCROLL))
            areas.push_back({r.right - GetSystemMetrics(SM_CXVSCROLL) - 3, r.top, r.right, r.bottom});
        else if (is("Button") && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX)
            areas.push_back({r.left, r.top, r.left + GetSystemMetrics(SM_CXMENUCHECK) + 2, r.bottom});
    }
    return areas;
}

// The page and its static controls and read-only fields (the licence, the
// summary) alike are white.
void expectPaintedWhite(HWND page) {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(RGB(255, 255, 255), face) << "the check needs a face colour other than white";
    SetFocus(nullptr);
    settle(page);
    const std::vector<RECT> unpainted = unpaintedAreas(page);
    auto excluded = [&](int x, int y) {
        POINT p = {x, y};
        return std::any_of(unpainted.begin(), unpainted.end(), [&](const RECT& r) { return PtInRect(&r, p); });
    };
    ClientPixels px(page);
    int faced = 0, white = 0;
    POINT first = {-1, -1};
    for (int y = 0; y < px.height(); ++y) {
        for (int x = 0; x < px.width(); ++x) {
            if (excluded(x, y)) continue;
            COLORREF c = px.at(x, y);
            white += c == RGB(255, 255, 255);
            if (c == face) {
                if (!faced) first = {x, y};
                ++faced;
            }
        }
    }
    EXPECT_EQ(0, faced) << "face-coloured pixels, the first at " << first.x << "," << first.y;
    EXPECT_GT(white, px.width() * px.height() / 3);
}

struct Picture {
    int dialog, bitmap;
    RECT box;  // dialog units: x, y, width, height
};

const Picture kPictures[] = {
    {IDD_WELCOME, IDB_SIDE, {0, 0, 103, 171}},         {IDD_WELCOME, IDB_HEAD_WELCOME, {136, 16, 113, 19}},
    {IDD_INTERRUPTED, IDB_SIDE, {0, 0, 103, 171}},     {IDD_INTERRUPTED, IDB_HEAD_INTERRUPTED, {131, 31, 95, 17}},
    {IDD_FINISH, IDB_SIDE, {0, 0, 103, 171}},          {IDD_FINISH, IDB_HEAD_FINISH, {131, 31, 113, 19}},
    {IDD_LICENCE, IDB_BANNER, {0, 0, 286, 35}},        {IDD_SETUP_TYPE, IDB_BANNER, {0, 0, 286, 35}},
    {IDD_SUMMARY, IDB_BANNER, {0, 0, 286, 35}},        {IDD_DESTINATION, IDB_BANNER, {0, 0, 286, 35}},
    {IDD_OPTIONS, IDB_BANNER, {0, 0, 286, 35}},        {IDD_PROGRESS, IDB_BANNER, {0, 0, 286, 35}},
};

}  // namespace

// Each page opens where the last one was left (the stored rectangle's size
// does not count), keeps its template's size and shows setup's icon, and
// each owner-drawn button shows its black outline, on the wizard's pages
// skinned by an object of its own.
// The real wizard's pages are walked in the gui tests.
TEST_F(PageScreens, EveryPageOpensAtTheStoredPlaceWithItsSizeIconAndSkinnedButtons) {
    std::set<SkinnedButton*> skins;
    for (int dialog = IDD_WELCOME; dialog <= IDD_TOOLBAR_OFFER; ++dialog) {
        SCOPED_TRACE("dialog " + std::to_string(dialog));
        pageRect = RECT{dialog, 77 + dialog, 9999, 9999};
        OpenPage page(dialog);
        ASSERT_NE(nullptr, page.window());
        int buttons = 0;
        for (HWND child = GetWindow(page.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) continue;
            ++buttons;
            SCOPED_TRACE("button " + std::to_string(GetDlgCtrlID(child)));
            ClientPixels px(child);
            EXPECT_EQ(RGB(0, 0, 0), px.at(px.width() / 2, 0)) << "not skinned";
            if (dialog > IDD_PROGRESS) continue;
            EXPECT_EQ((LONG_PTR)&SkinnedButton::windowProc, GetWindowLongPtrA(child, GWLP_WNDPROC));
            auto* skin = (SkinnedButton*)GetWindowLongPtrA(child, GWLP_USERDATA);
            ASSERT_NE(nullptr, skin);
            EXPECT_EQ(child, skin->window);
            EXPECT_TRUE(skins.insert(skin).second) << "an object shared with another button";
        }
        if (dialog > IDD_PROGRESS) continue;
        EXPECT_GT(buttons, 0);
        RECT r = windowRect(page.window());
        EXPECT_EQ(dialog, r.left);
        EXPECT_EQ(77 + dialog, r.top);
        RECT dialogUnits = {0, 0, 286, 190};
        MapDialogRect(page.window(), &dialogUnits);
        RECT client;
        GetClientRect(page.window(), &client);
        EXPECT_EQ(dialogUnits.right, client.right);
        EXPECT_EQ(dialogUnits.bottom, client.bottom);
        HICON icon = (HICON)SendMessageA(page.window(), WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(nullptr, icon);
        EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP)), icon);
        expectPaintedWhite(page.window());
    }
}

// Escape and the close box reaching the real wizard's question are in the
// gui tests; here what the box looks like.
TEST_F(PagePlacement, NoToTheQuitQuestionKeepsThePageWhereItIs) {
    pageRect = RECT{0, 0, 0, 0};
    OpenPage page(IDD_SETUP_TYPE);
    SetWindowPos(page.window(), nullptr, 210, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before = windowRect(page.window());

    testing_support::MessageBoxInfo box;
    int defaultId = 0;
    bool iconShown = false;
    std::thread user([&] {
        box = testing_support::findMessageBox("Orlan PDF Scribe", 10000);
        if (!box.window) return;
        for (int id : {IDYES, IDNO}) {
            HWND button = GetDlgItem(box.window, id);
            if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) defaultId = id;
        }
        // The icon static of a message box (its id differs between systems).
        for (int iconId : {0x14, 0x440}) {
            HWND icon = GetDlgItem(box.window, iconId);
            if (icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0)) iconShown = true;
        }
        PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), (LPARAM)GetDlgItem(box.window, IDNO));
    });
    bool quit = confirmQuit(page.window());
    user.join();

    ASSERT_NE(nullptr, box.window) << "no quit question appeared";
    EXPECT_FALSE(quit);
    EXPECT_EQ("Are you sure you want to quit Orlan PDF Scribe Setup?", box.text);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    EXPECT_EQ(IDYES, defaultId) << "Yes is the default button";
    EXPECT_FALSE(iconShown);
    // The place was stored before asking.
    EXPECT_TRUE(EqualRect(&before, &pageRect));
}

namespace {

const COLORREF kProbe = RGB(255, 0, 255);
// While set, the page under test is painted magenta around its pictures, so
// that what a picture draws stands out from the page.
bool probing = false;
DLGPROC probedPageProc = nullptr;

INT_PTR CALLBACK probingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static HBRUSH magenta = CreateSolidBrush(kProbe);
    if (probing && message == WM_CTLCOLORSTATIC) {
        SetBkColor((HDC)wParam, kProbe);
        return (INT_PTR)magenta;
    }
    if (probing && message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        FillRect(dc, &paint.rcPaint, magenta);
        EndPaint(page, &paint);
        return TRUE;
    }
    return probedPageProc(page, message, wParam, lParam);
}

INT_PTR CALLBACK dialogOnlyProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Where a picture's pixels land: the box of the page's pixels that are not
// the probe's magenta while only that picture is shown.
RECT drawnRect(HWND page, HWND picture) {
    std::vector<HWND> hidden;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != picture && IsWindowVisible(child)) hidden.push_back(child);
    for (HWND child : hidden) ShowWindow(child, SW_HIDE);
    probing = true;
    settle(page);
    ClientPixels px(page);
    probing = false;
    for (HWND child : hidden) ShowWindow(child, SW_SHOW);
    settle(page);
    RECT box = {px.width(), px.height(), 0, 0};
    for (int y = 0; y < px.height(); ++y)
        for (int x = 0; x < px.width(); ++x)
            if (px.at(x, y) != kProbe)
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                       std::max<LONG>(box.bottom, y + 1)};
    return box;
}

std::string text(HWND window) {
    char buffer[1024] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// DrawText's box for a text in the DC's font, wrapped at width when asked.
SIZE measured(HDC dc, const std::string& s, int width, UINT format) {
    RECT r = {0, 0, width, 0};
    DrawTextA(dc, s.c_str(), -1, &r, DT_CALCRECT | format);
    return SIZE{r.right, r.bottom};
}

// Every text of the page that does not fit its control, measured in the
// font it is drawn with (the page's own choice for a static, such as the
// link's); empty when all fit. The licence text scrolls by design.
std::vector<std::string> cutTexts(HWND page, int dpi) {
    std::vector<std::string> cut;
    HDC dc = GetDC(page);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        RECT client;
        GetClientRect(child, &client);
        HFONT font = (HFONT)SendMessageA(child, WM_GETFONT, 0, 0);
        int saved = SaveDC(dc);
        SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        std::string name = std::string(cls) + " " + std::to_string(GetDlgCtrlID(child)) + " \"" + text(child) + "\"";
        auto expectFits = [&](SIZE need, LONG width, LONG height) {
            if (need.cx > width || need.cy > height)
                cut.push_back(name + ": needs " + std::to_string(need.cx) + "x" + std::to_string(need.cy) + ", has " +
                              std::to_string(width) + "x" + std::to_string(height));
        };
        if (!lstrcmpiA(cls, "Static") && (style & SS_TYPEMASK) <= SS_RIGHT && !text(child).empty()) {
            SendMessageA(page, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)child);
            UINT format = DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            expectFits(measured(dc, text(child), client.right, format), client.right, client.bottom);
        } else if (!lstrcmpiA(cls, "Button")) {
            LONG kind = style & BS_TYPEMASK;
            SIZE need = measured(dc, text(child), 0, DT_SINGLELINE);
            if (kind == BS_OWNERDRAW) {
                // Inside the system's edge, grown with the DPI.
                expectFits(need, client.right - 2 * MulDiv(GetSystemMetrics(SM_CXEDGE), dpi, 96),
                           client.bottom - 2 * MulDiv(GetSystemMetrics(SM_CYEDGE), dpi, 96));
            } else if (kind == BS_GROUPBOX) {
                expectFits(need, client.right - 2 * tm.tmAveCharWidth, client.bottom);
            } else {
                // Beside the check square and half a character of space.
                expectFits(need, client.right - GetSystemMetrics(SM_CXMENUCHECK) - tm.tmAveCharWidth / 2,
                           client.bottom);
            }
        } else if (!lstrcmpiA(cls, "Edit") && GetDlgCtrlID(child) != IDC_LICENCE_TEXT) {
            RECT area;
            SendMessageA(child, EM_GETRECT, 0, (LPARAM)&area);
            if (style & ES_MULTILINE) {
                LONG lines = (LONG)SendMessageA(child, EM_GETLINECOUNT, 0, 0);
                expectFits(SIZE{0, lines * tm.tmHeight}, area.right - area.left, area.bottom - area.top);
            } else {
                expectFits(measured(dc, text(child), 0, DT_SINGLELINE | DT_NOPREFIX), area.right - area.left,
                           area.bottom - area.top);
            }
        } else if (!lstrcmpiA(cls, WC_LISTVIEWA)) {
            HWND header = (HWND)SendMessageA(child, LVM_GETHEADER, 0, 0);
            int columns = (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
            int rows = (int)SendMessageA(child, LVM_GETITEMCOUNT, 0, 0);
            for (int c = 0; c < columns; ++c) {
                char heading[64] = "";
                LVCOLUMNA column = {};
                column.mask = LVCF_TEXT;
                column.pszText = heading;
                column.cchTextMax = sizeof heading;
                SendMessageA(child, LVM_GETCOLUMNA, c, (LPARAM)&column);
                std::vector<std::string> texts = {heading};
                for (int r = 0; r < rows; ++r) {
                    char cell[64] = "";
                    ListView_GetItemText(child, r, c, cell, sizeof cell);
                    texts.push_back(cell);
                }
                LONG width = (LONG)SendMessageA(child, LVM_GETCOLUMNWIDTH, c, 0);
                for (const std::string& t : texts) {
                    name = "list column " + std::to_string(c) + " \"" + t + "\"";
                    // The list's own text margins on both sides.
                    LONG need = (LONG)SendMessageA(child, LVM_GETSTRINGWIDTHA, 0, (LPARAM)t.c_str()) + 12;
                    expectFits(SIZE{need, 0}, width, 0);
                }
            }
        }
        RestoreDC(dc, saved);
    }
    ReleaseDC(page, dc);
    return cut;
}

bool isSeparator(HWND child) {
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    return !lstrcmpiA(cls, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BLACKFRAME;
}

// The separator's rows run unbroken across the page, also after each
// picture has repainted on its own: every column of them looks like the
// column at its right end, which nothing else reaches.
void expectSeparatorWhole(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && !isSeparator(child))
            RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pump(150);
    ClientPixels px(page);
    int separators = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!isSeparator(child)) continue;
        ++separators;
        RECT r = placeOf(child);
        int broken = 0, first = -1;
        for (int x = r.left + 2; x < r.right - 2; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (px.at(x, y) != px.at(r.right - 3, y)) {
                    if (first < 0) first = x;
                    ++broken;
                }
        EXPECT_EQ(0, broken) << "the separator is broken, first at x " << first;
    }
    EXPECT_EQ(1, separators);
}

// The pages, each with the procedure the wizard gives it (the Progress
// page's would start a run), and the uninstaller's dialog from the program
// that is shipped.
struct Shown {
    int dialog;
    DLGPROC proc;
};

BOOL CALLBACK visibleWindow(HWND window, LPARAM found) {
    if (IsWindowVisible(window)) *(HWND*)found = window;
    return TRUE;
}

// The splash as setup shows it, taken once its fade has ended: the size of
// 400 x 140 at 96 DPI, filled with its picture.
void expectSplashFilled(int dpi, const std::string& folder) {
    std::atomic<DWORD> thread{0};
    std::thread splash([&] {
        thread = GetCurrentThreadId();
        showSplash(GetModuleHandleA(nullptr));
    });
    HWND window = nullptr;
    testing_support::waitUntil([&] {
        EnumThreadWindows(thread, visibleWindow, (LPARAM)&window);
        return window != nullptr;
    }, 10000, 10);
    // The ten steps of the fade take a second; the last stays a second more.
    Sleep(1400);
    bool shot = window && testing_support::screenshot(folder + "\\splash.bmp", window);
    ClientPixels px(window);
    splash.join();
    ASSERT_TRUE(window) << "no splash";
    EXPECT_TRUE(shot);
    EXPECT_NEAR(MulDiv(400, dpi, 96), px.width(), 1);
    EXPECT_NEAR(MulDiv(140, dpi, 96), px.height(), 1);
    // The picture's red rule (rows 96 to 104 of 140) runs across the whole
    // window, and its light bottom reaches both lower corners; the rest of
    // the window is never painted.
    int rule = px.height() * 100 / 140, red = 0;
    for (int x = 0; x < px.width(); ++x) red += GetRValue(px.at(x, rule)) > GetGValue(px.at(x, rule)) + 60;
    EXPECT_NEAR(px.width(), red, 2) << "the picture's rule ends short of the window's edge";
    for (int x : {1, px.width() - 2}) {
        COLORREF c = px.at(x, px.height() - 2);
        EXPECT_TRUE(GetRValue(c) > 150 && GetGValue(c) > 150 && GetBValue(c) > 150) << "bottom corner at " << x;
    }
}

}  // namespace

// Every page, the splash and the uninstaller's dialog at the screen's DPI
// (CTest runs this suite at 96, 120, 144 and 192 DPI, each in a prefix of
// its own): each picture fills exactly its template's place, the separator
// is whole, no text is cut, the buttons' corners and edges follow the DPI.
// The pictures are kept in screenshots\dpi<N> of the build folder.
TEST_F(PageScreens, EveryPageLooksFinishedAtTheScreensDpi) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const char* asked = getenv("ORLAN_LOGPIXELS");
    if (asked) {
        ASSERT_EQ(atoi(asked), dpi) << "Wine did not take the DPI asked for";
    }
    testing_support::outputDir("screenshots");
    const std::string folder = testing_support::outputDir(("screenshots\\dpi" + std::to_string(dpi)).c_str());
    expectSplashFilled(dpi, folder);
    // The folder field and the summary show the default folder, as on the
    // default road.
    applyDefaultChoices();

    HMODULE uninstaller = LoadLibraryExA(testing_support::distFile("uninstall.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, uninstaller);
    const Shown shown[] = {{IDD_WELCOME, welcomePageProc},        {IDD_LICENCE, licencePageProc},
                           {IDD_SETUP_TYPE, setupTypePageProc},   {IDD_DESTINATION, destinationPageProc},
                           {IDD_OPTIONS, optionsPageProc},        {IDD_SUMMARY, summaryPageProc},
                           {IDD_PROGRESS, plainPageProc},         {IDD_FINISH, finishPageProc},
                           {IDD_INTERRUPTED, interruptedPageProc}, {IDD_UNINSTALL, dialogOnlyProc}};
    for (const Shown& s : shown) {
        SCOPED_TRACE("dialog " + std::to_string(s.dialog) + " at " + std::to_string(dpi) + " DPI");
        pageRect = RECT{0, 0, 0, 0};
        HWND window;
        if (s.dialog == IDD_UNINSTALL) {
            window = CreateDialogParamA(uninstaller, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, dialogOnlyProc, 0);
            ShowWindow(window, SW_SHOW);
            settle(window);
        } else {
            probedPageProc = s.proc;
            window = createPage(s.dialog, probingProc);
        }
        ASSERT_NE(nullptr, window);
        const std::string file = folder + "\\page_" + std::to_string(s.dialog) + ".bmp";
        EXPECT_TRUE(testing_support::screenshot(file, window)) << file;
        for (const std::string& cut : cutTexts(window, dpi)) ADD_FAILURE() << "cut: " << cut;
        if (s.dialog != IDD_UNINSTALL) expectSeparatorWhole(window);
        for (const Picture& p : kPictures) {
            if (p.dialog != s.dialog) continue;
            SCOPED_TRACE("bitmap " + std::to_string(p.bitmap));
            RECT place = {p.box.left, p.box.top, p.box.left + p.box.right, p.box.top + p.box.bottom};
            MapDialogRect(window, &place);
            HWND picture = GetWindow(window, GW_CHILD);
            while (picture && !((GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
                                placeOf(picture).left == place.left && placeOf(picture).top == place.top))
                picture = GetWindow(picture, GW_HWNDNEXT);
            ASSERT_NE(nullptr, picture);
            RECT drawn = drawnRect(window, picture);
            EXPECT_NEAR(place.left, drawn.left, 1);
            EXPECT_NEAR(place.top, drawn.top, 1);
            EXPECT_NEAR(place.right, drawn.right, 1);
            EXPECT_NEAR(place.bottom, drawn.bottom, 1);
            // The picture hides no other control (the separator line aside).
            for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                RECT other = placeOf(child), overlap;
                if (child == picture || isSeparator(child)) continue;
                EXPECT_FALSE(IntersectRect(&overlap, &other, &drawn)) << "covers control " << GetDlgCtrlID(child);
            }
        }
        // The buttons' rounded corners and, on the pointer, their coloured
        // edges grow with the DPI.
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) continue;
            RECT client;
            GetClientRect(child, &client);
            HRGN actual = CreateRectRgn(0, 0, 0, 0), difference = CreateRectRgn(0, 0, 0, 0);
            int corner = MulDiv(5, dpi, 96);
            HRGN expected = CreateRoundRectRgn(0, 0, client.right, client.bottom, corner, corner);
            GetWindowRgn(child, actual);
            EXPECT_EQ(NULLREGION, CombineRgn(difference, actual, expected, RGN_XOR)) << "button " << GetDlgCtrlID(child);
            for (HRGN r : {actual, difference, expected}) DeleteObject(r);
        }
        if (s.dialog == IDD_WELCOME) {
            HWND cancel = GetDlgItem(window, IDC_CANCEL);
            SendMessageA(cancel, WM_MOUSEHOVER, 0, 0);
            settle(window);
            ClientPixels px(cancel);
            int orange = 0;
            for (int x = 0; x < px.width() / 2; ++x) orange += px.at(x, px.height() / 2) == RGB(250, 196, 88);
            EXPECT_NEAR(MulDiv(3, dpi, 96), orange, 1) << "the hover look's left edge";
        }
        DestroyWindow(window);
        pump(20);
    }
    FreeLibrary(uninstaller);
}
