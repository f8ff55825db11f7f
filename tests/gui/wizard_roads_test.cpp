// Whole roads through the real wizard: the default road to the Finish page,
// the custom road with Back on every page, each page opening where the one
// before it was left, and a payload swapped while the wizard waits.
#include <gtest/gtest.h>
#include "tests/support/machine_state.h"
#include "tests/support/product_road.h"
#include "tests/support/spooler_support.h"
#include "tests/support/support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
using wizard::SetupRun;
using wizard::WizardPage;

namespace {

using WizardRoads = wizard::StagedSetupTest;
using spooler_support::defaultPrinter;

// The default road to the Finish page, which opens where the Summary page
// was, its default-printer box checked. Kept, the close box acts as Finish:
// no question, and the new printer stays the default. Cleared, Finish gives
// the default back to the user's own printer (on a driver of its own: the
// product's removal deletes every printer on the product's driver).
TEST_F(WizardRoads, DefaultRoadEndsAtFinishWhoseBoxKeepsOrGivesBackTheDefault) {
    spooler_support::OtherPrinter previous(ts::distDir(), "Previous Printer");
    ASSERT_TRUE(previous.ready());
    for (bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "box kept, close box" : "box cleared, Finish");
        ASSERT_TRUE(spooler_support::makeDefault("Previous Printer"));
        SetupRun setup(*folder);
        std::string failure;
        HWND page = wizard::toSetupType(setup, &failure);
        ASSERT_TRUE(page) << failure;
        ASSERT_TRUE(page = setup.advance(page, 1009, WizardPage::Summary));
        RECT summaryRect = ts::windowRect(page);
        ts::press(page, 1012);
        HWND progress = setup.waitPage(WizardPage::Progress, 30000);
        if (progress && keep) wizard::shoot(progress, "progress");
        page = wizard::waitFinishAfterInstall(setup);
        ASSERT_TRUE(page) << "the run did not end at the Finish page";
        if (keep) wizard::shoot(page, "finish");
        RECT finishRect = ts::windowRect(page);
        EXPECT_EQ(summaryRect.left, finishRect.left);
        EXPECT_EQ(summaryRect.top, finishRect.top);
        EXPECT_EQ("Orlan PDF Printer", defaultPrinter()) << "the run makes the new printer the default";
        ASSERT_TRUE(ts::isChecked(page, 1027)) << "the default-printer box starts checked";
        if (keep) {
            PostMessageA(page, WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_TRUE(setup.endsWithoutQuestion());
        } else {
            ts::press(page, 1027);
            ASSERT_TRUE(ts::waitUntil([&] { return !ts::isChecked(page, 1027); }, 5000));
            ts::press(page, 1005);
        }
        EXPECT_EQ(0, setup.waitExit(20000));
        EXPECT_EQ(keep ? "Orlan PDF Printer" : "Previous Printer", defaultPrinter());
        EXPECT_TRUE(spooler_support::printerFacts("Orlan PDF Printer").exists) << "only the default goes back";
    }
}

// Moves the page to a new place and returns that place.
POINT movePage(HWND page, int x, int y) {
    SetWindowPos(page, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ts::waitUntil([&] {
        RECT r = ts::windowRect(page);
        return r.left == x && r.top == y;
    }, 5000);
    return {x, y};
}

TEST_F(WizardRoads, CustomRoadWithBackOnEveryPageKeepsThePlace) {
    SetupRun setup(*folder);
    HWND page = setup.waitPage(WizardPage::Welcome, 60000);
    ASSERT_TRUE(page);

    // The first page is centred on the screen.
    RECT r = ts::windowRect(page);
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((screenW - (r.right - r.left)) / 2, r.left, 1);
    EXPECT_NEAR((screenH - (r.bottom - r.top)) / 2, r.top, 1);
    const int width = r.right - r.left, height = r.bottom - r.top;

    struct Step {
        int button;
        WizardPage next;
    };
    const Step road[] = {
        {1001, WizardPage::Licence},     {1006, WizardPage::SetupType},   {1011, WizardPage::Licence},
        {1006, WizardPage::SetupType},   {1010, WizardPage::Destination}, {1011, WizardPage::SetupType},
        {1010, WizardPage::Destination}, {1001, WizardPage::Options},     {1011, WizardPage::Destination},
        {1001, WizardPage::Options},     {1001, WizardPage::Summary},     {1011, WizardPage::Options},
        {1001, WizardPage::Summary},
    };
    int n = 0;
    for (const Step& step : road) {
        ++n;
        POINT place = movePage(page, 20 + 17 * n, 15 + 11 * n);
        HWND next = setup.advance(page, step.button, step.next);
        ASSERT_TRUE(next) << "step " << n << ": no " << wizard::pageName(step.next) << " page";
        RECT at = ts::windowRect(next);
        EXPECT_EQ(place.x, at.left) << "step " << n << " " << wizard::pageName(step.next);
        EXPECT_EQ(place.y, at.top) << "step " << n << " " << wizard::pageName(step.next);
        EXPECT_EQ(width, at.right - at.left);
        EXPECT_EQ(height, at.bottom - at.top);
        page = next;
    }

    // A No to the quit question keeps the place for the next page as well.
    POINT place = movePage(page, 300, 200);
    ts::command(page, IDCANCEL);
    ASSERT_TRUE(wizard::answerQuitQuestion(IDNO));
    HWND options = setup.advance(page, 1011, WizardPage::Options);
    ASSERT_TRUE(options);
    EXPECT_EQ(place.x, ts::windowRect(options).left);
    EXPECT_EQ(place.y, ts::windowRect(options).top);

    HWND interrupted = setup.quitToInterrupted(options, 1002);
    ASSERT_TRUE(interrupted);
    EXPECT_EQ(place.x, ts::windowRect(interrupted).left);
    EXPECT_EQ(place.y, ts::windowRect(interrupted).top);
    ts::press(interrupted, 1005);
    EXPECT_EQ(0, setup.waitExit(15000));
}

// While the administrator reads the Summary page, a user swaps the add-in
// beside setup.exe for a DLL of their own. The run checks every file it will
// copy before it changes anything: it stops with its report, and the DLL
// never runs.
TEST_F(WizardRoads, AnAddinSwappedOnTheSummaryPageNeverRunsAndNothingIsInstalled) {
    spooler_support::removeProduct();  // no question about an earlier installation
    const std::string own = wizard::stagedSetupFolder("swapped");
    namespace ms = machine_state;
    const ms::Snapshot before = ms::capture({product_road::defaultInstallDir()});
    ts::PlantMarks marks;
    SetupRun setup(own);
    std::string failure;
    HWND page = wizard::toSetupType(setup, &failure);
    ASSERT_TRUE(page) << failure;
    ASSERT_TRUE(page = setup.advance(page, 1009, WizardPage::Summary));
    ASSERT_TRUE(CopyFileA(ts::plantFile("msimg32.dll").c_str(), (own + "\\ops_wordaddin.dll").c_str(), FALSE));
    ts::press(page, 1012);
    ts::MessageBoxInfo report = ts::answerMessageBox("Orlan PDF Scribe Setup", IDOK, 60000);
    EXPECT_NE(std::string::npos, report.text.find("Error tag = RegServ2(1392):")) << report.text;
    HWND interrupted = setup.waitPage(WizardPage::Interrupted);
    ASSERT_TRUE(interrupted) << "the run did not end at the Interrupted page";
    ts::press(interrupted, 1005);
    EXPECT_EQ(0, setup.waitExit(20000));
    EXPECT_EQ(std::vector<std::string>{}, marks.take()) << "the swapped add-in ran";
    const ms::Snapshot after = ms::capture({product_road::defaultInstallDir()});
    EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(after, before))) << "installed although the run stopped";
    EXPECT_EQ("  (nothing)\n", ms::describe(ms::minus(before, after))) << "removed although the run stopped";
    ts::removeTree(own);
}

}  // namespace
