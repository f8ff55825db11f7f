// Every page frame as the user sees it: a screenshot of each template into
// the build folder's screenshots/ (scripts/screenshots.sh turns them into
// PNGs), and the checks that a glance at them would make.
#include <gtest/gtest.h>
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

struct Found {
    HWND page;
    POINT origin;
    HWND picture;
};

BOOL CALLBACK findPictureAt(HWND child, LPARAM data) {
    Found* found = (Found*)data;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) return TRUE;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, found->page, (POINT*)&r, 2);
    if (r.left == found->origin.x && r.top == found->origin.y) {
        found->picture = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TEST(PageScreens, EveryPageFrameIsCapturedWithSkinnedButtons) {
    std::string folder = testing_support::outputDir("screenshots");
    RECT saved = pageRect;
    pageRect = RECT{20, 20, 0, 0};
    for (int dialog = IDD_WELCOME; dialog <= IDD_TOOLBAR_OFFER; ++dialog) {
        OpenPage page(dialog);
        ASSERT_NE(nullptr, page.window()) << "dialog " << dialog;
        std::string file = folder + "\\page_" + std::to_string(dialog) + ".bmp";
        DeleteFileA(file.c_str());
        EXPECT_TRUE(testing_support::screenshot(file, page.window())) << file;
        EXPECT_TRUE(testing_support::fileExists(file)) << file;

        // Each owner-drawn button shows its black outline.
        for (HWND child = GetWindow(page.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) continue;
            ClientPixels px(child);
            EXPECT_EQ(RGB(0, 0, 0), px.at(px.width() / 2, 0))
                << "dialog " << dialog << " button " << GetDlgCtrlID(child) << " is not skinned";
        }
    }
    pageRect = saved;
}

TEST(PageScreens, PicturesFitTheirPlacesOnThePage) {
    for (const Picture& p : kPictures) {
        OpenPage page(p.dialog);
        RECT box = {p.box.left, p.box.top, p.box.left + p.box.right, p.box.top + p.box.bottom};
        MapDialogRect(page.window(), &box);
        Found found{page.window(), {box.left, box.top}, nullptr};
        EnumChildWindows(page.window(), findPictureAt, (LPARAM)&found);
        ASSERT_NE(nullptr, found.picture) << "dialog " << p.dialog << " bitmap " << p.bitmap;
        HBITMAP shown = (HBITMAP)SendMessageA(found.picture, STM_GETIMAGE, IMAGE_BITMAP, 0);
        ASSERT_NE(nullptr, shown) << "dialog " << p.dialog << " bitmap " << p.bitmap;
        BITMAP info;
        ASSERT_TRUE(GetObjectA(shown, sizeof info, &info));
        HBITMAP resource = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(p.bitmap));
        BITMAP expected;
        ASSERT_TRUE(GetObjectA(resource, sizeof expected, &expected));
        DeleteObject(resource);
        EXPECT_EQ(expected.bmWidth, info.bmWidth) << "dialog " << p.dialog << " shows another bitmap";
        EXPECT_EQ(expected.bmHeight, info.bmHeight) << "dialog " << p.dialog << " shows another bitmap";
        // The picture fills its place, stays on the page and hides no other
        // control (the separator line aside).
        int width = box.right - box.left, height = box.bottom - box.top;
        EXPECT_GE(info.bmWidth, width - 8) << "dialog " << p.dialog << " bitmap " << p.bitmap;
        EXPECT_GE(info.bmHeight, height - 6) << "dialog " << p.dialog << " bitmap " << p.bitmap;
        if (p.bitmap != IDB_SIDE && p.bitmap != IDB_BANNER) {
            EXPECT_LE(info.bmWidth, width + 1) << "dialog " << p.dialog << " bitmap " << p.bitmap;
            EXPECT_LE(info.bmHeight, height + 1) << "dialog " << p.dialog << " bitmap " << p.bitmap;
        }
        RECT placed;
        GetWindowRect(found.picture, &placed);
        MapWindowPoints(nullptr, page.window(), (POINT*)&placed, 2);
        RECT client;
        GetClientRect(page.window(), &client);
        RECT inside;
        IntersectRect(&inside, &placed, &client);
        EXPECT_TRUE(EqualRect(&inside, &placed)) << "dialog " << p.dialog << " bitmap " << p.bitmap;
        for (HWND child = GetWindow(page.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            LONG style = GetWindowLongA(child, GWL_STYLE);
            if (child == found.picture || (style & SS_TYPEMASK) == SS_BLACKFRAME) continue;
            RECT other, overlap;
            GetWindowRect(child, &other);
            MapWindowPoints(nullptr, page.window(), (POINT*)&other, 2);
            EXPECT_FALSE(IntersectRect(&overlap, &other, &placed))
                << "dialog " << p.dialog << ": bitmap " << p.bitmap << " covers control " << GetDlgCtrlID(child);
        }
    }
}
