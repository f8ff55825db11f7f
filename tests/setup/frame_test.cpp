// The page frame: where pages open, the quit question, the icon, the
// pictures and the white painting of pages made from setup's templates.
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"
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
// does not count), keeps its template's size and shows setup's icon; every
// frame is captured into the build folder's screenshots/ (scripts/
// screenshots.sh turns them into PNGs), and each owner-drawn button shows
// its black outline, on the wizard's pages skinned by an object of its own.
// The real wizard's pages are walked in the gui tests.
TEST_F(PageScreens, EveryPageOpensAtTheStoredPlaceWithItsSizeIconAndSkinnedButtons) {
    std::string folder = testing_support::outputDir("screenshots");
    std::set<SkinnedButton*> skins;
    for (int dialog = IDD_WELCOME; dialog <= IDD_TOOLBAR_OFFER; ++dialog) {
        SCOPED_TRACE("dialog " + std::to_string(dialog));
        pageRect = RECT{dialog, 77 + dialog, 9999, 9999};
        OpenPage page(dialog);
        ASSERT_NE(nullptr, page.window());
        std::string file = folder + "\\page_" + std::to_string(dialog) + ".bmp";
        DeleteFileA(file.c_str());
        EXPECT_TRUE(testing_support::screenshot(file, page.window())) << file;
        EXPECT_TRUE(testing_support::fileExists(file)) << file;
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

TEST_F(PageScreens, PicturesFitTheirPlacesOnThePage) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE("dialog " + std::to_string(p.dialog) + " bitmap " + std::to_string(p.bitmap));
        OpenPage page(p.dialog);
        RECT box = {p.box.left, p.box.top, p.box.left + p.box.right, p.box.top + p.box.bottom};
        MapDialogRect(page.window(), &box);
        HWND picture = GetWindow(page.window(), GW_CHILD);
        for (; picture; picture = GetWindow(picture, GW_HWNDNEXT)) {
            RECT r = placeOf(picture);
            bool bitmap = (GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
            if (bitmap && r.left == box.left && r.top == box.top) break;
        }
        ASSERT_NE(nullptr, picture);
        HBITMAP shown = (HBITMAP)SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0);
        ASSERT_NE(nullptr, shown);
        BITMAP info;
        ASSERT_TRUE(GetObjectA(shown, sizeof info, &info));
        HBITMAP resource = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(p.bitmap));
        BITMAP expected;
        ASSERT_TRUE(GetObjectA(resource, sizeof expected, &expected));
        DeleteObject(resource);
        EXPECT_EQ(expected.bmWidth, info.bmWidth) << "another bitmap";
        EXPECT_EQ(expected.bmHeight, info.bmHeight) << "another bitmap";
        // The picture fills its place, stays on the page and hides no other
        // control (the separator line aside).
        int width = box.right - box.left, height = box.bottom - box.top;
        EXPECT_GE(info.bmWidth, width - 8);
        EXPECT_GE(info.bmHeight, height - 6);
        if (p.bitmap != IDB_SIDE && p.bitmap != IDB_BANNER) {
            EXPECT_LE(info.bmWidth, width + 1);
            EXPECT_LE(info.bmHeight, height + 1);
        }
        RECT placed = placeOf(picture), client;
        GetClientRect(page.window(), &client);
        RECT inside;
        IntersectRect(&inside, &placed, &client);
        EXPECT_TRUE(EqualRect(&inside, &placed));
        for (HWND child = GetWindow(page.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            LONG style = GetWindowLongA(child, GWL_STYLE);
            if (child == picture || (style & SS_TYPEMASK) == SS_BLACKFRAME) continue;
            RECT other = placeOf(child), overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &other, &placed)) << "covers control " << GetDlgCtrlID(child);
        }
    }
}
