// The page frame: where pages open, the quit question, the icon and the
// white painting of pages made from setup's templates.
#include <gtest/gtest.h>
#include <thread>
#include "common/centre.h"
#include "resources/resource.h"
#include "setup/frame.h"
#include "setup/options.h"
#include "tests/support/support.h"
#include "tests/support/ui_support.h"

using namespace ui_support;

namespace {

RECT windowRect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

void moveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pump(20);
}

// The first page of the wizard centres itself and stores its place first.
INT_PTR CALLBACK firstPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        centreOnScreen(page);
        storePageRect(page);
    }
    return plainPageProc(page, message, wParam, lParam);
}

class PagePlacement : public ::testing::Test {
protected:
    void SetUp() override { saved = pageRect; }
    void TearDown() override { pageRect = saved; }
    RECT saved;
};

}  // namespace

TEST_F(PagePlacement, FirstPageIsCentredAndEveryNextPageOpensWhereTheLastWasLeft) {
    pageRect = RECT{0, 0, 0, 0};
    {
        OpenPage welcome(IDD_WELCOME, firstPageProc);
        RECT r = windowRect(welcome.window());
        int width = r.right - r.left, height = r.bottom - r.top;
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, r.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, r.top);
        EXPECT_TRUE(EqualRect(&r, &pageRect));
        moveTo(welcome.window(), 40, 30);
        storePageRect(welcome.window());  // as Next does before the page ends
    }
    {
        OpenPage licence(IDD_LICENCE);
        RECT r = windowRect(licence.window());
        EXPECT_EQ(40, r.left);
        EXPECT_EQ(30, r.top);
        moveTo(licence.window(), 310, 215);
        storePageRect(licence.window());
    }
    {
        // Back: the earlier page opens at the moved place, not where it was.
        OpenPage welcome(IDD_WELCOME);
        RECT r = windowRect(welcome.window());
        EXPECT_EQ(310, r.left);
        EXPECT_EQ(215, r.top);
        storePageRect(welcome.window());
    }
    for (int dialog : {IDD_SETUP_TYPE, IDD_DESTINATION, IDD_OPTIONS, IDD_SUMMARY, IDD_PROGRESS, IDD_FINISH,
                       IDD_INTERRUPTED}) {
        OpenPage page(dialog);
        RECT r = windowRect(page.window());
        EXPECT_EQ(310, r.left) << "dialog " << dialog;
        EXPECT_EQ(215, r.top) << "dialog " << dialog;
    }
}

TEST_F(PagePlacement, PageKeepsItsSizeAndGetsTheSetupIcon) {
    pageRect = RECT{123, 77, 9999, 9999};  // only the top-left counts
    OpenPage page(IDD_SUMMARY);
    RECT r = windowRect(page.window());
    EXPECT_EQ(123, r.left);
    EXPECT_EQ(77, r.top);
    RECT dialogUnits = {0, 0, 286, 190};
    MapDialogRect(page.window(), &dialogUnits);
    RECT client;
    GetClientRect(page.window(), &client);
    EXPECT_EQ(dialogUnits.right, client.right);
    EXPECT_EQ(dialogUnits.bottom, client.bottom);

    HICON icon = (HICON)SendMessageA(page.window(), WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(nullptr, icon);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP)), icon);
}

namespace {
struct SeenBox {
    testing_support::MessageBoxInfo info;
    LRESULT defaultId = 0;
    bool iconShown = false;
};

// Answers the quit question from another thread, as a user would.
std::thread answerQuit(SeenBox* seen, int answer) {
    return std::thread([seen, answer] {
        seen->info = testing_support::findMessageBox("Orlan PDF Scribe", 10000);
        HWND box = seen->info.window;
        if (!box) return;
        for (int id : {IDYES, IDNO}) {
            HWND button = GetDlgItem(box, id);
            if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen->defaultId = id;
        }
        // The icon static of a message box (its id differs between systems).
        for (int iconId : {0x14, 0x440}) {
            HWND icon = GetDlgItem(box, iconId);
            if (icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0)) seen->iconShown = true;
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
    });
}
}  // namespace

