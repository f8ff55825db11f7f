// The page frame: where pages open, the quit question, the icon and the
// white painting of pages made from setup's templates.
#include <gtest/gtest.h>
#include <algorithm>
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

}  // namespace

// Each page opens where the last one was left (the stored rectangle's size
// does not count), keeps its template's size and shows setup's icon. The
// real wizard's pages are walked in the gui tests.
TEST_F(PagePlacement, EveryPageOpensAtTheStoredPlaceWithItsSizeAndTheSetupIcon) {
    for (int dialog = IDD_WELCOME; dialog <= IDD_PROGRESS; ++dialog) {
        pageRect = RECT{dialog, 77 + dialog, 9999, 9999};
        OpenPage page(dialog);
        RECT r = windowRect(page.window());
        EXPECT_EQ(dialog, r.left);
        EXPECT_EQ(77 + dialog, r.top) << "dialog " << dialog;
        RECT dialogUnits = {0, 0, 286, 190};
        MapDialogRect(page.window(), &dialogUnits);
        RECT client;
        GetClientRect(page.window(), &client);
        EXPECT_EQ(dialogUnits.right, client.right) << "dialog " << dialog;
        EXPECT_EQ(dialogUnits.bottom, client.bottom) << "dialog " << dialog;
        HICON icon = (HICON)SendMessageA(page.window(), WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(nullptr, icon) << "dialog " << dialog;
        EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP)), icon) << "dialog " << dialog;
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
// Areas that the page does not paint and that may show the face colour:
// pictures, scroll bars, list views, progress bars, check squares.
std::vector<RECT> unpaintedAreas(HWND page) {
    std::vector<RECT> areas;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, (POINT*)&r, 2);
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
}  // namespace

// Static controls and read-only fields (the licence, the summary) alike.
TEST(PagePainting, PagesAndTheirStaticControlsAreWhite) {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(RGB(255, 255, 255), face) << "the check needs a face colour other than white";
    for (int dialog = IDD_WELCOME; dialog <= IDD_PROGRESS; ++dialog) {
        OpenPage page(dialog);
        ASSERT_NE(nullptr, page.window()) << "dialog " << dialog;
        SetFocus(nullptr);
        settle(page.window());
        const std::vector<RECT> unpainted = unpaintedAreas(page.window());
        auto excluded = [&](int x, int y) {
            POINT p = {x, y};
            return std::any_of(unpainted.begin(), unpainted.end(), [&](const RECT& r) { return PtInRect(&r, p); });
        };
        ClientPixels px(page.window());
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
        EXPECT_EQ(0, faced) << "dialog " << dialog << ": face-coloured pixels, the first at " << first.x << ","
                            << first.y;
        EXPECT_GT(white, px.width() * px.height() / 3) << "dialog " << dialog;
    }
}
