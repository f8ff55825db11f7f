// Every page frame as the user sees it: a screenshot of each template into
// the build folder's screenshots/ (scripts/screenshots.sh turns them into
// PNGs), and the checks that a glance at them would make.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include "resources/resource.h"
#include "setup/options.h"
#include "tests/support/support.h"
#include "tests/support/ui_support.h"

using namespace ui_support;

namespace {

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

// A child's rectangle in its page's client coordinates.
RECT placeOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), (POINT*)&r, 2);
    return r;
}

}  // namespace

TEST(PageScreens, EveryPageFrameIsCapturedWithSkinnedButtons) {
    std::string folder = testing_support::outputDir("screenshots");
    RECT saved = pageRect;
    pageRect = RECT{20, 20, 0, 0};
    std::set<SkinnedButton*> skins;
    for (int dialog = IDD_WELCOME; dialog <= IDD_TOOLBAR_OFFER; ++dialog) {
        OpenPage page(dialog);
        ASSERT_NE(nullptr, page.window()) << "dialog " << dialog;
        std::string file = folder + "\\page_" + std::to_string(dialog) + ".bmp";
        DeleteFileA(file.c_str());
        EXPECT_TRUE(testing_support::screenshot(file, page.window())) << file;
        EXPECT_TRUE(testing_support::fileExists(file)) << file;

        // Each owner-drawn button shows its black outline; on the wizard's
        // pages each is skinned by an object of its own.
        int buttons = 0;
        for (HWND child = GetWindow(page.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) continue;
            ++buttons;
            SCOPED_TRACE("dialog " + std::to_string(dialog) + " button " + std::to_string(GetDlgCtrlID(child)));
            ClientPixels px(child);
            EXPECT_EQ(RGB(0, 0, 0), px.at(px.width() / 2, 0)) << "not skinned";
            if (dialog > IDD_PROGRESS) continue;
            EXPECT_EQ((LONG_PTR)&SkinnedButton::windowProc, GetWindowLongPtrA(child, GWLP_WNDPROC));
            auto* skin = (SkinnedButton*)GetWindowLongPtrA(child, GWLP_USERDATA);
            ASSERT_NE(nullptr, skin);
            EXPECT_EQ(child, skin->window);
            EXPECT_TRUE(skins.insert(skin).second) << "an object shared with another button";
        }
        EXPECT_TRUE(buttons > 0 || dialog > IDD_PROGRESS) << "dialog " << dialog;
    }
    pageRect = saved;
}

TEST(PageScreens, PicturesFitTheirPlacesOnThePage) {
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