TEST_F(PagePlacement, NoToTheQuitQuestionKeepsThePageWhereItIs) {
    pageRect = RECT{0, 0, 0, 0};
    OpenPage page(IDD_SETUP_TYPE);
    moveTo(page.window(), 210, 150);
    RECT before = windowRect(page.window());

    SeenBox seen;
    std::thread answering = answerQuit(&seen, IDNO);
    bool quit = confirmQuit(page.window());
    answering.join();

    ASSERT_NE(nullptr, seen.info.window) << "no quit question appeared";
    EXPECT_FALSE(quit);
    EXPECT_EQ("Are you sure you want to quit Orlan PDF Scribe Setup?", seen.info.text);
    std::vector<int> yesNo = {IDYES, IDNO};
    EXPECT_EQ(yesNo, seen.info.buttons);
    EXPECT_EQ(IDYES, seen.defaultId) << "Yes is the default button";
    EXPECT_FALSE(seen.iconShown);
    // The place was stored before asking, and the page stayed there.
    EXPECT_TRUE(EqualRect(&before, &pageRect));
    ASSERT_TRUE(IsWindow(page.window()));
    RECT after = windowRect(page.window());
    EXPECT_TRUE(EqualRect(&before, &after));

    SeenBox second;
    answering = answerQuit(&second, IDYES);
    EXPECT_TRUE(confirmQuit(page.window()));
    answering.join();
    EXPECT_NE(nullptr, second.info.window);
}

namespace {
bool isClass(HWND window, const char* name) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

struct Exclusions {
    HWND page;
    std::vector<RECT> rects;
};

// Areas that the page does not paint and that may show the face colour:
// pictures, scroll bars, list view headers, progress bars, check squares.
BOOL CALLBACK collectExclusions(HWND child, LPARAM data) {
    Exclusions* ex = (Exclusions*)data;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, ex->page, (POINT*)&r, 2);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (isClass(child, "Static") && (style & SS_TYPEMASK) == SS_BITMAP) {
        ex->rects.push_back(r);
    } else if (isClass(child, "SysListView32") || isClass(child, "msctls_progress32")) {
        ex->rects.push_back(r);
    } else if (isClass(child, "Edit") && (style & WS_VSCROLL)) {
        RECT bar = r;
        bar.left = bar.right - GetSystemMetrics(SM_CXVSCROLL) - 3;
        ex->rects.push_back(bar);
    } else if (isClass(child, "Button") && ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX)) {
        RECT box = r;
        box.right = box.left + GetSystemMetrics(SM_CXMENUCHECK) + 2;
        ex->rects.push_back(box);
    }
    return TRUE;
}

bool excluded(const Exclusions& ex, int x, int y) {
    POINT p = {x, y};
    for (const RECT& r : ex.rects)
        if (PtInRect(&r, p)) return true;
    return false;
}
}  // namespace

TEST(PagePainting, PagesAndTheirStaticControlsAreWhite) {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(RGB(255, 255, 255), face) << "the check needs a face colour other than white";
    for (int dialog = IDD_WELCOME; dialog <= IDD_PROGRESS; ++dialog) {
        OpenPage page(dialog);
        ASSERT_NE(nullptr, page.window()) << "dialog " << dialog;
        SetFocus(nullptr);
        settle(page.window());
        Exclusions ex{page.window(), {}};
        EnumChildWindows(page.window(), collectExclusions, (LPARAM)&ex);
        ClientPixels px(page.window());
        int faced = 0, white = 0;
        POINT first = {-1, -1};
        for (int y = 0; y < px.height(); ++y) {
            for (int x = 0; x < px.width(); ++x) {
                if (excluded(ex, x, y)) continue;
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

TEST(PagePainting, ReadOnlyTextFieldsAreWhite) {
    for (int dialog : {IDD_LICENCE, IDD_SUMMARY}) {
        OpenPage page(dialog);
        HWND field = page.item(dialog == IDD_LICENCE ? IDC_LICENCE_TEXT : IDC_SUMMARY_TEXT);
        ASSERT_TRUE(GetWindowLongA(field, GWL_STYLE) & ES_READONLY);
        ClientPixels px(field);
        ASSERT_GT(px.width(), 20);
        EXPECT_EQ(RGB(255, 255, 255), px.at(px.width() / 2, px.height() / 2)) << "dialog " << dialog;
        EXPECT_EQ(RGB(255, 255, 255), px.at(2, px.height() - 3)) << "dialog " << dialog;
    }
}
