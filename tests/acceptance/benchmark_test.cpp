// Timings for scripts/benchmark.sh (disabled in the test suite): setup's
// installation run, from Install pressed to the Finish page, and the
// uninstaller's removal run, from Yes to its success message, each five
// times in one prefix. Prints one line per round.
#include <gtest/gtest.h>
#include <stdio.h>
#include "tests/support/product_road.h"
#include "tests/support/support.h"
#include "tests/support/uninstall_support.h"
#include "tests/support/wizard_support.h"

namespace ts = testing_support;
using wizard::WizardPage;

namespace {
double seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

TEST(Benchmark, DISABLED_InstallAndRemoveFiveTimes) {
    // The uninstaller asks the account database; Wine's says guest.
    uninstall_support::NetApiStandIn administrator(ORLAN_NETAPI_STUB, "2");
    ASSERT_TRUE(administrator.ready());
    std::string folder = wizard::stagedSetupFolder("bench");
    for (int round = 1; round <= 5; ++round) {
        double install = 0;
        {
            wizard::SetupRun setup(folder);
            ASSERT_TRUE(setup.started());
            HWND page = setup.waitPage(WizardPage::Welcome, 60000);
            ASSERT_TRUE(page);
            ASSERT_TRUE(page = setup.advance(page, 1001, WizardPage::Licence));
            ASSERT_TRUE(page = setup.advance(page, 1006, WizardPage::SetupType));
            ASSERT_TRUE(page = setup.advance(page, 1009, WizardPage::Summary));
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            ts::press(page, 1012);
            page = setup.waitPage(WizardPage::Finish, 120000);
            QueryPerformanceCounter(&end);
            ASSERT_TRUE(page) << "round " << round << ": no Finish page";
            install = seconds(start, end);
            ts::press(page, 1005);
            ASSERT_EQ(0, setup.waitExit(20000));
        }
        product_road::UninstallTimes times;
        ASSERT_EQ("", product_road::uninstallFromShortcut(true, &times));
        printf("BENCH round=%d setup_run=%.3f uninstall_run=%.3f\n", round, install, times.removalSeconds);
    }
    ts::removeTree(folder);
}
}  // namespace
